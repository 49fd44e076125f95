#pragma once

// The longest time the window thread went without running its events: a 5 ms
// timer notes the gap between its ticks; a gap far above 5 ms is a stall. On a
// loaded machine a gap may also be time the thread was not given a processor,
// so the probe notes the thread's own processor time across each gap as well:
// a long gap with little of it is the machine, not the program.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <functional>

namespace bench {

class StallProbe {
public:
    StallProbe()
    {
        QObject::connect(&m_tick, &QTimer::timeout, [this] { note(); });
        m_clock.start();
        m_lastCpu = threadCpuMs();
        m_tick.start(5);
    }

    // The longest gap so far, the time since the last tick included.
    qint64 longestMs()
    {
        note();
        return m_worst;
    }
    // The most processor time the window thread spent between two ticks.
    double longestBusyMs()
    {
        note();
        return m_worstBusy;
    }

private:
    static double threadCpuMs()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }

    void note()
    {
        const qint64 now = m_clock.elapsed();
        const double cpu = threadCpuMs();
        m_worst = std::max(m_worst, now - m_last);
        m_worstBusy = std::max(m_worstBusy, cpu - m_lastCpu);
        m_last = now;
        m_lastCpu = cpu;
    }

    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_last = 0;
    qint64 m_worst = 0;
    double m_lastCpu = 0;
    double m_worstBusy = 0;
};

// The longest window-thread stall while `work` runs (it runs the event loop itself).
inline double longestStallMs(const std::function<void()>& work)
{
    StallProbe probe;
    work();
    return double(probe.longestMs());
}

} // namespace bench
