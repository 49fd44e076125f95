#pragma once

#include "compat/win32/colors.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QVarLengthArray>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>

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
        if (!m_colon.isNull() && QRect(m_colonAt, m_colon.deviceIndependentSize().toSize()).intersects(area))
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

class PaintedTogether;

// A picture on a shape that paints the shape's look under itself: a new
// picture repaints this label alone, not the shape behind it. The look is
// made once per picture and kept.
class PictureOnShape : public QLabel {
public:
    explicit PictureOnShape(Form1Shape* shape) : QLabel(shape), m_shape(shape)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // A picture under a sibling widget that paints it together with its
    // neighbours: it repaints nothing itself, and a new picture, shown or
    // hidden, repaints that widget's part over it.
    void setPaintedBy(PaintedTogether* sibling)
    {
        m_paintedBy = sibling;
        setUpdatesEnabled(!sibling);
    }
    void setPicture(const QPixmap& picture)
    {
        setPixmap(picture);
        repaintPainter();
    }
    void setVisible(bool visible) override
    {
        const bool changed = visible == isHidden();
        QLabel::setVisible(visible);
        if (changed)
            repaintPainter();
    }

    // What the label shows: its picture on the shape's look.
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

    void repaintPainter();

    Form1Shape* m_shape;
    PaintedTogether* m_paintedBy = nullptr;
    QList<Look> m_looks;
};

// Widgets that change at the same moments (the seconds digit and the
// flashing colon; the times of the zone rows), painted by one opaque widget
// laid over them: a new second is one repaint instead of one per widget. The
// widgets stay where they are for the pointer, which passes through this one,
// and tell it when they change (repaintArea). It paints them in their
// stacking order, on the ground under them where none of them lies.
class PaintedTogether : public QWidget {
public:
    // Paints `area` (in the painter's coordinates) as the ground under the parts shows it.
    using Ground = std::function<void(QPainter& p, const QRect& area)>;
    struct Part {
        QWidget* widget;
        // Paints what the part shows in `area` (its own coordinates), its top
        // left corner at `at` (the painter's coordinates); opaque.
        std::function<void(QPainter& p, QPoint at, const QRect& area)> paint;
    };

    PaintedTogether(QWidget* parent, Ground ground, QList<Part> parts)
        : QWidget(parent), m_ground(std::move(ground)), m_parts(std::move(parts))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        fitParts();
        raise();
        window()->installEventFilter(this);
    }

    void setGround(Ground ground) { m_ground = std::move(ground); }

    // Covers the parts where they are now.
    void fitParts()
    {
        QRect area;
        for (const Part& part : m_parts)
            area |= part.widget->geometry();
        setGeometry(area);
        m_bare.reset();
        m_paintWhole = true;
        update();
    }

    // Repaints `area` (in this widget's parent's coordinates). The areas
    // asked for until the next paint are repainted as one rectangle: a
    // painter clipped to several copies pictures far more slowly.
    void repaintArea(const QRect& area)
    {
        // Hidden, it is painted whole when it shows again.
        if (!isVisible())
            return;
        const QRect here = area.translated(-pos());
        m_pending |= here;
        if (m_requested.size() >= kMaxRequests)
            m_requested = {m_pending};
        else
            m_requested.append(here);
        update(m_pending);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        // A repaint that only the parts asked for draws what they asked for:
        // the rest of the rectangle repainted with it shows what it showed.
        QVarLengthArray<QRect, kMaxRequests> areas;
        if (event->rect() == m_pending && !m_paintWhole)
            areas = m_requested;
        else
            areas.append(event->rect());
        m_pending = QRect();
        m_requested.clear();
        m_paintWhole = false;
        QPainter p(this);
        for (const QRect& bare : bareArea())
            for (const QRect& area : areas)
                if (const QRect part = bare & area; !part.isEmpty())
                    m_ground(p, part);
        for (const Part& part : m_parts) {
            if (part.widget->isHidden())
                continue;
            const QRect at = areaOf(part);
            QRect inside;
            for (const QRect& area : areas)
                inside |= at & area;
            if (!inside.isEmpty())
                part.paint(p, at.topLeft(), inside.translated(-at.topLeft()));
        }
    }

    // A window that is resized, shown or given other colours or another
    // screen is painted anew: none of what it showed before may be kept.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::ScreenChangeInternal:
        case QEvent::WindowStateChange: m_paintWhole = true; break;
        default: break;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    static constexpr qsizetype kMaxRequests = 8;
    QRect areaOf(const Part& part) const { return part.widget->geometry().translated(-pos()); }
    // Where no shown part lies, worked out again when a part is shown or hidden.
    const QRegion& bareArea()
    {
        quint32 shown = 0;
        for (qsizetype i = 0; i < m_parts.size(); ++i)
            if (!m_parts[i].widget->isHidden())
                shown |= 1u << i;
        if (shown != m_bareFor || !m_bare) {
            m_bare = QRegion(rect());
            for (qsizetype i = 0; i < m_parts.size(); ++i)
                if (shown & (1u << i))
                    *m_bare -= areaOf(m_parts[i]);
            m_bareFor = shown;
        }
        return *m_bare;
    }

    Ground m_ground;
    QList<Part> m_parts;
    QRect m_pending;
    QVarLengthArray<QRect, kMaxRequests> m_requested;
    std::optional<QRegion> m_bare;
    quint32 m_bareFor = 0;
    bool m_paintWhole = true;
};

inline void PictureOnShape::repaintPainter()
{
    if (m_paintedBy)
        m_paintedBy->repaintArea(geometry());
}
