#include "core/mainwin.h"
#include "mainwindow/form1.h"
#include "widgets/leddigit.h"
#include "platform/system/paths.h"
#include "resources/resources.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>

using testsupport::FakeReminders;
using testsupport::Form1Fixture;

namespace {

QDateTime at(int h, int m, int s, QDate d = QDate(2026, 12, 9)) { return QDateTime(d, QTime(h, m, s)); }

QString shownTime(Form1* w)
{
    QString digits;
    for (int i = 0; i < 6; ++i)
        digits += QString::number(w->findChild<platform::LedDigit*>(QString("LED1_%1").arg(i))->Value());
    return digits;
}

class FakeTimeServer : public TimeServerWindow {
public:
    QList<QPair<QTime, int>> starts;
    bool visible = false;
    bool isVisible() const override { return visible; }
    void StartNTP(int mode) override { starts.append({platform::clock().now().time(), mode}); }
    void setMessAuto() override {}
};

class FakeUpdates : public UpdateChecker {
public:
    QList<QDateTime> checks;
    void ChkUpdate(bool silent) override
    {
        QVERIFY(silent);
        checks.append(platform::clock().now());
    }
};

// The moments (ms from now, in steps of 10 ms) at which a picture changed while the clock ran `ms` on.
QList<qint64> changesOf(Form1Fixture& f, QLabel* picture, int ms)
{
    QList<qint64> changes;
    QImage shown = picture->pixmap().toImage();
    for (int t = 10; t <= ms; t += 10) {
        f.clock().advance(10);
        const QImage now = picture->pixmap().toImage();
        if (now != shown) {
            changes.append(t);
            shown = now;
        }
    }
    return changes;
}

} // namespace

class TestTick : public QObject {
    Q_OBJECT
private slots:
    void theFirstTickRunsInsideTheLoad()
    {
        Form1Fixture f(at(7, 5, 3));
        Form1* w = f.loadForm1();
        QCOMPARE(shownTime(w), QString("070503"));
        QCOMPARE(w->ExportHeur, QString("07:05:03"));
    }

    void theTickWakesOnceASecondOnTheSecond()
    {
        Form1Fixture f(at(10, 0, 0).addMSecs(700));
        Form1* w = f.loadForm1();
        int seconds = 0;
        connect(w, &Form1::secondShown, this, [&] { ++seconds; });
        f.clock().advance(299);
        QCOMPARE(shownTime(w), QString("100000"));
        f.clock().advance(1);
        QCOMPARE(shownTime(w), QString("100001"));
        QCOMPARE(seconds, 1);
        f.clock().advance(59 * 1000);
        QCOMPARE(seconds, 60);
        QCOMPARE(shownTime(w), QString("100100"));
        // A tick within a second already shown has nothing to do.
        w->Timer1_Timer();
        QCOMPARE(seconds, 60);
        // After the clock was set, the tick counted before comes, and the
        // one after it falls on the second again.
        f.clock().setNow(at(11, 0, 0).addMSecs(400));
        f.clock().advance(1000);
        QCOMPARE(shownTime(w), QString("110001"));
        f.clock().advance(600);
        QCOMPARE(shownTime(w), QString("110002"));
    }

    void theStatusBlinkRunsOnlyWhileItsOptionsAreOn()
    {
        Form1Fixture f(at(10, 0, 0));
        Form1Fixture::setOption("NetAutoSync", "False");
        Form1Fixture::setOption("VNNetAutoSync", "False");
        Form1* w = f.loadForm1();
        auto* sync = w->findChild<QLabel*>("Image10");
        auto* update = w->findChild<QLabel*>("Image12");
        QVERIFY(changesOf(f, sync, 3000).isEmpty());
        f.trigger("NTPASync");
        QVERIFY(!changesOf(f, sync, 3000).isEmpty());
        f.trigger("mnuVNUpAuto");
        f.trigger("NTPASync");
        QVERIFY(!changesOf(f, update, 3000).isEmpty());
        f.trigger("mnuVNUpAuto");
        QVERIFY(changesOf(f, update, 3000).isEmpty());
    }

