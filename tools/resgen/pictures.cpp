#include "tools/resgen/pictures.h"

#include "widgets/leddigit.h"
#include "resources/resourceids.h"

#include <QDate>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <functional>

namespace resgen {
namespace {

using Draw = std::function<void(QPainter&)>;

// The clock's own colours.
const QColor LedCyan(0x00, 0xFF, 0xFF);
const QColor LedUnlit(0x40, 0x40, 0x40);

// A transparent picture of w x h pixels, drawn in a coordinate system of
// `units` x `units` scaled to the picture (so a 16-unit icon can be drawn at
// 16 or 32 pixels).
QImage picture(int w, int h, qreal units, const Draw& draw)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(w / units, w / units);
    draw(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage icon16(const Draw& draw) { return picture(16, 16, 16, draw); }

QPen outline(const QColor& c, qreal width = 0.8)
{
    QPen pen(c, width);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// ---- status pictures (16 units) -------------------------------------------

void bell(QPainter& p)
{
    QPainterPath body;
    body.moveTo(2.6, 12.2);
    body.cubicTo(3.9, 11.0, 3.9, 9.0, 4.1, 7.0);
    body.cubicTo(4.3, 4.3, 6.0, 3.0, 8.0, 3.0);
    body.cubicTo(10.0, 3.0, 11.7, 4.3, 11.9, 7.0);
    body.cubicTo(12.1, 9.0, 12.1, 11.0, 13.4, 12.2);
    body.closeSubpath();
    QLinearGradient gold(3, 0, 13, 0);
    gold.setColorAt(0, QColor(0xFF, 0xEB, 0x8A));
    gold.setColorAt(1, QColor(0xE0, 0x9C, 0x00));
    p.setPen(outline(QColor(0x6B, 0x48, 0x00)));
    p.setBrush(QColor(0xE0, 0x9C, 0x00));
    p.drawEllipse(QPointF(8, 14.0), 1.5, 1.5); // clapper
    p.drawEllipse(QPointF(8, 2.4), 1.1, 1.1);  // knob
    p.setBrush(gold);
    p.drawPath(body);
    p.drawRoundedRect(QRectF(1.8, 11.6, 12.4, 1.9), 0.9, 0.9); // rim
}

void note(QPainter& p)
{
    const QColor fill(0x9C, 0xF5, 0x9C);
    p.setPen(outline(QColor(0x1B, 0x5E, 0x20), 0.7));
    p.setBrush(fill);
    QPainterPath flag;
    flag.moveTo(8.6, 1.6);
    flag.cubicTo(9.6, 4.4, 13.4, 4.8, 12.6, 9.6);
    flag.cubicTo(12.1, 7.4, 10.6, 6.6, 8.6, 6.3);
    flag.closeSubpath();
    p.drawPath(flag);
    p.drawRect(QRectF(7.5, 1.6, 1.1, 10.6)); // stem
    p.save();
    p.translate(5.2, 12.3);
    p.rotate(-25);
    p.drawEllipse(QPointF(0, 0), 3.0, 2.1); // head
    p.restore();
}

void snoozeMark(QPainter& p)
{
    QPen pen(QColor(0xB3, 0xE5, 0xFF), 1.8, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{1.4, 7.8}, {8.4, 7.8}, {1.8, 14.2}, {8.8, 14.2}}));
    pen.setWidthF(1.4);
    p.setPen(pen);
    p.drawPolyline(QPolygonF({{9.4, 1.8}, {14.4, 1.8}, {9.6, 6.6}, {14.6, 6.6}}));
}

void alarmClock(QPainter& p)
{
    const QColor orange(0xFF, 0x98, 0x00);
    const QColor dark(0x4E, 0x2A, 0x00);
    p.setPen(QPen(orange, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.6, 13.2), QPointF(3.0, 15.0)); // legs
    p.drawLine(QPointF(11.4, 13.2), QPointF(13.0, 15.0));
    p.setPen(outline(dark, 0.7));
    p.setBrush(orange);
    p.drawEllipse(QPointF(3.6, 3.6), 2.2, 2.2); // bells
    p.drawEllipse(QPointF(12.4, 3.6), 2.2, 2.2);
    p.drawEllipse(QPointF(8, 8.8), 6.0, 6.0);
    p.setBrush(QColor(0xFF, 0xF8, 0xE1));
    p.drawEllipse(QPointF(8, 8.8), 4.4, 4.4);
    p.setPen(QPen(QColor(0x3E, 0x27, 0x23), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8.8), QPointF(8, 5.6));
    p.drawLine(QPointF(8, 8.8), QPointF(10.5, 8.8));
}

void radio(QPainter& p)
{
    p.setPen(QPen(QColor(0xD0, 0xD0, 0xD8), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 6.0), QPointF(12.6, 1.2)); // aerial
    p.setBrush(QColor(0xD0, 0xD0, 0xD8));
    p.drawEllipse(QPointF(12.6, 1.2), 0.8, 0.8);
    QLinearGradient silver(0, 5.5, 0, 15);
    silver.setColorAt(0, QColor(0xE6, 0xE6, 0xEE));
    silver.setColorAt(1, QColor(0x8C, 0x8C, 0x9C));
    p.setPen(outline(QColor(0x45, 0x45, 0x55)));
    p.setBrush(silver);
    p.drawRoundedRect(QRectF(0.8, 5.6, 14.4, 9.4), 1.6, 1.6);
    p.setBrush(QColor(0x30, 0x30, 0x38));
    p.drawEllipse(QPointF(4.9, 10.3), 2.9, 2.9); // speaker
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6A, 0x6A, 0x76));
    p.drawEllipse(QPointF(4.9, 10.3), 1.2, 1.2);
    p.setPen(outline(QColor(0x1B, 0x40, 0x1B), 0.6));
    p.setBrush(QColor(0x7C, 0xFF, 0x7C));
    p.drawRect(QRectF(9.0, 7.4, 4.9, 2.4)); // dial
    p.setPen(QPen(QColor(0xE5, 0x39, 0x35), 0.8));
    p.drawLine(QPointF(11.2, 7.5), QPointF(11.2, 9.7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x4A));
    p.drawEllipse(QPointF(10.0, 12.3), 1.0, 1.0); // knobs
    p.drawEllipse(QPointF(12.9, 12.3), 1.0, 1.0);
}

