#include "mainwindow/form1.h"
#include "resources/resources.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

using testsupport::Form1Fixture;

namespace {

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s)); }

class FakeRadio : public RadioWindow {
public:
    QStringList calls;
    bool visible = false;
    bool playing = false;
    bool isVisible() const override { return visible; }
    bool FormActive() const override { return visible; }
    bool playerVisible() const override { return visible; }
    bool webcamOn() const override { return playing; }
    void clearFileInHand() override {}
    void SelectRad(int station) override { calls << QString("select %1").arg(station); }
    void Show() override
    {
        visible = true;
        calls << "show";
    }
    void Image1_Click() override
    {
        playing = true;
        calls << "play";
    }
    void setAlarmMute(bool mute) override { calls << (mute ? "mute" : "unmute"); }
    void ExtOntop() override { calls << "ontop"; }
    void RepShu() override { calls << "repshu"; }
};

} // namespace

class TestAlarm : public QObject {
    Q_OBJECT
private slots:
    void alarmInput_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("accepted");
        QTest::newRow("three digits") << "730"
                                      << "07:30";
        QTest::newRow("four digits") << "0730"
                                     << "07:30";
        QTest::newRow("with colon") << "07:30"
                                    << "07:30";
        QTest::newRow("noon") << "1230"
                              << "12:30";
        QTest::newRow("short colon form") << "7:30"
                                          << "07:30";
        QTest::newRow("last minute") << "23:59"
                                     << "23:59";
        QTest::newRow("midnight") << "00:00"
                                  << "00:00";
        QTest::newRow("two digits") << "7:5"
                                    << "";
        QTest::newRow("hour 24") << "24:00"
                                 << "";
        QTest::newRow("minute 60") << "12:60"
                                   << "";
        QTest::newRow("five digits") << "12345"
                                     << "";
        QTest::newRow("letters") << "7a30"
                                 << "";
        QTest::newRow("blank") << " "
                               << "";
    }
    void alarmInput()
    {
        QFETCH(QString, typed);
        QFETCH(QString, accepted);
        QCOMPARE(Form1::parseAlarmInput(typed), accepted);
    }

    void aRefusedTimeIsAskedAgain()
    {
        Form1Fixture f(at(6, 0, 0));
        Form1* w = f.loadForm1();
        f.dialogs().answerNextInput("7:5");
        f.dialogs().answerNextInput("730");
        f.trigger("alar");
        QCOMPARE(f.dialogs().inputCount(), 2);
        QCOMPARE(f.dialogs().messageCount(), 1);
        const auto& refusal = f.dialogs().shown()[1];
        QCOMPARE(refusal.prompt, QString("Invalid Time Format"));
        QCOMPARE(refusal.style, platform::mb::Critical);
        QCOMPARE(f.dialogs().shown()[0].prompt, QString("Type the Alarm Time.\r\nRespect the format hh:mm"));
        QCOMPARE(f.dialogs().shown()[2].defaultText, QString("00:00"));
        QCOMPARE(w->alarmTimeText(), QString("07:30"));
        QVERIFY(w->alarmOn());
        QCOMPARE(Form1Fixture::option("AlarmTime"), QString("07:30"));
        QCOMPARE(Form1Fixture::option("Alarmsound"), QString("True"));
        QCOMPARE(w->findChild<QLabel*>("Label3")->text(), QString("Alarm  07:30"));
        QVERIFY(f.action("alarmbeep")->isChecked());
        QCOMPARE(f.action("alarmbeep")->text(), QString("Disable Alarm"));
    }

    void cancelKeepsTheOldTimeAndState()
    {
        Form1Fixture f(at(6, 0, 0));
        Form1Fixture::setOption("AlarmTime", "06:15");
        Form1* w = f.loadForm1();
        f.trigger("alar");
        QCOMPARE(w->alarmTimeText(), QString("06:15"));
        QVERIFY(!w->alarmOn());
        QVERIFY(Form1Fixture::option("Alarmsound") != QString("True"));
    }

    void theAlarmRingsAtItsTimeOnlyWhileOn()
    {
        Form1Fixture f(at(7, 29, 58));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1* w = f.loadForm1();
        f.clock().advance(5000);
        QVERIFY(!w->isRinging());
        QCOMPARE(f.sound().playCount(), 0);

        f.clock().setNow(at(7, 29, 58));
        f.trigger("alarmbeep");
        f.clock().advance(1900);
        QVERIFY(!w->isRinging());
        f.clock().advance(200); // 07:30:00.1
        QVERIFY(w->isRinging());
        f.clock().advance(1000);
        QVERIFY(f.sound().playCount() >= 1);
        QCOMPARE(f.sound().lastPlayed(), platform::loadResource("CUSTOM", 101));
        QVERIFY(f.action("snoozealarm")->isEnabled());
        QVERIFY(f.action("stopalarm")->isEnabled());
    }

    void itRingsAMinuteThenSnoozesNineMinutes()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("AlarmChoice", "2");
        Form1* w = f.loadForm1();
        f.clock().advance(1000); // 07:30:00 ringing starts
        QVERIFY(w->isRinging());
        f.clock().advanceTo(at(7, 30, 59));
        QVERIFY(w->isRinging());
        const int rings = f.sound().playCount();
        QVERIFY(rings >= 70 && rings <= 80); // a sound every 750 ms for a minute
        QCOMPARE(f.sound().lastPlayed(), platform::loadResource("CUSTOM", 102));
        f.clock().advanceTo(at(7, 31, 1));
        QVERIFY(!w->isRinging());
        QVERIFY(w->isSnoozed());
        QVERIFY(!f.action("snoozealarm")->isEnabled());
        QVERIFY(f.action("stopalarm")->isEnabled());
        auto* countdown = w->findChild<QLabel*>("Image5");
        QCOMPARE(countdown->toolTip(), QString("Alarm will reactivate"));
        f.clock().advanceTo(at(7, 32, 1));
        QCOMPARE(countdown->toolTip(), QString("Alarm in less than 8 minutes"));
        // Ringing stopped at 07:31:00.75; it comes back 8 min 59 s later.
        f.clock().advanceTo(at(7, 39, 59).addMSecs(700));
        QVERIFY(!w->isRinging());
        QCOMPARE(countdown->toolTip(), QString("Alarm in less than 1 minute"));
        f.clock().advance(100);
        QVERIFY(w->isRinging());
    }

    void snoozeAndStopFromTheMenu()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        f.clock().advance(5000);
        f.trigger("snoozealarm");
        QVERIFY(!w->isRinging());
        QVERIFY(w->isSnoozed());
        f.clock().advance(3 * 60 * 1000);
        f.trigger("stopalarm");
        QVERIFY(!f.action("stopalarm")->isEnabled());
        QVERIFY(!f.action("snoozealarm")->isEnabled());
        QCOMPARE(w->findChild<QLabel*>("Image5")->toolTip(), QString());
        const int before = f.sound().playCount();
        f.clock().advance(20 * 60 * 1000);
        QCOMPARE(f.sound().playCount(), before);
        QVERIFY(w->alarmOn());
    }

    void aStoppedAlarmSnoozesTheFullLengthNextTime()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        f.clock().advance(2000);
        f.trigger("snoozealarm");
        f.clock().advance(5 * 60 * 1000 + 500);
        QCOMPARE(w->snoozeCount(), qint16(5));
        f.trigger("stopalarm");
        QCOMPARE(w->snoozeCount(), qint16(0));
        // The next day's alarm snoozes the whole 8 min 59 s again.
        f.clock().setNow(at(7, 29, 59).addDays(1));
        f.clock().advance(2000);
        QVERIFY(w->isRinging());
        f.trigger("snoozealarm");
        const QDateTime stopped = platform::clock().now();
        f.clock().advanceTo(stopped.addSecs(538));
        QVERIFY(!w->isRinging());
        f.clock().advanceTo(stopped.addSecs(540));
        QVERIFY(w->isRinging());
    }

    void stopWithinTheAlarmSecondIsNotUndone()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        f.clock().advance(1100); // 07:30:00.1, ringing
        f.clock().advance(700);  // the first sound at 07:30:00.75
        QVERIFY(w->isRinging());
        f.trigger("stopalarm");
        f.clock().advance(100);
        QVERIFY(!w->isRinging());
    }

    // The computer's clock put back over the alarm time brings its second again: it rings again.
    void anAlarmSecondThatComesAgainRingsAgain()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        f.clock().advance(1100);
        f.clock().advance(700); // the first sound enables Stop
        QVERIFY(w->isRinging());
        f.trigger("stopalarm");
        f.clock().advance(5000);
        QVERIFY(!w->isRinging());
        f.clock().setNow(at(7, 29, 59));
        f.clock().advance(1100);
        QVERIFY(w->isRinging());
    }

    void switchingTheAlarmOffStopsTheRinging()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        f.clock().advance(3000);
        QVERIFY(w->isRinging());
        f.trigger("alarmbeep");
        QVERIFY(!w->isRinging());
        QVERIFY(!w->timer(5).isEnabled());
        QCOMPARE(w->findChild<QLabel*>("Label3")->text(), QString("Alarm Disabled"));
        f.clock().advance(30 * 60 * 1000);
        QVERIFY(!w->isRinging());
    }

    void theHourlyBeepIsSilentWhileTheAlarmRings()
    {
        Form1Fixture f(at(7, 59, 58));
        Form1Fixture::setOption("AlarmTime", "07:59");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("BeepHours", "True");
        f.clock().setNow(at(7, 58, 59));
        Form1* w = f.loadForm1();
        f.clock().advanceTo(at(8, 0, 0).addMSecs(500));
        QVERIFY(w->isRinging());
        f.clock().advanceTo(at(8, 0, 5));
        const QByteArray beep = platform::loadResource("CUSTOM", 103);
        for (const QByteArray& played : f.sound().played())
            QVERIFY(played != beep);
    }

    void theRadioWakesUpMutedWhileTheAlarmRings()
    {
        Form1Fixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.loadForm1();
        FakeRadio radio;
        w->setRadio(&radio);
        f.clock().advance(1000);
        QCOMPARE(radio.calls.mid(0, 4), (QStringList{"select 2", "show", "play", "mute"}));
        QCOMPARE(w->RaURL, w->stationURL(2));
        f.clock().advanceTo(at(7, 31, 1));
        QCOMPARE(radio.calls.last(), QString("unmute"));
    }
};

VANTORA_TEST_MAIN(TestAlarm)
#include "test_alarm.moc"
