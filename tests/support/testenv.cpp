#include "tests/support/testenv.h"

#include "platform/base/peerguard.h"
#include "tests/support/privatenet.h"
#include "tests/support/resolverguard.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace testsupport {

namespace {
void setVar(const char* name, const QString& value) { ::setenv(name, value.toLocal8Bit().constData(), 1); }
} // namespace

TestEnvironment::TestEnvironment()
{
    if (!m_dir.isValid())
        std::abort();
    // Tests that start system daemons run in a network of their own (CTest sets this).
    if (qEnvironmentVariableIntValue("VANTORA_PRIVATE_NETWORK") == 1)
        enterPrivateNetwork();
    setVar("HOME", home());
    setVar("XDG_CONFIG_HOME", configHome());
    setVar("XDG_DATA_HOME", dataHome());
    setVar("XDG_CACHE_HOME", root() + "/home/.cache");
    setVar("XDG_STATE_HOME", root() + "/home/.local/state");
    setVar("XDG_RUNTIME_DIR", root() + "/runtime");
    setVar("TMPDIR", root() + "/tmp");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        setVar("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    // Both buses are sockets in the temporary folder. Left unset, the session
    // bus would be "autolaunched" on an X display: libdbus runs dbus-launch,
    // which starts a bus daemon that outlives the test.
    setVar("DBUS_SESSION_BUS_ADDRESS", QStringLiteral("unix:path=") + root() + "/runtime/session_bus_socket");
    setVar("DBUS_SYSTEM_BUS_ADDRESS", systemBusAddress());
    restoreWebBase();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    createFolders();
    installGuards();
}

TestEnvironment::~TestEnvironment()
{
    platform::setClockSetter(nullptr);
    platform::setDefaultDialogs(nullptr);
    platform::setDialogs(nullptr);
    platform::setRealClockGuard({});
    platform::setPeerGuard({});
}

QString TestEnvironment::systemBusAddress() const
{
    return QStringLiteral("unix:path=") + root() + "/runtime/system_bus_socket";
}

void TestEnvironment::installGuards()
{
    if (!resolverGuardLinked())
        std::abort();
    platform::setClockSetter(&m_clockSetter);
    platform::setDefaultDialogs(&m_dialogs);
    platform::setDialogs(nullptr);
    const QString privateBuses = QStringLiteral("unix:path=") + root() + QLatin1Char('/');
    platform::setRealClockGuard([privateBuses](const QString& busAddress) {
        if (!busAddress.startsWith(privateBuses) || busAddress.contains(QLatin1String("..")))
            qFatal("The real clock setter was reached on bus \"%s\": tests must never set the computer's clock",
                   qPrintable(busAddress));
        return true;
    });
    platform::setPeerGuard([](const QString& host) {
        const QHostAddress address(host);
        const bool loopback = host == QLatin1String("localhost") || (!address.isNull() && address.isLoopback());
        if (!loopback)
            qFatal("A test tried to reach \"%s\": tests talk to loopback peers only", qPrintable(host));
    });
}

void TestEnvironment::restoreWebBase() { setVar("VANTORA_WEB_BASE", closedWebBase()); }

QString TestEnvironment::home() const { return root() + "/home"; }
QString TestEnvironment::configHome() const { return home() + "/.config"; }
QString TestEnvironment::dataHome() const { return home() + "/.local/share"; }

void TestEnvironment::createFolders()
{
    for (const QString& sub :
         {QStringLiteral("/home/.config"), QStringLiteral("/home/.local/share"), QStringLiteral("/home/.cache"),
          QStringLiteral("/home/.local/state"), QStringLiteral("/runtime"), QStringLiteral("/tmp")})
        QDir().mkpath(root() + sub);
    QFile::setPermissions(root() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestEnvironment::wipe()
{
    QDir(home()).removeRecursively();
    createFolders();
}

TestEnvironment& environment()
{
    static TestEnvironment env;
    return env;
}

int slowdown() { return std::max(1, qEnvironmentVariableIntValue("VANTORA_TEST_SLOWDOWN")); }

int iterations(int count, int floor) { return std::max(floor, count / slowdown()); }

void drainEvents()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool killAfterReportedWrites(QProcess& child, int writes)
{
    qsizetype reported = 0;
    while (reported < writes) {
        if (!child.waitForReadyRead(patience(20000)))
            return false;
        reported += child.readAllStandardOutput().count('\n');
    }
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    return child.waitForFinished(patience(20000));
}

int patience(int ms) { return ms * slowdown(); }

} // namespace testsupport
