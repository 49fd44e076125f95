#include "compat/win32/colors.h"
#include "tests/timesync/ntprig.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using platform::ClockSetResult;
using testsupport::Form1Fixture;
using testsupport::LoopbackTimeServer;
using testsupport::NtpRig;

Q_DECLARE_METATYPE(ClockSetResult)

namespace {

const QByteArray kY2030 = QByteArray::fromHex("F4865700");
constexpr qint64 kY2030Usec = 1893456000LL * 1000000;
const QString kSuccess = QStringLiteral("Local System Clock synchronised succesfully");
const QString kFailed = QStringLiteral("Network Time Synchronisation failed");
const QString kInvalid = QStringLiteral("NTP Server returned an invalid response");

QStringList loopbackHosts(int first, int count)
{
    QStringList hosts;
    for (int i = 0; i < count; ++i)
        hosts.append(QStringLiteral("127.0.0.%1").arg(first + i));
    return hosts;
}

QColor textColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

} // namespace

class TestFrmNtp : public QObject {
    Q_OBJECT
private slots:
    void manualSuccessStoresTheDailyTime();
    void manualSuccessWithAutoSyncOff();
    void automaticRunSetsTheClockQuietlyAndCloses();
    void automaticRunTriesEveryServerThenCloses_data();
    void automaticRunTriesEveryServerThenCloses();
    void openingByHandEndsAnAutomaticRun();
    void refusalSaysWhyAndNeverClaimsSuccess_data();
    void refusalSaysWhyAndNeverClaimsSuccess();
    void automaticRefusalStopsTheRun();
    void invalidRepliesLeaveTheClockAlone_data();
    void invalidRepliesLeaveTheClockAlone();
    void replyInPiecesIsJoined();
    void halfTripIsAdded_data();
    void halfTripIsAdded();
    void attemptAcrossMidnightOrAClockJump();
    void silentServerTimesOut();
    void damagedSelectionChoosesTheFirstServer_data();
    void damagedSelectionChoosesTheFirstServer();
    void aFloodIsNotRead();
    void userServerIsKeptAsTyped();
    void lateAnswerAfterClosingIsIgnored();
    void closeBoxDuringAnAutomaticRun();
    void noTimerRunsWhileClosed();
    void statusChangesAreLoggedOnce();
    void realTimeServer();
    void syncLogStaysBounded();
};

void TestFrmNtp::manualSuccessStoresTheDailyTime()
{
    NtpRig rig(QDateTime(QDate(2026, 12, 9), QTime(7, 5, 9)));
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());

    rig.main->findChild<QAction*>(QStringLiteral("NTPserv")); // the main window's menu exists
    rig.ntp->StartNTP(0);
    QVERIFY(rig.ntp->isVisible());
    QCOMPARE(rig.ntp->windowTitle(), QStringLiteral("Vantora - v 2.9.0 - Network Time Synchronisation"));
    QVERIFY(rig.menuEnabled("Syn") && rig.menuEnabled("ServList") && rig.menuEnabled("Clfrm"));
    rig.action("Syn")->trigger();
    QVERIFY(!rig.menuEnabled("Syn") && !rig.menuEnabled("ServList") && !rig.menuEnabled("Clfrm"));
    QVERIFY(rig.pump([&] { return !rig.text("Label1").isEmpty(); }));

    QCOMPARE(rig.text("Label1"), kSuccess);
    QCOMPARE(rig.setter.requests().size(), 1);
    QCOMPARE(rig.setter.requests()[0].usecUtc, kY2030Usec);
    QVERIFY(rig.setter.requests()[0].interactive);
    const QStringList digits{"0", "7", "0", "5", "0", "9"};
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync%1").arg(i)), digits[i - 1]);
    QCOMPARE(rig.text("Label6"), QStringLiteral("Auto 07:05:09"));
    QCOMPARE(rig.label("Label6")->toolTip(), QStringLiteral("Next Auto-Sync at 07:05:09"));
    QCOMPARE(rig.mainTooltip("Image10"), QStringLiteral("NTP Auto-Sync On - Next at 07:05:09"));
    QCOMPARE(rig.mainTooltip("Image11"), QStringLiteral("NTP Auto-Sync On - Next at 07:05:09"));
    // One synchronisation per opening: only closing is left.
    QVERIFY(rig.menuEnabled("Clfrm"));
    QVERIFY(!rig.menuEnabled("Syn"));
    QVERIFY(!rig.menuEnabled("ServList"));
    QVERIFY(rig.ntp->syncLog().contains(QStringLiteral("Sync Time: Wednesday 09 December 2026 - 07:05:09\r\n"
                                                       "Server: 127.0.0.1\r\n")));
    QVERIFY(rig.ntp->syncLog().contains(QStringLiteral(" - ") + kSuccess + QStringLiteral("\r\n")));
    QVERIFY(rig.label("Image2")->toolTip().startsWith(QStringLiteral("Server : 127.0.0.1 - IP Address ")));
}

