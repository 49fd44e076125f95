#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace platform {

class Clock;

// A window timer: fires `timeout` every `interval` milliseconds while enabled.
// Enabling a timer that is already enabled changes nothing; changing the
// interval of an enabled timer starts its count again; an interval of 0 never fires.
// The timer is run by the clock that was in use when it was enabled.
// msToNextSecond(now) is the interval that makes the next firing fall on the
// next full second.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(int intervalMs = 0, QObject* parent = nullptr);
    ~Timer() override;

    int interval() const { return m_interval; }
    void setInterval(int ms);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on);

    // A precise timer fires on its millisecond; an ordinary one may be moved by
    // a few percent of its interval so that the system can wake up less often.
    void setPrecise(bool precise);

    // Used by clocks: emits timeout.
    void fire();
    // Used by the system clock: the Qt timer behind this timer.
    QTimer& qtTimer() { return m_qtTimer; }

signals:
    void timeout();

private:
    void reschedule();

    int m_interval = 0;
    bool m_enabled = false;
    Clock* m_runningOn = nullptr;
    QTimer m_qtTimer;
};

int msToNextSecond(const QDateTime& now);

} // namespace platform
