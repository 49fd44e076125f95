#include "tests/support/doubles/manualclock.h"

#include "platform/base/timer.h"

#include <QCoreApplication>

namespace platform {

ManualClock::ManualClock(const QDateTime& start) : m_now(start.toMSecsSinceEpoch()), m_monotonicOffset(m_now) {}

ManualClock::~ManualClock()
{
    // Timers still scheduled here must not call back into a dead clock.
    while (!m_entries.isEmpty())
        m_entries.first().timer->setEnabled(false);
}

QDateTime ManualClock::now() const { return QDateTime::fromMSecsSinceEpoch(m_now); }

int ManualClock::indexOf(const Timer* timer) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].timer == timer)
            return i;
    return -1;
}

void ManualClock::schedule(Timer* timer)
{
    cancel(timer);
    m_entries.append({timer, m_now + timer->interval(), m_nextOrder++});
}

void ManualClock::cancel(Timer* timer)
{
    const int i = indexOf(timer);
    if (i >= 0)
        m_entries.removeAt(i);
}

void ManualClock::advance(qint64 ms) { advanceTo(QDateTime::fromMSecsSinceEpoch(m_now + ms)); }

void ManualClock::advanceTo(const QDateTime& when)
{
    const qint64 target = when.toMSecsSinceEpoch();
    for (;;) {
        int next = -1;
        for (int i = 0; i < m_entries.size(); ++i) {
            const Entry& e = m_entries[i];
            if (e.due > target)
                continue;
            if (next < 0 || e.due < m_entries[next].due
                || (e.due == m_entries[next].due && e.order < m_entries[next].order))
                next = i;
        }
        if (next < 0)
            break;
        Entry& e = m_entries[next];
        m_now = e.due;
        Timer* timer = e.timer;
        // Count the next period before firing, so the handler may change it.
        e.due += timer->interval();
        e.order = m_nextOrder++;
        timer->fire();
        QCoreApplication::sendPostedEvents();
    }
    if (target < m_now)
        m_monotonicOffset += target - m_now; // going back is a jump: the monotonic clock stands still
    m_now = target;
}

void ManualClock::setNow(const QDateTime& when)
{
    const qint64 shift = when.toMSecsSinceEpoch() - m_now;
    for (Entry& e : m_entries)
        e.due += shift;
    m_monotonicOffset += shift;
    m_now = when.toMSecsSinceEpoch();
}

} // namespace platform
