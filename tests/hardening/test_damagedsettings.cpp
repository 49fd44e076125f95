#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "resources/resources.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <functional>

using testsupport::FakeReminders;
using testsupport::Form1Fixture;

namespace {

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s)); }

QByteArray storedBytes()
{
    QFile file(platform::settingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FakeTimeServer : public TimeServerWindow {
public:
    int starts = 0;
    bool isVisible() const override { return false; }
    void StartNTP(int) override { ++starts; }
    void setMessAuto() override {}
};

// A box that stays open while the clock runs on (the program's timers keep
// firing under a modal box), then gives its answer.
class SlowDialogs : public platform::ScriptedDialogs {
public:
    std::function<void()> whileOpen;
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        if (whileOpen)
            whileOpen();
        return ScriptedDialogs::msgBox(prompt, style, title);
    }
};

// The user's alarm at 12:01, the hourly beep, and a daily sync at 12:00:05.
void storeUsersDay()
{
    Form1Fixture::setOption("AlarmTime", "12:01");
    Form1Fixture::setOption("Alarmsound", "True");
    Form1Fixture::setOption("BeepHours", "True");
    Form1Fixture::setOption("FirstUse", "False");
    const QString sync = "120005";
    for (int i = 1; i <= 6; ++i)
        Form1Fixture::setOption(QString("DefaultTimeSync%1").arg(i), sync.mid(i - 1, 1));
}

void storeDamage(const QString& damage)
{
    for (const QString& pair : damage.split(';')) {
        const auto kv = pair.split('=');
        Form1Fixture::setOption(kv[0], kv[1]);
    }
}

} // namespace

class TestDamagedSettings : public QObject {
    Q_OBJECT
private:
    void damagedZoneValues()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("count not a number") << "LastTZAdd=abc";
        QTest::newRow("count too large") << "LastTZAdd=99999";
        QTest::newRow("home bias not a number") << "LastTZAdd=1;DefaultTZVal=abc";
        QTest::newRow("zone bias too large") << "LastTZAdd=1;VNTZval1=1e10";
    }

    // Runs 11:59:50 .. 12:01:10 and checks that every step of the tick did its work.
    void checkTheDayRunsOn(Form1Fixture& f, Form1* w)
    {
        FakeTimeServer server;
        FakeReminders reminders;
        w->setTimeServer(&server);
        w->setReminders(&reminders);
        w->move(40, 60);
        f.clock().advance(80 * 1000);
        QVERIFY(w->isRinging());
        QCOMPARE(f.sound().played().count(platform::loadResource("CUSTOM", 103)), 1); // 12:00:00
        QVERIFY(f.sound().played().count(platform::loadResource("CUSTOM", 101)) > 0);
        QVERIFY(server.starts > 0);
        QVERIFY(reminders.scans.size() >= 80);
        QCOMPARE(Form1Fixture::option("F1Left"), QString("600"));
        QCOMPARE(Form1Fixture::option("F1Top"), QString("900"));
        w->setTimeServer(nullptr);
        w->setReminders(nullptr);
    }