void radioAlarm(QPainter& p)
{
    p.save();
    p.translate(0, 3.4);
    p.scale(0.78, 0.78);
    radio(p);
    p.restore();
    p.save();
    p.translate(8.2, 0);
    p.scale(0.5, 0.5);
    bell(p);
    p.restore();
}

// Eight dots around a ring; `phase` 0 = all resting, 1 or 2 = every other dot lit.
void busy(QPainter& p, int phase)
{
    const QColor lit(0x4F, 0xC3, 0xF7), dim(0x1E, 0x4E, 0x62), resting(0x55, 0x55, 0x55);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * 3.14159265358979 / 4;
        QColor c = resting;
        if (phase != 0)
            c = (i % 2 == phase - 1) ? lit : dim;
        p.setBrush(c);
        p.drawEllipse(QPointF(8 + 5.6 * std::sin(a), 8 - 5.6 * std::cos(a)), 1.55, 1.55);
    }
}

// A desktop computer whose screen shows a clock face.
void computer(QPainter& p, const QColor& screen, const QColor& hands)
{
    QLinearGradient case_(0, 2, 0, 12);
    case_.setColorAt(0, QColor(0xC8, 0xCE, 0xD4));
    case_.setColorAt(1, QColor(0x90, 0x98, 0xA0));
    p.setPen(outline(QColor(0x45, 0x4C, 0x55)));
    p.setBrush(QColor(0x80, 0x88, 0x90));
    p.drawRect(QRectF(6.6, 11.4, 2.8, 1.8));                  // neck
    p.drawRoundedRect(QRectF(3.6, 13.0, 8.8, 1.9), 0.7, 0.7); // foot
    p.setBrush(case_);
    p.drawRoundedRect(QRectF(1.2, 1.6, 13.6, 10.0), 1.2, 1.2); // monitor
    p.setPen(outline(QColor(0x20, 0x24, 0x28), 0.6));
    p.setBrush(screen);
    p.drawRect(QRectF(2.8, 3.1, 10.4, 7.0));
    p.setPen(QPen(hands, 0.9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 6.6), 2.6, 2.6);
    p.drawLine(QPointF(8, 6.6), QPointF(8, 4.9));
    p.drawLine(QPointF(8, 6.6), QPointF(9.4, 6.6));
}

