#pragma once

// The longest time the window thread went without running its events: a 5 ms
// timer notes the gap between its ticks; a gap far above 5 ms is a stall.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace bench {

class StallProbe {
public:
    StallProbe()
    {
        QObject::connect(&m_tick, &QTimer::timeout, [this] { note(); });
        m_clock.start();
        m_tick.start(5);
    }

    // The longest gap so far, the time since the last tick included.
    qint64 longestMs()
    {
        note();
        return m_worst;
    }

private:
    void note()
    {
        const qint64 now = m_clock.elapsed();
        m_worst = std::max(m_worst, now - m_last);
        m_last = now;
    }

    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

// The longest window-thread stall while `work` runs (it runs the event loop itself).
inline double longestStallMs(const std::function<void()>& work)
{
    StallProbe probe;
    work();
    return double(probe.longestMs());
}

} // namespace bench