    // With the default options the seconds flash and the status blink ride on
    // the tick's wake-ups: a blink change meets a new second or the flash's end
    // where one comes within 50 ms, and keeps its 800/400 ms rhythm.
    void theFlashAndTheBlinkShareTheTicksWakeUps()
    {
        Form1Fixture f(at(10, 0, 0));
        Form1* w = f.loadForm1();
        int wakeUps = 0;
        connect(&w->timer(1), &platform::Timer::timeout, this, [&] { ++wakeUps; });
        const QList<qint64> changes = changesOf(f, w->findChild<QLabel*>("Image10"), 6000);
        QCOMPARE(changes.size(), 9);
        for (int i = 1; i < changes.size(); ++i) {
            const qint64 phase = i % 2 ? 800 : 400;
            QVERIFY2(std::abs(changes[i] - changes[i - 1] - phase) <= 50, qPrintable(QString::number(i)));
        }
        // Six seconds, six flash ends, and six of the nine blink changes on their own.
        QCOMPARE(wakeUps, 18);
    }

    void onlyChangedDigitsAreWritten()
    {
        Form1Fixture f(at(12, 59, 58, QDate(2026, 12, 9)).addMSecs(900));
        Form1* w = f.loadForm1();
        f.clock().advance(300); // 12:59:59.2
        QCOMPARE(shownTime(w), QString("125959"));
        // Mark the first digit: a tick that rewrote it would put "1" back.
        w->findChild<platform::LedDigit*>("LED1_0")->setValue(7);
        f.clock().advance(1000);
        QCOMPARE(shownTime(w), QString("730000"));
        QCOMPARE(w->ExportHeur, QString("13:00:00"));
    }

    void theDateLineChangesAtMidnight()
    {
        Form1Fixture f(at(23, 59, 59));
        Form1* w = f.loadForm1();
        auto* date = w->findChild<QLabel*>("Label6");
        QCOMPARE(date->text(), QString("Wednesday 09 December 2026"));
        f.clock().advance(1000);
        QCOMPARE(date->text(), QString("Thursday 10 December 2026"));
    }

    void theHourlyBeepSoundsOncePerHour()
    {
        Form1Fixture f(at(12, 59, 50));
        Form1Fixture::setOption("BeepHours", "True");
        f.loadForm1();
        f.clock().advance(20 * 1000);
        QCOMPARE(f.sound().playCount(), 1);
        QCOMPARE(f.sound().lastPlayed(), platform::loadResource("CUSTOM", 103));
        f.clock().advance(60 * 60 * 1000);
        QCOMPARE(f.sound().playCount(), 2);
    }

    void noHourlyBeepWhenSwitchedOff()
    {
        Form1Fixture f(at(12, 59, 50));
        f.loadForm1();
        f.clock().advance(20 * 1000);
        QCOMPARE(f.sound().playCount(), 0);
    }

    void theHelpArchiveIsDeletedTenSecondsAfterStart()
    {
        Form1Fixture f(at(9, 0, 0));
        Form1* w = f.loadForm1();
        QFile zip(MainWin::helpZipPath());
        QVERIFY(zip.open(QIODevice::WriteOnly));
        zip.close();
        w->enableHelpCleanup();
        f.clock().advance(9999);
        QVERIFY(QFile::exists(MainWin::helpZipPath()));
        f.clock().advance(1);
        QVERIFY(!QFile::exists(MainWin::helpZipPath()));
        QVERIFY(!w->timer(11).isEnabled());
    }

    void theSecondsColonLightsForAQuarterSecond()
    {
        Form1Fixture f(at(9, 0, 0).addMSecs(100));
        Form1* w = f.loadForm1();
        auto* colon = w->findChild<QLabel*>("picSegment_7");
        const QImage rest = platform::loadBitmap(103).toImage();
        const QImage lit = platform::loadBitmap(105).toImage();
        f.clock().advance(1000); // 09:00:01.100: the second changed
        QCOMPARE(colon->pixmap().toImage(), lit);
        f.clock().advance(260);
        QCOMPARE(colon->pixmap().toImage(), rest);
    }

    void zoneRowsShowTheirTimes()
    {
        Form1Fixture f(at(12, 0, 0));
        Form1Fixture::setOption("LastTZAdd", "2");
        Form1Fixture::setOption("DefaultTZVal", "-60");
        Form1Fixture::setOption("VNTZval1", "0");
        Form1Fixture::setOption("VNTZval2", "300");
        Form1* w = f.loadForm1();
        QCOMPARE(w->findChild<QLabel*>("Label5_0")->text(), QString("Wed 09 Dec 2026 - 11:00:00"));
        QCOMPARE(w->findChild<QLabel*>("Label5_1")->text(), QString("Wed 09 Dec 2026 - 06:00:00"));
        QCOMPARE(w->LastTZAdd, qint16(2));
    }