void globeWithArrow(QPainter& p, bool arrowLit)
{
    QRadialGradient sea(QPointF(5.5, 6.0), 7.0);
    sea.setColorAt(0, QColor(0x90, 0xCA, 0xF9));
    sea.setColorAt(1, QColor(0x15, 0x65, 0xC0));
    p.setPen(outline(QColor(0x0D, 0x3C, 0x78)));
    p.setBrush(sea);
    p.drawEllipse(QPointF(7, 8), 5.9, 5.9);
    p.setPen(QPen(QColor(0xBB, 0xDE, 0xFB), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 8), 2.6, 5.9);
    p.drawLine(QPointF(1.1, 8), QPointF(12.9, 8));
    p.drawLine(QPointF(7, 2.1), QPointF(7, 13.9));
    const QPolygonF arrow(
        {{11.2, 5.6}, {13.8, 5.6}, {13.8, 10.2}, {15.7, 10.2}, {12.5, 14.8}, {9.3, 10.2}, {11.2, 10.2}});
    p.setPen(outline(QColor(0x0B, 0x3D, 0x0E), 0.7));
    p.setBrush(arrowLit ? QColor(0x69, 0xF0, 0x6E) : QColor(0x2E, 0x6B, 0x30));
    p.drawPolygon(arrow);
}

// ---- LED panel pieces ------------------------------------------------------

// The main window's digits: their design extents at 96 dpi.
QSize designDigitSize()
{
    using platform::LedDigit;
    return LedDigit::sizeForExtents(LedDigit::DefaultExtentX, LedDigit::DefaultExtentY, 96);
}

// A colon sized and placed to sit between two LED digits of the main window
// (30 x 39 pixels): its dots are as thick as a segment and at the heights of
// the upper and lower vertical segments' middles, leaning with the digits.
QImage colon(const QColor& colour)
{
    const QSize digit = designDigitSize();
    const QRectF area(QPointF(0, 0), QSizeF(digit));
    const QRectF upper = platform::LedDigit::segmentPolygon(platform::LedDigit::SegB, area).boundingRect();
    const QRectF lower = platform::LedDigit::segmentPolygon(platform::LedDigit::SegC, area).boundingRect();
    const QRectF bar = platform::LedDigit::segmentPolygon(platform::LedDigit::SegA, area).boundingRect();
    const qreal dot = bar.height();
    const qreal lean = (upper.center().x() - lower.center().x()) / 2;
    const int width = 8;
    return picture(width, digit.height(), width, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        const qreal r = dot * 0.22;
        p.drawRoundedRect(QRectF(width / 2.0 + lean - dot / 2, upper.center().y() - dot / 2, dot, dot), r, r);
        p.drawRoundedRect(QRectF(width / 2.0 - lean - dot / 2, lower.center().y() - dot / 2, dot, dot), r, r);
    });
}