void TestFrmNtp::manualSuccessWithAutoSyncOff()
{
    NtpRig rig(QDateTime(QDate(2026, 12, 9), QTime(7, 5, 9)));
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.fixture().trigger(QStringLiteral("NTPASync"));
    QVERIFY(!rig.main->NetAutoSync);
    rig.ntp->StartNTP(0);
    QCOMPARE(rig.text("Label6"), QStringLiteral("Auto Sync OFF"));
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return !rig.text("Label1").isEmpty(); }));
    QCOMPARE(rig.text("Label1"), kSuccess);
    QCOMPARE(rig.mainTooltip("Image10"), QStringLiteral("NTP Auto-Sync Off"));
    QCOMPARE(rig.text("Label6"), QStringLiteral("Auto Sync OFF"));
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync6")), QStringLiteral("9"));
}

void TestFrmNtp::automaticRunSetsTheClockQuietlyAndCloses()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(-1);
    QCOMPARE(rig.ntp->windowTitle(), QStringLiteral("Vantora - v 2.9.0 - Auto Network Time Synchronisation"));
    QVERIFY(!rig.menuEnabled("Syn") && !rig.menuEnabled("ServList") && !rig.menuEnabled("Clfrm"));
    QVERIFY(rig.pumpUntilRequests(1, 0));
    QVERIFY(!rig.setter.requests()[0].interactive);
    QCOMPARE(rig.text("Label1"), kSuccess);
    QVERIFY(rig.ntp->syncOK());
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync%1").arg(i)), QStringLiteral("<missing>"));
    QVERIFY(!rig.menuEnabled("Syn") && !rig.menuEnabled("Clfrm"));
    rig.clock().advance(2900);
    QVERIFY(rig.ntp->isVisible());
    rig.clock().advance(200);
    QVERIFY(!rig.ntp->isVisible());
    QVERIFY(!rig.ntp->isLoaded());
    QCOMPARE(rig.ntp->runningTimerCount(), 0);
    QCOMPARE(rig.setter.requests().size(), 1);
}

void TestFrmNtp::automaticRunTriesEveryServerThenCloses_data()
{
    QTest::addColumn<QString>("userServer");
    QTest::addColumn<QStringList>("expected");
    const QStringList builtIn = loopbackHosts(1, 10);
    QTest::newRow("no user server") << QString() << (QStringList{builtIn[3]} + builtIn);
    QTest::newRow("with a user server") << QStringLiteral("127.0.0.11")
                                        << (QStringList{builtIn[3]} + builtIn + QStringList{"127.0.0.11"});
}

void TestFrmNtp::automaticRunTriesEveryServerThenCloses()
{
    QFETCH(QString, userServer);
    QFETCH(QStringList, expected);
    NtpRig rig;
    timesync::setServerTable(loopbackHosts(1, 10), testsupport::closedPort());
    Form1Fixture::setOption(QStringLiteral("srvL"), QStringLiteral("3"));
    if (!userServer.isEmpty())
        Form1Fixture::setOption(QStringLiteral("UserLink"), userServer);
    rig.ntp->StartNTP(-1);
    QVERIFY(rig.pump([&] { return !rig.ntp->isLoaded(); }));
    QCOMPARE(rig.dialled(), expected);
    QCOMPARE(rig.setter.requests().size(), 0);
    QCOMPARE(rig.text("Label1"), kFailed);
    QVERIFY(!rig.ntp->isVisible());
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync1")), QStringLiteral("<missing>"));
}

