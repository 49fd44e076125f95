#include "platform/timedate/timedatedsetter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QPointer>

#include <atomic>

namespace platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
const QString kInterface = QStringLiteral("org.freedesktop.timedate1");
const QString kDefaultSystemBus = QStringLiteral("unix:path=/run/dbus/system_bus_socket");

QString newConnectionName()
{
    static std::atomic<int> count{0};
    return QStringLiteral("vantora-timedate-%1").arg(++count);
}

// Hands the answer of a finished call on, unless the asker has gone.
void deliver(const QDBusPendingCall& call, const QPointer<QObject>& context, const ClockSetter::Done& done)
{
    if (!context)
        return;
    done(call.isError() ? TimedatedClockSetter::resultOf(call.error()) : ClockSetResult::Set);
}

} // namespace

TimedatedClockSetter::TimedatedClockSetter() = default;

TimedatedClockSetter::TimedatedClockSetter(const QString& busAddress)
    : m_address(busAddress), m_connectionName(newConnectionName())
{}

TimedatedClockSetter::~TimedatedClockSetter()
{
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

QString TimedatedClockSetter::busAddress() const
{
    if (!m_address.isEmpty())
        return m_address;
    const QString fromEnvironment = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return fromEnvironment.isEmpty() ? kDefaultSystemBus : fromEnvironment;
}

ClockSetResult TimedatedClockSetter::resultOf(const QDBusError& error)
{
    const QString name = error.name();
    if (name == QLatin1String("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"))
        return ClockSetResult::AutomaticSyncOn;
    if (name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied")
        || name == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired")
        || name == QLatin1String("org.freedesktop.PolicyKit1.Error.NotAuthorized")
        || name == QLatin1String("org.freedesktop.PolicyKit1.Error.Cancelled")
        || name == QLatin1String("org.freedesktop.DBus.Error.AuthFailed"))
        return ClockSetResult::NotAuthorised;
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || name == QLatin1String("org.freedesktop.DBus.Error.NoServer")
        || name == QLatin1String("org.freedesktop.DBus.Error.Disconnected")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn")))
        return ClockSetResult::NoService;
    return ClockSetResult::Failed;
}

void TimedatedClockSetter::setTime(qint64 usecUtc, bool interactive, QObject* context, Done done)
{
    if (!realClockPermitted(busAddress())) {
        done(ClockSetResult::Failed);
        return;
    }
    QDBusConnection bus = m_address.isEmpty() ? QDBusConnection::systemBus()
                                              : QDBusConnection::connectToBus(m_address, m_connectionName);
    if (!bus.isConnected()) {
        done(ClockSetResult::NoService);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("SetTime"));
    call << qint64(usecUtc) << false << interactive;
    call.setInteractiveAuthorizationAllowed(interactive);
    const QDBusPendingCall pending = bus.asyncCall(call, interactive ? kInteractiveTimeoutMs : kTimeoutMs);
    const QPointer<QObject> asker(context);
    // A call that could not be sent has failed already, and a watcher on it
    // would never report.
    if (pending.isFinished()) {
        deliver(pending, asker, done);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(pending);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [asker, done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         deliver(*w, asker, done);
                     });
}

} // namespace platform