// The 25 x 7 indicator bar: green when something usable is chosen, dark when not.
QImage indicatorBar(bool lit)
{
    QImage image(25, 7, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, 7);
    if (lit) {
        fill.setColorAt(0, QColor(0x9C, 0xFF, 0x9C));
        fill.setColorAt(1, QColor(0x1F, 0xA0, 0x1F));
    } else {
        fill.setColorAt(0, QColor(0x48, 0x48, 0x48));
        fill.setColorAt(1, QColor(0x24, 0x24, 0x24));
    }
    p.setPen(QPen(lit ? QColor(0x0B, 0x4D, 0x0B) : QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(fill);
    p.drawRect(QRectF(0.5, 0.5, 24, 6));
    p.end();
    return image;
}

QImage ntpPicture(const QColor& screen, const QColor& hands)
{
    return picture(32, 32, 16, [&](QPainter& p) { computer(p, screen, hands); });
}

// ---- help page pictures ----------------------------------------------------

// The main window as it looks with one world-clock row (drawn, not captured).
QImage clockWindow()
{
    const int w = 200, h = 141;
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(LedUnlit);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QString digits = QStringLiteral("123456");
    const QSize digit = designDigitSize();
    const QImage sep = colon(LedCyan);
    int x = 2;
    for (int i = 0; i < 6; ++i) {
        platform::LedDigit::paintDigit(p, QRectF(QPointF(x, 6), QSizeF(digit)), digits[i].digitValue(), LedCyan,
                                       LedUnlit);
        x += digit.width();
        if (i == 1 || i == 3) {
            p.drawImage(QPoint(x, 6), sep);
            x += sep.width();
        }
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(LedCyan);
    p.drawText(QRect(0, 50, w, 18), Qt::AlignCenter, QStringLiteral("Wednesday 09 December 2026"));
    p.fillRect(QRect(0, 98, w, 21), QColor(0x30, 0x30, 0x30)); // status line
    const QList<QImage> left = {
        icon16([](QPainter& q) { computer(q, QColor(0x4C, 0xE0, 0x4C), QColor(0x10, 0x30, 0x10)); }),
        icon16([](QPainter& q) { globeWithArrow(q, true); }), icon16(bell)};
    int ix = 4;
    for (const QImage& i : left) {
        p.drawImage(QPoint(ix, 100), i);
        ix += 19;
    }
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(0xFF, 0x00, 0x00));
    p.drawText(QRect(ix, 99, 70, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Alarm  07:30"));
    const QList<QImage> right = {icon16(note), icon16(radio), icon16(radioAlarm)};
    ix = w - 4 - 19 * 3 + 3;
    for (const QImage& i : right) {
        p.drawImage(QPoint(ix, 100), i);
        ix += 19;
    }
    p.fillRect(QRect(1, 120, w - 2, 20), Qt::black); // one world-clock row
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(QColor(0xFF, 0x00, 0x00));
    p.drawText(QRect(5, 120, 36, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tokyo"));
    p.setPen(QColor(0xFF, 0xFF, 0x00));
    p.drawText(QRect(42, 120, w - 44, 20), Qt::AlignCenter, QStringLiteral("Thu 10 Dec 2026 - 20:34:56"));
    p.end();
    return image;
}

} // namespace

// The program's picture: a cyan clock face on a dark rounded tile.
QImage programIcon(int size)
{
    return picture(size, size, 32, [size](QPainter& p) {
        QLinearGradient tile(0, 0, 0, 32);
        tile.setColorAt(0, QColor(0x2B, 0x36, 0x3C));
        tile.setColorAt(1, QColor(0x0A, 0x0E, 0x11));
        p.setPen(outline(QColor(0x5A, 0x6E, 0x78), size >= 32 ? 1.0 : 1.6));
        p.setBrush(tile);
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6.5, 6.5);
        const qreal ring = size >= 32 ? 2.2 : 3.0;
        p.setPen(QPen(LedCyan, ring));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(16, 16), 10.8, 10.8);
        if (size >= 32) {
            p.setPen(QPen(LedCyan, 1.6, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(16, 7.0), QPointF(16, 9.2));
            p.drawLine(QPointF(16, 22.8), QPointF(16, 25.0));
            p.drawLine(QPointF(7.0, 16), QPointF(9.2, 16));
            p.drawLine(QPointF(22.8, 16), QPointF(25.0, 16));
        }
        p.setPen(QPen(QColor(0xC8, 0xFF, 0xFF), size >= 32 ? 2.2 : 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(11.2, 12.6)); // hour hand towards ten
        p.drawLine(QPointF(16, 16), QPointF(21.6, 10.0)); // minute hand towards two
    });
}

QList<ResourcePicture> resourcePictures()
{
    const QColor handsDark(0x10, 0x10, 0x10);
    return {
        {resid::BmpIndicatorOff, indicatorBar(false)},
        {resid::BmpIndicatorOn, indicatorBar(true)},
        {resid::BmpColonRest, colon(LedUnlit)},
        {resid::BmpColonStatic, colon(LedCyan)},
        {resid::BmpColonLit, colon(LedCyan)},
        {resid::BmpNtpDark, ntpPicture(QColor(0x1E, 0x26, 0x1E), QColor(0x3C, 0x4C, 0x3C))},
        {resid::BmpNtpConnecting, ntpPicture(QColor(0x4C, 0xE0, 0x4C), handsDark)},
        {resid::BmpNtpClosed, ntpPicture(QColor(0xF0, 0x50, 0x48), handsDark)},
        {resid::BmpNtpPending, ntpPicture(QColor(0xF5, 0xC5, 0x42), handsDark)},
        {resid::BmpAlarmOn, icon16(bell)},
        {resid::BmpHourBeep, icon16(note)},
        {resid::BmpSnoozeMark, icon16(snoozeMark)},
        {resid::BmpSnoozeClock, icon16(alarmClock)},
        {resid::BmpRadio, icon16(radio)},
        {resid::BmpRadioAlarm, icon16(radioAlarm)},
        {resid::BmpBusyRest, icon16([](QPainter& p) { busy(p, 0); })},
        {resid::BmpBusy1, icon16([](QPainter& p) { busy(p, 1); })},
        {resid::BmpBusy2, icon16([](QPainter& p) { busy(p, 2); })},
        {resid::BmpNtpSync1,
         icon16([](QPainter& p) { computer(p, QColor(0x4C, 0xE0, 0x4C), QColor(0x10, 0x30, 0x10)); })},
        {resid::BmpNtpSync2,
         icon16([](QPainter& p) { computer(p, QColor(0x1F, 0x5A, 0x1F), QColor(0x0C, 0x20, 0x0C)); })},
        {resid::BmpUpdate1, icon16([](QPainter& p) { globeWithArrow(p, true); })},
        {resid::BmpUpdate2, icon16([](QPainter& p) { globeWithArrow(p, false); })},
        {resid::BmpProgramIcon32, programIcon(32)},
        {resid::BmpProgramIcon16, programIcon(16)},
    };
}

QImage digitStrip()
{
    const QSize digit = designDigitSize();
    QImage image(digit.width() * 5 + 8, digit.height() * 2 + 8, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    for (int v = 0; v <= 9; ++v)
        platform::LedDigit::paintDigit(
            p, QRectF(QPointF(4 + (v % 5) * digit.width(), 4 + (v / 5) * digit.height()), QSizeF(digit)), v, LedCyan,
            LedUnlit);
    p.end();
    return image;
}

QList<HelpPicture> helpPictures()
{
    QList<HelpPicture> list = {{QStringLiteral("clock.png"), clockWindow()},
                               {QStringLiteral("vantora.png"), programIcon(32)}};
    const QList<QPair<QString, int>> icons = {
        {QStringLiteral("alarm.png"), resid::BmpAlarmOn},
        {QStringLiteral("hourbeep.png"), resid::BmpHourBeep},
        {QStringLiteral("snooze.png"), resid::BmpSnoozeMark},
        {QStringLiteral("snoozeclock.png"), resid::BmpSnoozeClock},
        {QStringLiteral("radio.png"), resid::BmpRadio},
        {QStringLiteral("radioalarm.png"), resid::BmpRadioAlarm},
        {QStringLiteral("busy.png"), resid::BmpBusy1},
        {QStringLiteral("ntp.png"), resid::BmpNtpSync1},
        {QStringLiteral("update.png"), resid::BmpUpdate1},
    };
    const QList<ResourcePicture> all = resourcePictures();
    for (const auto& [name, id] : icons)
        for (const ResourcePicture& r : all)
            if (r.id == id)
                list.append({name, r.image});
    return list;
}

} // namespace resgen
