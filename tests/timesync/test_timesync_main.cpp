#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/timesync/timepeers.h"
#include "timesync/frmntp.h"
#include "timesync/servers.h"
#include "tests/support/doubles/recordingclocksetter.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

using testsupport::Form1Fixture;
using testsupport::LoopbackTimeServer;

namespace {

void storeSyncTime(const QString& hhmmss)
{
    for (int i = 1; i <= 6; ++i)
        Form1Fixture::setOption(QStringLiteral("DefaultTimeSync%1").arg(i), hhmmss.mid(i - 1, 1));
}

// The main program's window set on a manual clock, with a loopback time server.
struct MainRig {
    MainRig()
        : fixture(QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0))), setter(testsupport::environment().clockSetter())
    {
        setter.clear();
        server.setReply(QByteArray::fromHex("F4865700"));
        timesync::setServerTable(QStringList(10, QStringLiteral("127.0.0.1")), server.port());
    }
    ~MainRig()
    {
        windows.reset();
        timesync::setServerTable({}, 0);
    }
    bool pump(const std::function<bool()>& done) { return testsupport::pumpUntil(done, &fixture.clock()); }
    int requests() const { return static_cast<int>(setter.requests().size()); }

    Form1Fixture fixture;
    platform::RecordingClockSetter& setter;
    LoopbackTimeServer server;
    std::unique_ptr<AppWindows> windows = std::make_unique<AppWindows>();
};

} // namespace

class TestTimeSyncMain : public QObject {
    Q_OBJECT
private slots:
    void dailySyncRunsOnceAtTheStoredSecond();
    void dailySyncRunsAgainAfterAReset();
    void noDailySyncWhileTheWindowIsOpenOrWhenOff();
    void menuCommandOpensTheManualWindow();
    void syncPictureStartsAnAutomaticRun();
};

void TestTimeSyncMain::dailySyncRunsOnceAtTheStoredSecond()
{
    MainRig rig;
    storeSyncTime(QStringLiteral("120005"));
    rig.windows->form1();
    // The window is built when the synchronisation needs it, not with the main window.
    QVERIFY(!rig.windows->timeServer());
    rig.fixture.clock().advance(4900);
    QVERIFY(!rig.windows->timeServer());
    QVERIFY(rig.pump([&] { return rig.requests() == 1; }));
    QVERIFY(rig.fixture.clock().now().time() >= QTime(12, 0, 5));
    frmNTP* ntp = rig.windows->timeServer();
    QVERIFY(ntp);
    QVERIFY(ntp->isVisible());
    QCOMPARE(ntp->syncMode(), -1);
    QVERIFY(!rig.setter.requests()[0].interactive);
    QVERIFY(rig.pump([&] { return !ntp->isLoaded(); }));
    rig.fixture.clock().advance(10000);
    QCOMPARE(rig.requests(), 1);
    QCOMPARE(rig.server.connectionCount(), 1);
    QCOMPARE(ntp->runningTimerCount(), 0);
}

void TestTimeSyncMain::dailySyncRunsAgainAfterAReset()
{
    MainRig rig;
    rig.windows->form1();
    rig.windows->unloadAll();
    QVERIFY(!rig.windows->timeServer());
    storeSyncTime(QStringLiteral("120003"));
    Form1* main = rig.windows->form1();
    QVERIFY(main);
    QVERIFY(rig.pump([&] { return rig.requests() == 1; }));
    frmNTP* second = rig.windows->timeServer();
    QVERIFY(second);
    QVERIFY(second->isVisible());
    QCOMPARE(second->syncMode(), -1);
}

void TestTimeSyncMain::noDailySyncWhileTheWindowIsOpenOrWhenOff()
{
    MainRig rig;
    storeSyncTime(QStringLiteral("120005"));
    Form1* main = rig.windows->form1();
    main->findChild<QAction*>(QStringLiteral("NTPserv"))->trigger();
    frmNTP* ntp = rig.windows->timeServer();
    QVERIFY(ntp);
    QVERIFY(ntp->isVisible());
    rig.fixture.clock().advance(8000);
    QCOMPARE(ntp->syncMode(), 0);
    QCOMPARE(rig.requests(), 0);
    ntp->Clfrm_Click();

    storeSyncTime(QStringLiteral("120010"));
    main->findChild<QAction*>(QStringLiteral("NTPASync"))->trigger();
    QVERIFY(!main->NetAutoSync);
    rig.fixture.clock().advance(4000);
    QVERIFY(!ntp->isVisible());
    QCOMPARE(rig.requests(), 0);
}

void TestTimeSyncMain::menuCommandOpensTheManualWindow()
{
    MainRig rig;
    Form1* main = rig.windows->form1();
    QAction* command = main->findChild<QAction*>(QStringLiteral("NTPserv"));
    QVERIFY(command->isEnabled());
    QCOMPARE(command->text(), QStringLiteral("Network Time Server"));
    QCOMPARE(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    command->trigger();
    frmNTP* ntp = rig.windows->timeServer();
    QVERIFY(ntp->isVisible());
    QCOMPARE(ntp->syncMode(), 0);
    QCOMPARE(rig.requests(), 0);
    ntp->findChild<QAction*>(QStringLiteral("Syn"))->trigger();
    QVERIFY(rig.pump([&] { return rig.requests() == 1; }));
    QVERIFY(rig.setter.requests()[0].interactive);
    QVERIFY(rig.pump([&] {
        return main->findChild<QLabel*>(QStringLiteral("Image11"))
            ->toolTip()
            .contains(QStringLiteral("Next at 12:00:0"));
    }));
}

void TestTimeSyncMain::syncPictureStartsAnAutomaticRun()
{
    MainRig rig;
    Form1* main = rig.windows->form1();
    QTest::mouseClick(main->findChild<QLabel*>(QStringLiteral("Image11")), Qt::LeftButton);
    frmNTP* ntp = rig.windows->timeServer();
    QVERIFY(ntp);
    QVERIFY(ntp->isVisible());
    QCOMPARE(ntp->syncMode(), -1);
    QVERIFY(rig.pump([&] { return rig.requests() == 1; }));
    QVERIFY(!rig.setter.requests()[0].interactive);
    QVERIFY(rig.pump([&] { return !ntp->isVisible(); }));
    QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultTimeSync1")), QStringLiteral("<missing>"));
    ntp->hide();
    QTest::mouseClick(main->findChild<QLabel*>(QStringLiteral("Image10")), Qt::LeftButton);
    QVERIFY(ntp->isVisible());
    QCOMPARE(ntp->syncMode(), -1);
}

VANTORA_TEST_MAIN(TestTimeSyncMain)
#include "test_timesync_main.moc"
