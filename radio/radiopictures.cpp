#include "radio/radiopictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QLinearGradient>

namespace radiopictures {

namespace {

constexpr int Side = 16;

QPixmap blank(const QSize& size = QSize(Side, Side))
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

template <typename Draw>
QPixmap icon(Draw draw)
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pixmap;
}

} // namespace

QPixmap startStop(int index)
{
    return icon([index](QPainter& p) {
        p.setPen(Qt::NoPen);
        if (index == 2) {
            p.setBrush(QColor(0xE0, 0x40, 0x40));
            p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.5, 1.5);
            return;
        }
        p.setBrush(QColor(0x40, 0xD0, 0x60));
        QPainterPath play;
        play.moveTo(4, 2.5);
        play.lineTo(13.5, 8);
        play.lineTo(4, 13.5);
        play.closeSubpath();
        p.drawPath(play);
    });
}

QPixmap exitPicture()
{
    return icon([](QPainter& p) {
        p.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QPixmap onAir(int index)
{
    const QColor lamp = index == 3 ? QColor(0xFF, 0x30, 0x30)
        : index == 2               ? QColor(0x80, 0x30, 0x30)
                                   : QColor(0x50, 0x50, 0x50);
    return icon([lamp](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(lamp);
        p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(lamp, 1.4));
        p.drawArc(QRectF(1.5, 1.5, 13, 13), 35 * 16, 110 * 16);
        p.drawArc(QRectF(1.5, 1.5, 13, 13), 215 * 16, 110 * 16);
    });
}

QPixmap connection(int index)
{
    return icon([index](QPainter& p) {
        const QColor mast(0xC0, 0xC0, 0xC0);
        p.setPen(QPen(mast, 1.5));
        p.drawLine(QPointF(8, 6), QPointF(5, 15));
        p.drawLine(QPointF(8, 6), QPointF(11, 15));
        p.setBrush(mast);
        p.drawEllipse(QPointF(8, 5), 1.5, 1.5);
        p.setBrush(Qt::NoBrush);
        const int waves = qBound(0, index - 1, 5);
        for (int i = 0; i < waves; ++i) {
            const double r = 3.0 + 1.6 * i;
            p.setPen(QPen(QColor(0x40, 0xC0, 0xFF, 255 - 30 * i), 1.1));
            p.drawArc(QRectF(8 - r, 5 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
        }
    });
}

QPixmap next()
{
    return icon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD0, 0xD0, 0x60));
        for (double x : {2.0, 7.0}) {
            QPainterPath arrow;
            arrow.moveTo(x, 3);
            arrow.lineTo(x + 5, 8);
            arrow.lineTo(x, 13);
            arrow.closeSubpath();
            p.drawPath(arrow);
        }
        p.drawRect(QRectF(12.5, 3, 1.8, 10));
    });
}

QPixmap cover(const QSize& size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x10, 0x18, 0x30));
    sky.setColorAt(1, QColor(0x02, 0x04, 0x0A));
    p.fillRect(pixmap.rect(), sky);
    const QPointF centre(size.width() / 2.0, size.height() / 2.0 - 12);
    p.setPen(QPen(QColor(0x40, 0xC0, 0xFF), 2));
    for (int i = 1; i <= 3; ++i) {
        const double r = 14.0 * i;
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 40 * 16, 100 * 16);
    }
    p.setBrush(QColor(0xFF, 0x30, 0x30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, 6, 6);
    p.setPen(QColor(0xE0, 0xE0, 0xE0));
    QFont font = p.font();
    font.setPointSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, centre.y() + 24, size.width(), 24), Qt::AlignCenter, QStringLiteral("Click for Radio"));
    return pixmap;
}

} // namespace radiopictures
