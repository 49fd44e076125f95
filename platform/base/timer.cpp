#include "platform/base/timer.h"

#include "platform/base/clock.h"

#include <exception>

namespace platform {

Timer::Timer(int intervalMs, QObject* parent) : QObject(parent), m_interval(intervalMs)
{
    m_qtTimer.setSingleShot(false);
    connect(&m_qtTimer, &QTimer::timeout, this, &Timer::fire);
}

Timer::~Timer()
{
    if (m_runningOn)
        m_runningOn->cancel(this);
}

void Timer::setInterval(int ms)
{
    m_interval = ms;
    reschedule();
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    reschedule();
}

void Timer::setPrecise(bool precise) { m_qtTimer.setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer); }

int msToNextSecond(const QDateTime& now) { return 1000 - now.time().msec(); }

void Timer::fire()
{
    // A failing handler ends here, before the error could reach Qt's event
    // delivery (see guarded in application.h).
    try {
        emit timeout();
    } catch (const std::exception&) {}
}

void Timer::reschedule()
{
    if (m_runningOn) {
        m_runningOn->cancel(this);
        m_runningOn = nullptr;
    }
    if (m_enabled && m_interval > 0) {
        m_runningOn = &clock();
        m_runningOn->schedule(this);
    }
}

} // namespace platform
