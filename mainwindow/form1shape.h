#pragma once

#include "compat/win32/colors.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

// A plain coloured rectangle of the main window (the clock panel, the status
// bar, the bars of the zone rows). The panel also carries the steady seconds
// colon that shows when the flashing one is hidden.
class Form1Shape : public QWidget {
public:
    Form1Shape(QWidget* parent, quint32 colour) : QWidget(parent), m_colour(colour)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // The fill colour, a Windows colour value &HBBGGRR.
    quint32 colour() const { return m_colour; }
    void setColour(quint32 bgr)
    {
        if (bgr == m_colour)
            return;
        m_colour = bgr;
        lookChanged();
    }

    void setSteadyColon(const QPixmap& colon, QPoint at)
    {
        m_colon = colon;
        m_colonAt = at;
        lookChanged();
    }
    void setSteadyColon(const QPixmap& colon) { setSteadyColon(colon, m_colonAt); }

    // Paints what the shape shows in `area` (its own coordinates) with the
    // painter's origin at the area's top left corner.
    void paintLook(QPainter& p, const QRect& area) const
    {
        p.fillRect(QRect(QPoint(0, 0), area.size()), platform::fromBgr(m_colour));
        if (!m_colon.isNull())
            p.drawPixmap(m_colonAt - area.topLeft(), m_colon);
    }
    // Counts the changes of the look, for pictures made from it.
    quint64 lookVersion() const { return m_lookVersion; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        paintLook(p, rect());
    }

private:
    void lookChanged()
    {
        ++m_lookVersion;
        update();
    }

    quint32 m_colour;
    QPixmap m_colon;
    QPoint m_colonAt;
    quint64 m_lookVersion = 0;
};

// A picture on a shape that paints the shape's look under itself: a new
// picture repaints this label alone, not the shape behind it. The look is
// made once per picture and kept.
class PictureOnShape : public QLabel {
public:
    explicit PictureOnShape(Form1Shape* shape) : QLabel(shape), m_shape(shape)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, look());
    }

private:
    struct Look {
        qint64 picture = 0;
        quint64 shapeVersion = 0;
        QRect geometry;
        QPixmap pixmap;
    };

    QPixmap look()
    {
        const qint64 picture = pixmap().cacheKey();
        for (const Look& kept : m_looks)
            if (kept.picture == picture && kept.shapeVersion == m_shape->lookVersion() && kept.geometry == geometry())
                return kept.pixmap;
        const qreal ratio = devicePixelRatio();
        QPixmap made(size() * ratio);
        made.setDevicePixelRatio(ratio);
        {
            QPainter p(&made);
            m_shape->paintLook(p, geometry());
            // Where and how the label itself lays its picture out.
            style()->drawItemPixmap(&p, contentsRect(), alignment(), pixmap());
        }
        // A flashing picture alternates between two looks.
        if (m_looks.size() >= 2)
            m_looks.removeFirst();
        m_looks.append({picture, m_shape->lookVersion(), geometry(), made});
        return made;
    }

    Form1Shape* m_shape;
    QList<Look> m_looks;
};
