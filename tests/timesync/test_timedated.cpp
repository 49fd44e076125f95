#include "platform/timedate/timedatedsetter.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

using platform::ClockSetResult;
using platform::TimedatedClockSetter;

Q_DECLARE_METATYPE(ClockSetResult)

namespace {

const QString kStandInConnection = QStringLiteral("stand-in-timedated");

// The part of systemd-timedated the setter talks to, answering as the test says.
class StandInTimedated : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
public:
    struct Call {
        qlonglong usec;
        bool relative;
        bool interactive;
        bool interactiveAuthorisationAllowed;
    };
    QList<Call> calls;
    QString errorName;
    bool hold = false;
    QList<QDBusMessage> held;

public slots:
    void SetTime(qlonglong usecUtc, bool relative, bool interactive)
    {
        calls.append({usecUtc, relative, interactive, message().isInteractiveAuthorizationAllowed()});
        if (hold) {
            setDelayedReply(true);
            held.append(message());
        } else if (!errorName.isEmpty()) {
            sendErrorReply(errorName, QStringLiteral("refused by the stand-in"));
        }
    }
};

} // namespace

class TestTimedated : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void setsTheClockOnThePrivateSystemBus();
    void onlyManualRequestsMayAskForAPassword();
    void errorRepliesMapToResults_data();
    void errorRepliesMapToResults();
    void missingServiceIsNoService();
    void noBusIsNoServiceAtOnce();
    void answerAfterTheAskerHasGoneIsDropped();
    void withoutARealSetterNothingIsSet();
    void guardFailsATestThatReachesTheSystemBus();

private:
    std::optional<ClockSetResult> ask(TimedatedClockSetter& setter, bool interactive);
    QDBusConnection standInBus() const { return QDBusConnection(kStandInConnection); }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    StandInTimedated m_standIn;
};

void TestTimedated::initTestCase()
{
    const QString address = testsupport::environment().systemBusAddress();
    const QString socket = address.mid(QStringLiteral("unix:path=").size());
    QFile conf(m_dir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                              "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig><type>system</type><listen>%1</listen><auth>EXTERNAL</auth>"
                              "<policy context=\"default\"><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                              "<allow own=\"*\"/></policy></busconfig>\n")
                   .arg(address)
                   .toUtf8());
    conf.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + conf.fileName(), QStringLiteral("--nofork"),
                    QStringLiteral("--nopidfile")});
    QVERIFY(m_daemon.waitForStarted());
    QTRY_VERIFY(QFile::exists(socket));

    QDBusConnection bus = QDBusConnection::connectToBus(address, kStandInConnection);
    QVERIFY2(bus.isConnected(), qPrintable(bus.lastError().message()));
    QVERIFY(
        bus.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &m_standIn, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.timedate1")));
}

void TestTimedated::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(kStandInConnection);
    ::kill(static_cast<pid_t>(m_daemon.processId()), SIGTERM);
    m_daemon.waitForFinished();
}

void TestTimedated::init()
{
    m_standIn.calls.clear();
    m_standIn.errorName.clear();
    m_standIn.hold = false;
}

std::optional<ClockSetResult> TestTimedated::ask(TimedatedClockSetter& setter, bool interactive)
{
    std::optional<ClockSetResult> result;
    QObject asker;
    setter.setTime(1796800000LL * 1000000, interactive, &asker, [&](ClockSetResult r) { result = r; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }))
        return std::nullopt;
    return result;
}

void TestTimedated::setsTheClockOnThePrivateSystemBus()
{
    TimedatedClockSetter setter; // the system bus, which the test environment points at its own
    QCOMPARE(setter.busAddress(), testsupport::environment().systemBusAddress());
    QCOMPARE(ask(setter, true), std::optional(ClockSetResult::Set));
    QCOMPARE(m_standIn.calls.size(), 1);
    QCOMPARE(m_standIn.calls[0].usec, 1796800000LL * 1000000);
    QCOMPARE(m_standIn.calls[0].relative, false);
    QCOMPARE(m_standIn.calls[0].interactive, true);
    QCOMPARE(m_standIn.calls[0].interactiveAuthorisationAllowed, true);
}

