#include "mainwindow/rowtimelabel.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace {

// How far a character's anti-aliased ink may reach past its advance.
constexpr int kInkReach = 2;

bool endsWithTime(const QString& text, int length)
{
    if (text.size() < length)
        return false;
    const QStringView time = QStringView(text).right(length);
    for (int i = 0; i < length; ++i) {
        const bool colon = i == 2 || i == 5;
        if (colon ? time[i] != QLatin1Char(':') : !time[i].isDigit())
            return false;
    }
    return true;
}

} // namespace

void RowTimeLabel::changeEvent(QEvent* event)
{
    // Another font or colour: every kept layout is stale.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        m_prefix.clear();
        m_glyphs.clear();
        m_advances.fill(0);
        m_shownValid = false;
        m_timePictures.clear();
        if (m_repaintedBy)
            repaintArea(rect());
    }
    QLabel::changeEvent(event);
}

void RowTimeLabel::setRepaintedBy(RepaintRequest request)
{
    m_repaintedBy = std::move(request);
    setUpdatesEnabled(!m_repaintedBy);
}

void RowTimeLabel::repaintArea(const QRect& area)
{
    if (m_repaintedBy)
        m_repaintedBy(area.translated(pos()));
    else
        update(area);
}

void RowTimeLabel::setVisible(bool visible)
{
    const bool changed = visible == isHidden();
    QLabel::setVisible(visible);
    if (changed && m_repaintedBy)
        repaintArea(rect());
}

void RowTimeLabel::paintArea(QPainter& painter, QPoint at, const QRect& area)
{
    const Layout& layout = shownLayout();
    if (layout.split && area.left() >= layout.timeX[0] && autoFillBackground()) {
        painter.drawPixmap(at + area.topLeft(), timePicture(layout, area));
        return;
    }
    painter.save();
    painter.translate(at);
    painter.setClipRect(area);
    if (autoFillBackground())
        painter.fillRect(area, palette().brush(backgroundRole()));
    if (layout.split)
        paintText(painter, layout, area);
    else
        style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()),
                              palette(), isEnabled(), text(), foregroundRole());
    painter.restore();
}

const QStaticText& RowTimeLabel::glyph(QChar c)
{
    auto it = m_glyphs.find(c);
    if (it == m_glyphs.end()) {
        QStaticText text{QString(c)};
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font());
        it = m_glyphs.insert(c, text);
    }
    return *it;
}

qreal RowTimeLabel::advance(QChar c)
{
    qreal& known = m_advances[static_cast<size_t>(c.unicode() - u'0')];
    if (known == 0)
        known = QFontMetricsF(font()).horizontalAdvance(c);
    return known;
}

const RowTimeLabel::Layout& RowTimeLabel::shownLayout()
{
    if (!m_shownValid || m_shownText != text() || m_shownArea != contentsRect())
        keepShownLayout(layoutOf(text()));
    return m_shown;
}

RowTimeLabel::Layout RowTimeLabel::layoutOf(const QString& text)
{
    Layout layout;
    if (!endsWithTime(text, kTimeLength) || alignment() != Qt::AlignCenter)
        return layout;
    const QString prefix = text.left(text.size() - kTimeLength);
    if (prefix != m_prefix || m_prefixText.text() != prefix) {
        m_prefix = prefix;
        m_prefixText = QStaticText(prefix);
        m_prefixText.setTextFormat(Qt::PlainText);
        m_prefixText.prepare(QTransform(), font());
        m_prefixWidth = QFontMetricsF(font()).horizontalAdvance(prefix);
    }
    layout.split = true;
    const QStringView time = QStringView(text).right(kTimeLength);
    qreal timeWidth = 0;
    for (const QChar c : time)
        timeWidth += advance(c);
    layout.width = m_prefixWidth + timeWidth;
    const QRect area = contentsRect();
    layout.left = qRound(area.left() + (area.width() - layout.width) / 2);
    layout.top = area.top() + (area.height() - QFontMetricsF(font()).height()) / 2;
    qreal x = layout.left + m_prefixWidth;
    for (int i = 0; i < kTimeLength; ++i) {
        layout.timeX[static_cast<size_t>(i)] = x;
        x += advance(time[i]);
    }
    layout.timeX[kTimeLength] = x;
    return layout;
}

QRect RowTimeLabel::timeArea(const Layout& layout, int first) const
{
    const QRect area = contentsRect();
    const qreal left = layout.timeX[static_cast<size_t>(first)] - (first > 0 ? kInkReach : 0);
    return QRectF(left, area.top(), layout.timeX[kTimeLength] + 1 - left, area.height()).toAlignedRect();
}

