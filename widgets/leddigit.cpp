#include "widgets/leddigit.h"

#include "compat/win32/colors.h"

#include <QPainter>
#include <QtMath>

#include <array>
#include <optional>

namespace platform {
namespace {

// Digit shapes, bit n = segment n (a..g).
constexpr std::array<quint8, 10> DigitSegments = {
    0b0111111, // 0: a b c d e f
    0b0000110, // 1: b c
    0b1011011, // 2: a b d e g
    0b1001111, // 3: a b c d g
    0b1100110, // 4: b c f g
    0b1101101, // 5: a c d f g
    0b1111101, // 6: a c d e f g
    0b0000111, // 7: a b c
    0b1111111, // 8: all
    0b1101111, // 9: a b c d f g
};

// Geometry, as fractions of the drawing area.
constexpr qreal Slant = 0.07; // rightward lean per unit of height (about 4 degrees)
constexpr qreal MarginX = 0.10;
constexpr qreal MarginY = 0.07;
constexpr qreal ThicknessOfWidth = 0.22;
constexpr qreal ThicknessOfHeight = 0.125;
constexpr qreal GapOfThickness = 0.22;

// Extents beyond about a metre are not a digit anyone designed.
constexpr qint64 MaxExtent = 100000;

// Hexagonal bars of thickness t with pointed ends: across at height y from x1
// to x2, or down at x from y1 to y2.
QPolygonF across(qreal y, qreal x1, qreal x2, qreal t)
{
    const qreal h = t / 2;
    return QPolygonF({{x1, y}, {x1 + h, y - h}, {x2 - h, y - h}, {x2, y}, {x2 - h, y + h}, {x1 + h, y + h}});
}

QPolygonF down(qreal x, qreal y1, qreal y2, qreal t)
{
    const qreal h = t / 2;
    return QPolygonF({{x, y1}, {x + h, y1 + h}, {x + h, y2 - h}, {x, y2}, {x - h, y2 - h}, {x - h, y1 + h}});
}

std::optional<qint64> numberFrom(const QVariant& value)
{
    bool ok = false;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        QString text = value.toString().trimmed();
        if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
            text = text.mid(2);
            if (text.endsWith(QLatin1Char('&')))
                text.chop(1);
            const qint64 n = text.toLongLong(&ok, 16);
            return ok ? std::optional<qint64>(n) : std::nullopt;
        }
        const qint64 n = text.toLongLong(&ok, 10);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    const qint64 n = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

// A colour value as stored: a 32-bit value, signed (as a Long) or not.
std::optional<quint32> colourFrom(const QVariant& value)
{
    const std::optional<qint64> n = numberFrom(value);
    if (!n || *n < -0x80000000LL || *n > 0xFFFFFFFFLL)
        return std::nullopt;
    return quint32(*n & 0xFFFFFFFFLL);
}

std::optional<int> extentFrom(const QVariant& value)
{
    const std::optional<qint64> n = numberFrom(value);
    if (!n || *n < 1 || *n > MaxExtent)
        return std::nullopt;
    return int(*n);
}

int pixels(int himetric, int dpi) { return qMax(1, qRound(himetric * qreal(dpi) / 2540.0)); }

QVariant findKey(const QVariantMap& map, const QString& key)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

} // namespace

LedDigit::LedDigit(QWidget* parent) : QWidget(parent) { resize(sizeHint()); }

void LedDigit::setValue(qint16 value)
{
    if (value == m_value)
        return;
    const bool looksTheSame = segmentsFor(value) == segmentsFor(m_value);
    m_value = value;
    if (!looksTheSame)
        repaintArea(inkRect());
}

void LedDigit::repaintArea(const QRect& area)
{
    if (m_repaintedBy)
        m_repaintedBy(area.translated(pos()));
    else
        update(area);
}

QRect LedDigit::inkRect() const
{
    // The segments keep to the margins; a pixel more for their anti-aliased edges.
    const int padX = qFloor(width() * MarginX) - 1;
    const int padY = qFloor(height() * MarginY) - 1;
    return rect().adjusted(padX, padY, -padX, -padY);
}

void LedDigit::setLedColorOn(quint32 bgr)
{
    if (bgr == m_colorOn)
        return;
    m_colorOn = bgr;
    repaintArea(rect());
}

void LedDigit::setLedColorOff(quint32 bgr)
{
    if (bgr == m_colorOff)
        return;
    m_colorOff = bgr;
    repaintArea(rect());
}

void LedDigit::setGround(std::optional<quint32> bgr)
{
    if (bgr == m_ground)
        return;
    m_ground = bgr;
    setAttribute(Qt::WA_OpaquePaintEvent, m_ground.has_value());
    repaintArea(rect());
}

void LedDigit::loadProperties(const QVariantMap& properties)
{
    QSize size = this->size();
    if (const auto x = extentFrom(findKey(properties, QStringLiteral("_extentx"))))
        size.setWidth(pixels(*x, logicalDpiX()));
    if (const auto y = extentFrom(findKey(properties, QStringLiteral("_extenty"))))
        size.setHeight(pixels(*y, logicalDpiY()));
    resize(size);
    if (const auto on = colourFrom(findKey(properties, QStringLiteral("ledcoloron"))))
        setLedColorOn(*on);
    if (const auto off = colourFrom(findKey(properties, QStringLiteral("ledcoloroff"))))
        setLedColorOff(*off);
}

QSize LedDigit::sizeHint() const
{
    return {pixels(DefaultExtentX, logicalDpiX()), pixels(DefaultExtentY, logicalDpiY())};
}

QSize LedDigit::sizeForExtents(int himetricX, int himetricY, int dpi)
{
    return {pixels(himetricX, dpi), pixels(himetricY, dpi)};
}

quint8 LedDigit::segmentsFor(int value)
{
    if (value < 0 || value > 9)
        return 0;
    return DigitSegments[std::size_t(value)];
}

QPolygonF LedDigit::segmentPolygon(Segment segment, const QRectF& area)
{
    // Laid out upright in a frame of innerW x innerH, then leaned to the right.
    const qreal padX = area.width() * MarginX;
    const qreal padY = area.height() * MarginY;
    const qreal innerH = area.height() - 2 * padY;
    const qreal innerW = area.width() - 2 * padX - Slant * innerH;
    const qreal t = qMax(1.0, qMin(innerW * ThicknessOfWidth, innerH * ThicknessOfHeight));
    const qreal gap = t * GapOfThickness;

    const qreal left = t / 2, right = innerW - t / 2;
    const qreal top = t / 2, middle = innerH / 2, bottom = innerH - t / 2;

    QPolygonF shape;
    switch (segment) {
    case SegA: shape = across(top, left + gap, right - gap, t); break;
    case SegB: shape = down(right, top + gap, middle - gap, t); break;
    case SegC: shape = down(right, middle + gap, bottom - gap, t); break;
    case SegD: shape = across(bottom, left + gap, right - gap, t); break;
    case SegE: shape = down(left, middle + gap, bottom - gap, t); break;
    case SegF: shape = down(left, top + gap, middle - gap, t); break;
    case SegG: shape = across(middle, left + gap, right - gap, t); break;
    case SegmentCount: break;
    }
    for (QPointF& p : shape)
        p = {area.left() + padX + p.x() + Slant * (innerH - p.y()), area.top() + padY + p.y()};
    return shape;
}

void LedDigit::paintDigit(QPainter& painter, const QRectF& area, int value, const QColor& on, const QColor& off)
{
    const quint8 lit = segmentsFor(value);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int s = SegA; s < SegmentCount; ++s) {
        painter.setBrush(lit & (1u << s) ? on : off);
        painter.drawPolygon(segmentPolygon(Segment(s), area));
    }
    painter.restore();
}

