#include "mainwindow/rowtimelabel.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kTimeLength = 8; // "hh:mm:ss"

bool endsWithTime(const QString& text)
{
    if (text.size() < kTimeLength)
        return false;
    const QStringView time = QStringView(text).right(kTimeLength);
    for (int i = 0; i < kTimeLength; ++i) {
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
        m_advances.clear();
    }
    QLabel::changeEvent(event);
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

qreal RowTimeLabel::timeWidth(QStringView time)
{
    qreal width = 0;
    for (const QChar c : time) {
        auto it = m_advances.find(c);
        if (it == m_advances.end())
            it = m_advances.insert(c, QFontMetricsF(font()).horizontalAdvance(c));
        width += *it;
    }
    return width;
}

RowTimeLabel::Layout RowTimeLabel::layoutOf(const QString& text)
{
    Layout layout;
    if (!endsWithTime(text) || alignment() != Qt::AlignCenter)
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
    layout.width = m_prefixWidth + timeWidth(QStringView(text).right(kTimeLength));
    const QRect area = contentsRect();
    layout.left = qRound(area.left() + (area.width() - layout.width) / 2);
    layout.timeLeft = layout.left + m_prefixWidth;
    return layout;
}

void RowTimeLabel::showText(const QString& text)
{
    if (text == this->text())
        return;
    const Layout before = layoutOf(this->text());
    const Layout after = layoutOf(text);
    const bool timeOnly = before.split && after.split && isVisible() && before.width == after.width
        && QStringView(this->text()).chopped(kTimeLength) == QStringView(text).chopped(kTimeLength);
    if (!timeOnly) {
        setText(text);
        return;
    }
    // The label would repaint all of itself: the date part stays as it is.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(text);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    const QRect area = contentsRect();
    update(QRectF(after.timeLeft, area.top(), after.width - m_prefixWidth + 1, area.height()).toAlignedRect());
}

void RowTimeLabel::paintEvent(QPaintEvent* event)
{
    const Layout layout = layoutOf(text());
    if (!layout.split) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const QRect area = contentsRect();
    const qreal top = area.top() + (area.height() - QFontMetricsF(font()).height()) / 2;
    if (event->rect().left() < layout.timeLeft)
        painter.drawStaticText(QPointF(layout.left, top), m_prefixText);
    qreal x = layout.timeLeft;
    for (const QChar c : QStringView(text()).right(kTimeLength)) {
        painter.drawStaticText(QPointF(x, top), glyph(c));
        x += m_advances.value(c);
    }
}