void TestFrmNtp::openingByHandEndsAnAutomaticRun()
{
    NtpRig rig;
    timesync::setServerTable(loopbackHosts(1, 10), testsupport::closedPort());
    rig.ntp->StartNTP(-1);
    QVERIFY(rig.pump([&] { return rig.text("Label1") == kFailed; }));
    rig.ntp->StartNTP(0); // while the retry waits
    rig.clock().advance(20000);
    NtpRig::settle();
    rig.clock().advance(100);
    QCOMPARE(rig.dialled().size(), 1);
    QVERIFY(rig.ntp->isVisible());
    QCOMPARE(rig.ntp->syncMode(), 0);
    QVERIFY(rig.menuEnabled("Syn") && rig.menuEnabled("ServList") && rig.menuEnabled("Clfrm"));
}

void TestFrmNtp::refusalSaysWhyAndNeverClaimsSuccess_data()
{
    QTest::addColumn<ClockSetResult>("answer");
    QTest::newRow("automatic sync on") << ClockSetResult::AutomaticSyncOn;
    QTest::newRow("not authorised") << ClockSetResult::NotAuthorised;
    QTest::newRow("no service") << ClockSetResult::NoService;
    QTest::newRow("failed") << ClockSetResult::Failed;
}

void TestFrmNtp::refusalSaysWhyAndNeverClaimsSuccess()
{
    QFETCH(ClockSetResult, answer);
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.setter.setAnswer(answer);
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return !rig.text("Label1").isEmpty(); }));
    QCOMPARE(rig.text("Label1"), platform::clockSetFailureText(answer));
    QVERIFY(!rig.text("Label1").isEmpty());
    QCOMPARE(textColour(rig.label("Label1")), platform::fromBgr(0x0000FF));
    QVERIFY(rig.menuEnabled("Syn") && rig.menuEnabled("ServList") && rig.menuEnabled("Clfrm"));
    QVERIFY(!rig.ntp->syncLog().contains(kSuccess));
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync1")), QStringLiteral("<missing>"));
    QCOMPARE(rig.mainTooltip("Image10"), QStringLiteral("NTP Auto-Sync On - Next at 00:00:00"));
}

void TestFrmNtp::automaticRefusalStopsTheRun()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.setter.setAnswer(ClockSetResult::AutomaticSyncOn);
    rig.ntp->StartNTP(-1);
    QVERIFY(rig.pumpUntilRequests(1, 0));
    QCOMPARE(rig.text("Label1"), platform::clockSetFailureText(ClockSetResult::AutomaticSyncOn));
    rig.clock().advance(3100);
    QVERIFY(!rig.ntp->isLoaded());
    QCOMPARE(rig.dialled().size(), 1);
    QCOMPARE(server.connectionCount(), 1);
    QCOMPARE(rig.setter.requests().size(), 1);
}

void TestFrmNtp::invalidRepliesLeaveTheClockAlone_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("no octets") << QByteArray();
    QTest::newRow("3 octets") << QByteArray::fromHex("F48657");
    QTest::newRow("5 octets") << QByteArray::fromHex("F486570001");
    QTest::newRow("four zero octets") << QByteArray(4, '\0');
    QTest::newRow("2000, before this program was built") << QByteArray::fromHex("BC17C200");
    QTest::newRow("a flood of 64 MB") << QByteArray(64 * 1024 * 1024, 'x');
}

void TestFrmNtp::invalidRepliesLeaveTheClockAlone()
{
    QFETCH(QByteArray, reply);
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply(reply);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return !rig.text("Label1").isEmpty(); }));
    QCOMPARE(rig.text("Label1"), kInvalid);
    QCOMPARE(textColour(rig.label("Label1")), platform::fromBgr(0x0000FF));
    QCOMPARE(rig.setter.requests().size(), 0);
    QVERIFY(rig.menuEnabled("Syn") && rig.menuEnabled("ServList") && rig.menuEnabled("Clfrm"));
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync1")), QStringLiteral("<missing>"));
    // The next attempt works.
    server.setReply(kY2030);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilRequests(1));
    QVERIFY(rig.pump([&] { return rig.text("Label1") == kSuccess; }));
}