private slots:
    void aZoneValueDamagedWhileRunningEndsOnlyItsStep_data() { damagedZoneValues(); }
    void aZoneValueDamagedWhileRunningEndsOnlyItsStep()
    {
        QFETCH(QString, damage);
        Form1Fixture f(at(11, 59, 50));
        storeUsersDay();
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        storeDamage(damage); // another program of the user writes it
        checkTheDayRunsOn(f, w);
        QCOMPARE(f.dialogs().messageCount(), 0);
    }

    void anOutOfRangeZoneValueAtStartLoadsAndRuns_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("count too large") << "LastTZAdd=99999";
        QTest::newRow("zone bias too large") << "LastTZAdd=1;VNTZval1=1e10";
    }
    void anOutOfRangeZoneValueAtStartLoadsAndRuns()
    {
        QFETCH(QString, damage);
        Form1Fixture f(at(11, 59, 50));
        storeUsersDay();
        storeDamage(damage);
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(f.dialogs().messageCount(), 0);
        checkTheDayRunsOn(f, w);
    }

    void aZoneValueThatDoesNotConvertAtStartAsksForTheReset_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("count") << "LastTZAdd=abc";
        QTest::newRow("home bias") << "LastTZAdd=1;DefaultTZVal=abc";
    }
    void aZoneValueThatDoesNotConvertAtStartAsksForTheReset()
    {
        QFETCH(QString, damage);
        Form1Fixture f(at(11, 59, 50));
        storeUsersDay();
        storeDamage(damage);
        f.dialogs().answerNextMessage(platform::mb::Yes);
        Form1* w = f.loadForm1();
        QCOMPARE(f.dialogs().messageCount(), 1);
        QVERIFY(f.dialogs().shown().first().prompt.startsWith("A serious settings error occured."));
        QCOMPARE(w->loadResult(), Form1::LoadResult::ResetRequested);
    }

    void nothingIsStoredWhileTheSettingsQuestionIsOpen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << platform::mb::No;
        QTest::newRow("Yes") << platform::mb::Yes;
    }
    void nothingIsStoredWhileTheSettingsQuestionIsOpen()
    {
        QFETCH(int, answer);
        Form1Fixture f(at(7, 0, 0));
        Form1Fixture::setOption("FirstUse", "False");
        Form1Fixture::setOption("F1Left", "3000");
        Form1Fixture::setOption("F1Top", "1500");
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("AlarmChoice", "abc"); // stops the load before the beep and on-top options
        Form1Fixture::setOption("BeepHours", "True");
        Form1Fixture::setOption("Form1OnTop", "False");
        const QByteArray before = storedBytes();

        SlowDialogs slow;
        slow.answerNextMessage(answer);
        slow.whileOpen = [&] {
            f.clock().advance(30 * 1000);
            QWidget* w = f.form1();
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
        };
        platform::setDialogs(&slow);
        Form1* w = f.loadForm1();
        QCOMPARE(slow.messageCount(), 1);
        QCOMPARE(storedBytes(), before);
        // The window stays unloaded-looking until the start-up acts on the answer.
        f.clock().advance(30 * 1000);
        QCOMPARE(storedBytes(), before);
        QCOMPARE(w->loadResult(),
                 answer == platform::mb::No ? Form1::LoadResult::EndRequested : Form1::LoadResult::ResetRequested);
    }

    void aPositionOnNoScreenReadsAsMissing_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::newRow("huge") << "1e30"
                              << "1e30";
        QTest::newRow("beyond a single") << "1e40"
                                         << "450";
        QTest::newRow("far left") << "-99999"
                                  << "450";
        QTest::newRow("below every screen") << "300"
                                            << "900000";
    }
    void aPositionOnNoScreenReadsAsMissing()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        Form1Fixture f(at(7, 0, 0));
        storeUsersDay();
        Form1Fixture::setOption("F1Left", left);
        Form1Fixture::setOption("F1Top", top);
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(f.dialogs().messageCount(), 0);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(w->pos(), QPoint((screen.width() - w->width()) / 2, (screen.height() - w->height()) / 2));
        QVERIFY(w->alarmOn());
    }

    void aPositionOnAScreenIsKept()
    {
        Form1Fixture f(at(7, 0, 0));
        Form1Fixture::setOption("F1Left", "3000");
        Form1Fixture::setOption("F1Top", "1500");
        QCOMPARE(f.loadForm1()->pos(), QPoint(200, 100));
    }

    void aCompletedLoadStoresEveryTenSeconds()
    {
        Form1Fixture f(at(7, 0, 1));
        Form1* w = f.loadForm1();
        w->move(20, 30);
        f.clock().advance(10 * 1000);
        QCOMPARE(Form1Fixture::option("F1Left"), QString("300"));
        QCOMPARE(Form1Fixture::option("F1Top"), QString("450"));
    }
};

VANTORA_TEST_MAIN(TestDamagedSettings)
#include "test_damagedsettings.moc"
