#include "platform/base/clock.h"

#include "platform/base/timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace platform {
namespace {

class SystemClock : public Clock {
public:
    SystemClock() { m_started.start(); }

    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 monotonicMs() const override { return m_started.elapsed(); }

    void schedule(Timer* timer) override { timer->qtTimer().start(timer->interval()); }
    void cancel(Timer* timer) override { timer->qtTimer().stop(); }

private:
    QElapsedTimer m_started;
};

SystemClock g_systemClock;
Clock* g_clock = &g_systemClock;

} // namespace

Clock& clock() { return *g_clock; }

void setClock(Clock* c) { g_clock = c ? c : &g_systemClock; }

qint64 monotonicMs() { return clock().monotonicMs(); }

double secondsSinceMidnight()
{
    const QTime t = clock().now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

void doEvents() { QCoreApplication::processEvents(); }

} // namespace platform