void TestFrmNtp::replyInPiecesIsJoined()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply({QByteArray::fromHex("F486"), QByteArray::fromHex("5700")});
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilRequests(1, 0));
    QCOMPARE(rig.setter.requests()[0].usecUtc, kY2030Usec);
}

void TestFrmNtp::halfTripIsAdded_data()
{
    QTest::addColumn<int>("roundTripMs");
    QTest::addColumn<int>("addedSeconds");
    QTest::newRow("half trip 0.5 s") << 1000 << 0;
    QTest::newRow("half trip 1.5 s") << 3000 << 2;
    QTest::newRow("half trip 2.5 s") << 5000 << 2;
    QTest::newRow("half trip 0.8 s") << 1600 << 1;
}

void TestFrmNtp::halfTripIsAdded()
{
    QFETCH(int, roundTripMs);
    QFETCH(int, addedSeconds);
    NtpRig rig;
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Hold);
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilConnected());
    rig.clock().advance(roundTripMs);
    server.release();
    QVERIFY(rig.pumpUntilRequests(1, 0));
    QCOMPARE(rig.setter.requests()[0].usecUtc, kY2030Usec + addedSeconds * 1000000LL);
}

void TestFrmNtp::attemptAcrossMidnightOrAClockJump()
{
    // A round trip of one second across midnight adds nothing (half of it rounds
    // to 0), where seconds since midnight would have made it half a day.
    NtpRig rig(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 600)));
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Hold);
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilConnected());
    rig.clock().advance(600);
    rig.clock().setNow(rig.clock().now().addSecs(-3600)); // the clock is set back meanwhile
    rig.clock().advance(400);
    QCOMPARE(rig.clock().now().date(), QDate(2026, 12, 9));
    server.release();
    QVERIFY(rig.pumpUntilRequests(1, 0));
    QCOMPARE(rig.setter.requests()[0].usecUtc, kY2030Usec);
}

void TestFrmNtp::silentServerTimesOut()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Silent);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilConnected());
    rig.clock().advance(9900);
    QCOMPARE(rig.text("Label2"), QStringLiteral("Host computer connected..."));
    QVERIFY(rig.text("Label1").isEmpty());
    QVERIFY(!rig.menuEnabled("Syn"));
    rig.clock().advance(200);
    QCOMPARE(rig.text("Label1"), kFailed);
    QCOMPARE(rig.text("Label2"), QStringLiteral("Connection error..."));
    QVERIFY(rig.menuEnabled("Syn"));
    QCOMPARE(rig.setter.requests().size(), 0);
    rig.clock().advance(5100);
    QCOMPARE(rig.text("Label2"), QStringLiteral("Connection closed"));
}

void TestFrmNtp::damagedSelectionChoosesTheFirstServer_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("userServer");
    QTest::addColumn<int>("selected");
    QTest::newRow("not a number") << "abc"
                                  << "" << 0;
    QTest::newRow("negative") << "-1"
                              << "" << 0;
    QTest::newRow("beyond the list") << "11"
                                     << "" << 0;
    QTest::newRow("user entry without a server") << "10"
                                                 << "" << 0;
    QTest::newRow("user entry with a server") << "10"
                                              << "127.0.0.9" << 10;
    QTest::newRow("a built-in one") << "7"
                                    << "" << 7;
}

void TestFrmNtp::damagedSelectionChoosesTheFirstServer()
{
    QFETCH(QString, stored);
    QFETCH(QString, userServer);
    QFETCH(int, selected);
    NtpRig rig;
    timesync::setServerTable(loopbackHosts(1, 10), testsupport::closedPort());
    Form1Fixture::setOption(QStringLiteral("srvL"), stored);
    if (!userServer.isEmpty())
        Form1Fixture::setOption(QStringLiteral("UserLink"), userServer);
    rig.ntp->StartNTP(0);
    QCOMPARE(rig.ntp->serverIndex(), selected);
    QVERIFY(rig.action(QStringLiteral("srvL_%1").arg(selected))->isChecked());
    QCOMPARE(rig.text("Label3"), rig.ntp->serverName(selected));
    rig.action("Syn")->trigger();
    QCOMPARE(rig.dialled(), QStringList{rig.ntp->serverName(selected)});
}