    void aDamagedZoneValueEndsTheTickQuietly()
    {
        Form1Fixture f(at(12, 0, 0));
        Form1* w = f.loadForm1();
        Form1Fixture::setOption("LastTZAdd", "1");
        Form1Fixture::setOption("VNTZval1", "abc");
        f.clock().advance(5000);
        QCOMPARE(shownTime(w), QString("120005"));
        Form1Fixture::setOption("LastTZAdd", "99");
        Form1Fixture::setOption("VNTZval1", "0");
        f.clock().advance(1000);
        QCOMPARE(shownTime(w), QString("120006"));
    }

    void dailyTimeSyncStartsAtTheStoredTime()
    {
        Form1Fixture f(at(23, 59, 59));
        Form1* w = f.loadForm1();
        FakeTimeServer server;
        w->setTimeServer(&server);
        f.clock().advance(2000);
        // Missing keys read "0": the empty configuration syncs at 00:00:00,
        // asked on each tick of that second.
        QVERIFY(!server.starts.isEmpty());
        QCOMPARE(server.starts.first().first, QTime(0, 0, 0));
        QCOMPARE(server.starts.first().second, -1);
        QVERIFY(server.starts.last().first < QTime(0, 0, 1));

        server.starts.clear();
        server.visible = true;
        f.clock().setNow(at(23, 59, 59));
        f.clock().advance(2000);
        QVERIFY(server.starts.isEmpty());

        server.visible = false;
        f.trigger("NTPASync");
        f.clock().setNow(at(23, 59, 59));
        f.clock().advance(2000);
        QVERIFY(server.starts.isEmpty());
    }

    void theFirstUpdateCheckComesTenMinutesAfterLoadThenDaily()
    {
        Form1Fixture f(at(10, 0, 0));
        Form1* w = f.loadForm1();
        FakeUpdates updates;
        w->setUpdateChecker(&updates);
        f.clock().advance(599 * 1000);
        QVERIFY(updates.checks.isEmpty());
        QCOMPARE(w->findChild<QLabel*>("Image12")->toolTip(), QString("VN Auto-Update On - Next in 1 sec"));
        f.clock().advance(1000);
        QCOMPARE(updates.checks.size(), 1);
        QCOMPARE(Form1Fixture::option("VNNetAutoSyncTimeMain"), QString("101000"));
        QCOMPARE(w->findChild<QLabel*>("Image12")->toolTip(), QString("VN Auto-Update On - Next at 10:10:00"));
        f.clock().advance(3600 * 1000);
        QCOMPARE(updates.checks.size(), 1);
        // The daily check waits for whoever ends the running check.
        w->ActuSyncVN = false;
        f.clock().setNow(at(10, 9, 58).addDays(1));
        f.clock().advance(3000);
        QCOMPARE(updates.checks.size(), 2);
        QCOMPARE(updates.checks.last().time(), QTime(10, 10, 0));
    }

    void theUpdateCountdownRunsAcrossMidnight()
    {
        Form1Fixture f(at(23, 55, 0));
        Form1* w = f.loadForm1();
        FakeUpdates updates;
        w->setUpdateChecker(&updates);
        f.clock().advance(601 * 1000);
        QCOMPARE(updates.checks.size(), 1);
        QCOMPARE(updates.checks.first().time(), QTime(0, 5, 0));
    }

    void optionsAreStoredEveryTenSeconds()
    {
        Form1Fixture f(at(8, 0, 1));
        Form1* w = f.loadForm1();
        w->move(300, 150);
        f.clock().advance(8000);
        QCOMPARE(Form1Fixture::option("F1Left"), QString("<missing>"));
        f.clock().advance(1100);
        QCOMPARE(Form1Fixture::option("F1Left"), QString("4500"));
        QCOMPARE(Form1Fixture::option("Form1OnTop"), QString("True"));
        QCOMPARE(Form1Fixture::option("AlarmTime"), QString("00:00"));
    }

    void dueRemindersAreScannedOncePerSecond()
    {
        Form1Fixture f(at(8, 0, 0));
        Form1* w = f.loadForm1();
        FakeReminders reminders;
        w->setReminders(&reminders);
        f.clock().advance(3000);
        QCOMPARE(reminders.scans.size(), 3);
        reminders.editor = true;
        f.clock().advance(3000);
        QCOMPARE(reminders.scans.size(), 3);
        reminders.editor = false;
        reminders.count = 0;
        f.clock().advance(3000);
        QCOMPARE(reminders.scans.size(), 3);
    }
};

VANTORA_TEST_MAIN(TestTick)
#include "test_tick.moc"