void RowTimeLabel::showText(const QString& text)
{
    if (text == this->text())
        return;
    const Layout layout = shownLayout();
    if (!layout.split || !isVisible() || !sameLayout(this->text(), text)) {
        setText(text);
        keepShownLayout(layoutOf(text));
        if (m_repaintedBy)
            repaintArea(rect());
        return;
    }
    // The characters before the first changed one stay where they are, as
    // they are: most seconds change one or two digits at the end.
    int first = 0;
    const QStringView oldTime = QStringView(this->text()).right(kTimeLength);
    const QStringView newTime = QStringView(text).right(kTimeLength);
    while (first < kTimeLength && oldTime[first] == newTime[first])
        ++first;
    // The label would repaint all of itself.
    if (m_repaintedBy) {
        setText(text);
    } else {
        setAttribute(Qt::WA_UpdatesDisabled, true);
        setText(text);
        setAttribute(Qt::WA_UpdatesDisabled, false);
    }
    keepShownLayout(layout);
    repaintArea(timeArea(layout, first));
}

bool RowTimeLabel::sameLayout(const QString& shown, const QString& next)
{
    // The same date part, and a time whose characters take the same room.
    if (next.size() != shown.size() || !endsWithTime(next, kTimeLength)
        || QStringView(shown).chopped(kTimeLength) != QStringView(next).chopped(kTimeLength))
        return false;
    const QStringView shownTime = QStringView(shown).right(kTimeLength);
    const QStringView nextTime = QStringView(next).right(kTimeLength);
    for (int i = 0; i < kTimeLength; ++i)
        if (advance(shownTime[i]) != advance(nextTime[i]))
            return false;
    return true;
}

void RowTimeLabel::keepShownLayout(const Layout& layout)
{
    // The kept pictures of the time's end hold characters at their places.
    if (!m_shownValid || layout.timeX != m_shown.timeX || layout.top != m_shown.top)
        m_timePictures.clear();
    m_shown = layout;
    m_shownText = text();
    m_shownArea = contentsRect();
    m_shownValid = true;
}

void RowTimeLabel::paintEvent(QPaintEvent* event)
{
    const Layout& layout = shownLayout();
    const QRect dirty = event->rect();
    // A new second repaints the end of the time on the label's plain ground:
    // what that part shows is drawn once and kept.
    if (layout.split && event->region().rectCount() == 1 && dirty.left() >= layout.timeX[0] && autoFillBackground()) {
        QPainter painter(this);
        painter.drawPixmap(dirty.topLeft(), timePicture(layout, dirty));
        return;
    }
    // An opaque-painting label gets no ground from Qt: it lays its own.
    if (testAttribute(Qt::WA_OpaquePaintEvent) && autoFillBackground()) {
        QPainter ground(this);
        for (const QRect& area : event->region())
            ground.fillRect(area, palette().brush(backgroundRole()));
    }
    if (!layout.split) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    paintText(painter, layout, dirty);
}

void RowTimeLabel::paintText(QPainter& painter, const Layout& layout, const QRect& dirty)
{
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    if (dirty.left() < layout.timeX[0])
        painter.drawStaticText(QPointF(layout.left, layout.top), m_prefixText);
    const QStringView time = QStringView(text()).right(kTimeLength);
    for (int i = 0; i < kTimeLength; ++i)
        if (reaches(layout, i, dirty))
            painter.drawStaticText(QPointF(layout.timeX[static_cast<size_t>(i)], layout.top), glyph(time[i]));
}

bool RowTimeLabel::reaches(const Layout& layout, int i, const QRect& area)
{
    // Whether the ink of the time's character i may reach into the area.
    return layout.timeX[static_cast<size_t>(i)] - kInkReach <= area.right() + 1
        && layout.timeX[static_cast<size_t>(i) + 1] + kInkReach >= area.left();
}

QPixmap RowTimeLabel::timePicture(const Layout& layout, const QRect& area)
{
    // Four bits a character: 0 for one not drawn, else its code from '0' on.
    quint32 drawn = 0;
    const QStringView time = QStringView(text()).right(kTimeLength);
    for (int i = 0; i < kTimeLength; ++i)
        drawn = drawn << 4 | (reaches(layout, i, area) ? quint32(time[i].unicode() - u'0' + 1) : 0u);
    const TimePictureKey key{area, drawn};
    const auto found = m_timePictures.constFind(key);
    if (found != m_timePictures.constEnd())
        return *found;
    const qreal ratio = devicePixelRatio();
    QPixmap picture(area.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(palette().color(backgroundRole()));
    {
        QPainter painter(&picture);
        painter.translate(-area.topLeft());
        paintText(painter, layout, area);
    }
    // A minute of seconds and the tens around them; a clock that runs for
    // days meets no more, a bound keeps odd cases small.
    constexpr qsizetype kMaxPictures = 256;
    if (m_timePictures.size() >= kMaxPictures)
        m_timePictures.clear();
    m_timePictures.insert(key, picture);
    return picture;
}
