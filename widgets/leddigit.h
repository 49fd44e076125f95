#pragma once

#include <QColor>
#include <QPixmap>
#include <QPolygonF>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <optional>

class QPainter;

namespace platform {

// One seven-segment digit, drawn. Lit segments take the "on" colour, unlit
// ones the "off" colour; colours are Windows values &HBBGGRR (see colors.h).
//
// By default only the segments are painted: the widget has no background of
// its own, so the parent's panel shows between and around them. A widget given
// a ground colour paints that plain ground itself, under the segments, and so
// covers its rectangle alone: a new value then repaints the digit without the
// panel behind it. The main window gives the unlit segments its panel's
// colour, which makes them disappear into it; the screensaver keeps the
// default dark grey on black, a faint "88" outline.
//
// The drawing scales with the widget; it is laid out for the main window's
// 30 x 39 pixels and stays legible down to about 20 x 26.
class LedDigit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint16 Value READ Value WRITE setValue)
    Q_PROPERTY(quint32 LedColorOn READ LedColorOn WRITE setLedColorOn)
    Q_PROPERTY(quint32 LedColorOff READ LedColorOff WRITE setLedColorOff)

public:
    // Segments in the usual order: a top, b upper right, c lower right,
    // d bottom, e lower left, f upper left, g middle.
    enum Segment { SegA, SegB, SegC, SegD, SegE, SegF, SegG, SegmentCount };

    static constexpr quint32 DefaultColorOn = 0x00FFFF00;  // cyan
    static constexpr quint32 DefaultColorOff = 0x00404040; // dark grey
    // The design size in HIMETRIC (0.01 mm): 30 x 39 pixels at 96 dpi.
    static constexpr int DefaultExtentX = 794;
    static constexpr int DefaultExtentY = 1032;

    explicit LedDigit(QWidget* parent = nullptr);

    // The digit shown, 0..9; any other value leaves every segment unlit.
    // Setting the value already shown does not repaint.
    qint16 Value() const { return m_value; }
    void setValue(qint16 value);

    quint32 LedColorOn() const { return m_colorOn; }
    void setLedColorOn(quint32 bgr);
    quint32 LedColorOff() const { return m_colorOff; }
    void setLedColorOff(quint32 bgr);

    // The plain colour behind the digit (a Windows colour value), for a digit
    // that stands on a panel of that one colour; none: transparent.
    std::optional<quint32> ground() const { return m_ground; }
    void setGround(std::optional<quint32> bgr);

    // A digit under a widget that paints it together with its neighbours (in
    // one paint instead of one each): the digit's changes ask that widget to
    // repaint the area (in the digit's parent's coordinates). None: the digit
    // repaints itself.
    using RepaintRequest = std::function<void(const QRect& area)>;
    void setRepaintedBy(RepaintRequest request) { m_repaintedBy = std::move(request); }
    // What the digit shows over its rectangle.
    QPixmap picture() const;

    // Applies stored design properties: "_extentx" and "_extenty" (the size in
    // HIMETRIC, converted with the widget's logical dpi: pixels = himetric x
    // dpi / 2540), "ledcoloron" and "ledcoloroff" (colour values as numbers,
    // decimal text or "&H..." hex text). Keys are matched without regard to
    // case; a missing key keeps the current value, and a value that is not a
    // number or out of range is ignored.
    void loadProperties(const QVariantMap& properties);

    // The design size: the default extents at the widget's logical dpi.
    QSize sizeHint() const override;
    // Pixels for a size in HIMETRIC (0.01 mm) at `dpi`: himetric x dpi / 2540, at least 1.
    static QSize sizeForExtents(int himetricX, int himetricY, int dpi);

    // The segments lit for a value: bit n set = segment n lit. 0 for values
    // outside 0..9.
    static quint8 segmentsFor(int value);
    // The outline of one segment when the digit is drawn into `area`.
    static QPolygonF segmentPolygon(Segment segment, const QRectF& area);
    // Paints a digit into `area` the same way the widget does (used for
    // pictures of the clock drawn without widgets).
    static void paintDigit(QPainter& painter, const QRectF& area, int value, const QColor& on, const QColor& off);
    // The digit as the widget shows it, on a transparent ground or on the
    // given plain one: drawn once per look (lit segments, colours, ground,
    // size) and shared by every digit.
    static QPixmap digitPicture(int value, quint32 on, quint32 off, QSize size, qreal pixelRatio,
                                std::optional<quint32> ground = std::nullopt);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the segments can be: a new value repaints only this, so a
    // neighbouring digit whose rectangle overlaps this one's margin is not
    // painted again.
    QRect inkRect() const;
    void repaintArea(const QRect& area);

    qint16 m_value = 0;
    quint32 m_colorOn = DefaultColorOn;
    quint32 m_colorOff = DefaultColorOff;
    std::optional<quint32> m_ground;
    RepaintRequest m_repaintedBy;
};

} // namespace platform