QPixmap LedDigit::digitPicture(int value, quint32 on, quint32 off, QSize size, qreal pixelRatio,
                               std::optional<quint32> ground)
{
    // Drawing the segments' anti-aliased outlines costs far more than copying
    // a picture: each look is drawn once and kept. A clock needs ten values in
    // one or two colour pairs; the bound only stops a colour-cycling caller
    // from growing the set without end.
    struct Key {
        quint8 segments;
        quint32 on, off;
        QSize size;
        qreal ratio;
        std::optional<quint32> ground;
        bool operator==(const Key&) const = default;
    };
    static QList<std::pair<Key, QPixmap>> pictures;
    constexpr qsizetype kMaxPictures = 64;

    const Key key{segmentsFor(value), on, off, size, pixelRatio, ground};
    for (const auto& [known, picture] : pictures)
        if (known == key)
            return picture;
    QPixmap picture(size * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    if (ground) {
        // The transparent look laid on the ground, as it would be laid on a
        // panel of that colour: the same pixels.
        picture.fill(fromBgr(*ground));
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, digitPicture(value, on, off, size, pixelRatio));
    } else {
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paintDigit(painter, QRectF(QPointF(0, 0), QSizeF(size)), value, fromBgr(on), fromBgr(off));
    }
    if (pictures.size() >= kMaxPictures)
        pictures.removeFirst();
    pictures.append({key, picture});
    return picture;
}

QPixmap LedDigit::picture() const
{
    return digitPicture(m_value, m_colorOn, m_colorOff, size(), devicePixelRatio(), m_ground);
}

void LedDigit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture());
}

} // namespace platform
