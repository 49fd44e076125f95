#pragma once

#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QStaticText>

#include <array>
#include <functional>

// The time of a world-clock row, "<date> - hh:mm:ss", centred. Its text is
// laid out in two parts that are kept: the date part until the date changes,
// and one small layout per character of the time. A new second repaints only
// the characters of the time that changed, from the first of them on.
//
// A label that fills its background (autoFillBackground) may be made to paint
// opaquely (Qt::WA_OpaquePaintEvent): it then lays that ground itself, in the
// same painter as its text, instead of Qt doing so in a pass of its own.
class RowTimeLabel : public QLabel {
public:
    explicit RowTimeLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    // Shows a new text; when only the time of the same width changed, only the
    // changed part of the time is repainted.
    void showText(const QString& text);

    // A label under a widget that paints it together with its neighbours:
    // it paints nothing itself, and its changes ask that widget to repaint
    // the area (in the label's parent's coordinates), which it then paints
    // with paintArea. A text set with QLabel::setText is not told.
    using RepaintRequest = std::function<void(const QRect& area)>;
    void setRepaintedBy(RepaintRequest request);
    // Paints what the label shows in `area` (its own coordinates), its top
    // left corner at `at`; opaque when the label fills its background.
    void paintArea(QPainter& painter, QPoint at, const QRect& area);
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static constexpr int kTimeLength = 8; // "hh:mm:ss"
    struct Layout {
        bool split = false; // a date part and an 8-character time
        qreal left = 0;     // where the text starts
        qreal width = 0;    // the whole text
        qreal top = 0;      // where the line starts
        // Where each character of the time starts, and where the last ends.
        std::array<qreal, kTimeLength + 1> timeX{};
    };
    Layout layoutOf(const QString& text);
    // The layout of the text shown, kept until the text, size or font changes.
    const Layout& shownLayout();
    void keepShownLayout(const Layout& layout);
    // Whether `next` lays out as `shown` does, the label showing `shown`
    // (which ends with a time).
    bool sameLayout(const QString& shown, const QString& next);
    // The advance of a character of a time: a digit or ':'.
    qreal advance(QChar c);
    const QStaticText& glyph(QChar c);
    void paintText(QPainter& painter, const Layout& layout, const QRect& dirty);
    static bool reaches(const Layout& layout, int i, const QRect& area);
    // What the label shows in `area`, at the end of the time.
    QPixmap timePicture(const Layout& layout, const QRect& area);
    // The part of the label that a new time repaints, from its character `first` on.
    QRect timeArea(const Layout& layout, int first) const;

    QString m_prefix;
    QStaticText m_prefixText;
    qreal m_prefixWidth = 0;
    QHash<QChar, QStaticText> m_glyphs;
    std::array<qreal, 11> m_advances{}; // '0' to '9' and ':'; 0: not measured yet
    Layout m_shown;
    QString m_shownText;
    QRect m_shownArea;
    bool m_shownValid = false;
    // The pictures of the time's end: where, and the characters drawn there.
    struct TimePictureKey {
        QRect area;
        quint32 drawn;
        bool operator==(const TimePictureKey&) const = default;
    };
    friend size_t qHash(const TimePictureKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, key.area.left(), key.area.width(), key.drawn);
    }
    QHash<TimePictureKey, QPixmap> m_timePictures;
    RepaintRequest m_repaintedBy;
    void repaintArea(const QRect& area);
};
