#pragma once

#include "compat/win32/colors.h"

#include <QPainter>
#include <QPixmap>
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
        update();
    }

    void setSteadyColon(const QPixmap& colon, QPoint at)
    {
        m_colon = colon;
        m_colonAt = at;
        update();
    }
    void setSteadyColon(const QPixmap& colon) { setSteadyColon(colon, m_colonAt); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), platform::fromBgr(m_colour));
        if (!m_colon.isNull())
            p.drawPixmap(m_colonAt, m_colon);
    }

private:
    quint32 m_colour;
    QPixmap m_colon;
    QPoint m_colonAt;
};
