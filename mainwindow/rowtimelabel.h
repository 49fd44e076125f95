#pragma once

#include <QHash>
#include <QLabel>
#include <QStaticText>

// The time of a world-clock row, "<date> - hh:mm:ss", centred. Its text is
// laid out in two parts that are kept: the date part until the date changes,
// and one small layout per character of the time. A new second repaints the
// time's place only.
class RowTimeLabel : public QLabel {
public:
    explicit RowTimeLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    // Shows a new text; when only the time of the same width changed, only the
    // time is repainted.
    void showText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Layout {
        bool split = false; // a date part and an 8-character time
        qreal left = 0;     // where the text starts
        qreal timeLeft = 0; // where the time starts
        qreal width = 0;    // the whole text
    };
    Layout layoutOf(const QString& text);
    qreal timeWidth(QStringView time);
    const QStaticText& glyph(QChar c);

    QString m_prefix;
    QStaticText m_prefixText;
    qreal m_prefixWidth = 0;
    QHash<QChar, QStaticText> m_glyphs;
    QHash<QChar, qreal> m_advances;
};
