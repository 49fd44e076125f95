#pragma once

#include "platform/base/clocksetter.h"

#include <QDBusError>
#include <QString>

namespace platform {

// Sets the computer's clock through systemd-timedated
// (org.freedesktop.timedate1 SetTime on the system bus). The service refuses
// while automatic time synchronisation is on and asks polkit whether the
// caller may set the clock; polkit may ask the user to authenticate, but only
// for interactive requests.
class TimedatedClockSetter : public ClockSetter {
public:
    // Talks to the system bus (DBUS_SYSTEM_BUS_ADDRESS when set).
    TimedatedClockSetter();
    // Talks to the bus at this address.
    explicit TimedatedClockSetter(const QString& busAddress);
    ~TimedatedClockSetter() override;

    void setTime(qint64 usecUtc, bool interactive, QObject* context, Done done) override;

    // How long an answer is awaited. An interactive request waits for the user
    // to type a password, so it is given much longer.
    static constexpr int kTimeoutMs = 25000;
    static constexpr int kInteractiveTimeoutMs = 300000;

    // The result a D-Bus error reply stands for.
    static ClockSetResult resultOf(const QDBusError& error);
    // The address of the bus the setter uses.
    QString busAddress() const;

private:
    QString m_address;
    QString m_connectionName;
};

} // namespace platform