// A server that never stops sending is read no further than a reply can be long.
void TestFrmNtp::aFloodIsNotRead()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Flood);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return !rig.text("Label1").isEmpty(); }));
    QCOMPARE(rig.text("Label1"), kInvalid);
    QCOMPARE(rig.setter.requests().size(), 0);
    QVERIFY2(server.flooded() < 16 * 1024 * 1024, qPrintable(QString::number(server.flooded())));
}

void TestFrmNtp::userServerIsKeptAsTyped()
{
    NtpRig rig;
    rig.ntp->StartNTP(0);
    QVERIFY(!rig.action("srvL_10")->isEnabled());
    rig.ntp->srvL_Click(10); // no user server yet: nothing happens
    QCOMPARE(rig.ntp->serverIndex(), 0);

    rig.fixture().dialogs().answerNextInput(QString());
    rig.action("SetSrvL")->trigger();
    QCOMPARE(rig.action("srvL_10")->text(), QStringLiteral("User Defined Server"));

    rig.fixture().dialogs().answerNextInput(QStringLiteral("time&co.example"));
    rig.action("SetSrvL")->trigger();
    const auto& shown = rig.fixture().dialogs().shown();
    QCOMPARE(shown.last().prompt, QStringLiteral("Enter the NTP Server you want to use"));
    QCOMPARE(shown.last().title, QStringLiteral("Vantora - NTP Synchronisation"));
    QCOMPARE(Form1Fixture::option(QStringLiteral("UserLink")), QStringLiteral("time&co.example"));
    QCOMPARE(rig.action("srvL_10")->text(), QStringLiteral("time&&co.example"));
    QVERIFY(rig.action("srvL_10")->isEnabled());
    rig.action("srvL_10")->trigger();
    QCOMPARE(rig.ntp->serverIndex(), 10);
    QCOMPARE(Form1Fixture::option(QStringLiteral("srvL")), QStringLiteral("10"));
    QCOMPARE(rig.text("Label3"), QStringLiteral("time&co.example"));
    QCOMPARE(rig.ntp->serverName(10), QStringLiteral("time&co.example"));
    // Blanks typed around a name are not part of it.
    rig.fixture().dialogs().answerNextInput(QStringLiteral("  time.example \t"));
    rig.action("SetSrvL")->trigger();
    QCOMPARE(Form1Fixture::option(QStringLiteral("UserLink")), QStringLiteral("time.example"));
    QCOMPARE(rig.ntp->serverName(10), QStringLiteral("time.example"));

    rig.action("RemSrvL")->trigger();
    QCOMPARE(Form1Fixture::option(QStringLiteral("srvL")), QStringLiteral("0"));
    QCOMPARE(Form1Fixture::option(QStringLiteral("UserLink")), QStringLiteral("User Defined Server"));
    QCOMPARE(rig.ntp->serverIndex(), 0);
    QVERIFY(!rig.action("srvL_10")->isEnabled());
    QVERIFY(rig.action("srvL_0")->isChecked());
    QVERIFY(!rig.action("srvL_10")->isChecked());
}

void TestFrmNtp::lateAnswerAfterClosingIsIgnored()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.setter.setDeferred(true);
    rig.ntp->StartNTP(0);
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return rig.setter.pendingCount() == 1; }, 0));
    rig.action("Clfrm")->setEnabled(true); // the user closes the window meanwhile
    rig.action("Clfrm")->trigger();
    QVERIFY(!rig.ntp->isVisible());
    QCOMPARE(rig.ntp->runningTimerCount(), 0);
    QCOMPARE(rig.setter.answerPending(ClockSetResult::Set), 1);
    QVERIFY(rig.text("Label1").isEmpty());
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync1")), QStringLiteral("<missing>"));

    // Opened again, it works as new.
    rig.setter.setDeferred(false);
    rig.ntp->StartNTP(0);
    QVERIFY(rig.menuEnabled("Syn"));
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return rig.text("Label1") == kSuccess; }));
}