void TestTimedated::onlyManualRequestsMayAskForAPassword()
{
    TimedatedClockSetter setter(testsupport::environment().systemBusAddress());
    QCOMPARE(ask(setter, false), std::optional(ClockSetResult::Set));
    QCOMPARE(m_standIn.calls.size(), 1);
    QCOMPARE(m_standIn.calls[0].interactive, false);
    QCOMPARE(m_standIn.calls[0].interactiveAuthorisationAllowed, false);
}

void TestTimedated::errorRepliesMapToResults_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<ClockSetResult>("result");
    QTest::newRow("NTP on") << "org.freedesktop.timedate1.AutomaticTimeSyncEnabled" << ClockSetResult::AutomaticSyncOn;
    QTest::newRow("access denied") << "org.freedesktop.DBus.Error.AccessDenied" << ClockSetResult::NotAuthorised;
    QTest::newRow("password needed") << "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"
                                     << ClockSetResult::NotAuthorised;
    QTest::newRow("something else") << "org.freedesktop.DBus.Error.Failed" << ClockSetResult::Failed;
    QTest::newRow("unknown method") << "org.freedesktop.DBus.Error.UnknownMethod" << ClockSetResult::NoService;
}

void TestTimedated::errorRepliesMapToResults()
{
    QFETCH(QString, error);
    QFETCH(ClockSetResult, result);
    m_standIn.errorName = error;
    TimedatedClockSetter setter;
    QCOMPARE(ask(setter, true), std::optional(result));
    QCOMPARE(m_standIn.calls.size(), 1);
}

void TestTimedated::missingServiceIsNoService()
{
    QVERIFY(standInBus().unregisterService(QStringLiteral("org.freedesktop.timedate1")));
    TimedatedClockSetter setter;
    QCOMPARE(ask(setter, false), std::optional(ClockSetResult::NoService));
    QVERIFY(standInBus().registerService(QStringLiteral("org.freedesktop.timedate1")));
    QCOMPARE(m_standIn.calls.size(), 0);
}

void TestTimedated::noBusIsNoServiceAtOnce()
{
    TimedatedClockSetter setter(QStringLiteral("unix:path=") + testsupport::environment().root()
                                + QStringLiteral("/runtime/no-bus-here"));
    std::optional<ClockSetResult> result;
    QObject asker;
    setter.setTime(0, true, &asker, [&](ClockSetResult r) { result = r; });
    // Answered within the call: no event loop needed.
    QCOMPARE(result, std::optional(ClockSetResult::NoService));
}

void TestTimedated::answerAfterTheAskerHasGoneIsDropped()
{
    TimedatedClockSetter setter;
    m_standIn.hold = true;
    bool lateAnswer = false;
    {
        QObject asker;
        setter.setTime(0, true, &asker, [&](ClockSetResult) { lateAnswer = true; });
        QVERIFY(QTest::qWaitFor([&] { return m_standIn.held.size() == 1; }));
    }
    standInBus().send(m_standIn.held.takeFirst().createReply());
    m_standIn.hold = false;
    // A second call's answer comes after the first one's on the same connection.
    QCOMPARE(ask(setter, false), std::optional(ClockSetResult::Set));
    QVERIFY(!lateAnswer);
}

void TestTimedated::withoutARealSetterNothingIsSet()
{
    platform::setClockSetter(nullptr);
    std::optional<ClockSetResult> result;
    QObject asker;
    platform::clockSetter().setTime(0, true, &asker, [&](ClockSetResult r) { result = r; });
    platform::setClockSetter(&testsupport::environment().clockSetter());
    QCOMPARE(result, std::optional(ClockSetResult::NoService));
    QCOMPARE(m_standIn.calls.size(), 0);
}

void TestTimedated::guardFailsATestThatReachesTheSystemBus()
{
    // Only the guard is asked, in a child process: no setter is made there.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTORA_ASK_GUARD_ONLY"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QVERIFY(child.readAllStandardError().contains("The real clock setter was reached"));
}

int main(int argc, char** argv)
{
    testsupport::environment();
    if (qEnvironmentVariableIsSet("VANTORA_ASK_GUARD_ONLY")) {
        platform::realClockPermitted(QStringLiteral("unix:path=/run/dbus/system_bus_socket"));
        return 0;
    }
    QApplication app(argc, argv);
    TestTimedated tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_timedated.moc"