void TestFrmNtp::closeBoxDuringAnAutomaticRun()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Hold);
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    QSignalSpy unloaded(rig.ntp.get(), &frmNTP::unloaded);
    rig.ntp->StartNTP(-1);
    QVERIFY(rig.pump([&] { return server.connectionCount() == 1; }, 0));
    rig.ntp->close();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!rig.ntp->isVisible());
    server.release();
    QVERIFY(rig.pump([&] { return server.openConnections() == 0; }, 0));
    rig.clock().advance(20000);
    NtpRig::settle();
    QCOMPARE(rig.setter.requests().size(), 0);
    QCOMPARE(rig.ntp->runningTimerCount(), 0);
    QCOMPARE(unloaded.count(), 1);
}

void TestFrmNtp::noTimerRunsWhileClosed()
{
    NtpRig rig;
    QCOMPARE(rig.ntp->runningTimerCount(), 0);
    rig.ntp->StartNTP(0);
    QCOMPARE(rig.ntp->runningTimerCount(), 4);
    rig.action("Clfrm")->trigger();
    QCOMPARE(rig.ntp->runningTimerCount(), 0);
    QVERIFY(!rig.ntp->isVisible());
}

void TestFrmNtp::statusChangesAreLoggedOnce()
{
    NtpRig rig;
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Hold);
    server.setReply(kY2030);
    NtpRig::useServer(server.port());
    rig.ntp->StartNTP(0);
    rig.clock().advance(1000);
    const QString idle = rig.ntp->syncLog();
    QVERIFY(!idle.contains(QStringLiteral("Connection closed")));
    rig.action("Syn")->trigger();
    QVERIFY(rig.pump([&] { return rig.text("Label2") == QLatin1String("Host computer connected..."); }));
    rig.clock().advance(500);
    server.release();
    QVERIFY(rig.pump([&] { return rig.text("Label1") == kSuccess; }));
    rig.clock().advance(1000);
    const QString log = rig.ntp->syncLog();
    QCOMPARE(log.count(QStringLiteral(" - Host computer connected...\r\n")), 1);
    QCOMPARE(log.count(QStringLiteral(" - Connection closed\r\n")), 1);
    rig.clock().advance(1000);
    QCOMPARE(rig.ntp->syncLog(), log);
}

void TestFrmNtp::realTimeServer()
{
    testsupport::XinetdTimeServer xinetd;
    QVERIFY2(xinetd.start(), "xinetd did not start");
    NtpRig rig;
    NtpRig::useServer(xinetd.port());
    rig.ntp->StartNTP(0);
    const qint64 beforeMs = QDateTime::currentMSecsSinceEpoch();
    rig.action("Syn")->trigger();
    QVERIFY(rig.pumpUntilRequests(1, 0));
    const qint64 afterMs = QDateTime::currentMSecsSinceEpoch();
    // The TIME protocol counts whole seconds; half the round trip may be added.
    const qint64 askedMs = rig.setter.requests()[0].usecUtc / 1000;
    QVERIFY2(askedMs >= beforeMs - 1000 && askedMs <= afterMs + (afterMs - beforeMs) / 2 + 1000,
             qPrintable(QStringLiteral("%1 not in %2..%3").arg(askedMs).arg(beforeMs).arg(afterMs)));
    QVERIFY(rig.pump([&] { return rig.text("Label1") == kSuccess; }));
    xinetd.stop();
}

void TestFrmNtp::syncLogStaysBounded()
{
    NtpRig rig;
    NtpRig::useServer(testsupport::closedPort());
    rig.ntp->StartNTP(0);
    for (int i = 0; i < 450; ++i) {
        rig.action("Syn")->trigger();
        QVERIFY(rig.pump([&] { return rig.menuEnabled("Syn"); }));
    }
    const QString log = rig.ntp->syncLog();
    QVERIFY(log.size() <= frmNTP::kSyncLogLimit);
    QVERIFY(log.size() > frmNTP::kSyncLogLimit / 2);
    QVERIFY(log.startsWith(QStringLiteral("Server: ")) || log.startsWith(QStringLiteral("Sync Time: "))
            || log.at(0).isLetter());
    QVERIFY(log.endsWith(QStringLiteral(" - ") + kFailed + QStringLiteral("\r\n")));
}

VANTORA_TEST_MAIN(TestFrmNtp)
#include "test_frmntp.moc"
