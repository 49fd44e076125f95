#include "mainwindow/form1.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

using testsupport::InfoFixture;
using testsupport::WindowRadio;

namespace {

QDateTime at(int h, int m, int s, int ms = 0) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s, ms)); }

// Counts the triggers of an action.
int triggersWhile(QAction* action, const std::function<void()>& step)
{
    int count = 0;
    auto c = QObject::connect(action, &QAction::triggered, [&count] { ++count; });
    step();
    QObject::disconnect(c);
    return count;
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void theIconIsInTheTrayFromTheStartWithTheTimeAsTip()
    {
        InfoFixture f(at(9, 4, 58));
        f.loadForm1();
        QVERIFY(f.tray().isIconShown());
        QVERIFY(f.tray().hasIcon());
        QCOMPARE(f.tray().tips().first(), QString("Vantora"));
        QCOMPARE(f.tray().toolTip(), QString("Vantora - 09:04"));
        QCOMPARE(f.tray().contextMenu()->objectName(), QString("tools"));
    }

    void theTipFollowsEachNewMinuteOnly()
    {
        InfoFixture f(at(9, 4, 58));
        f.loadForm1();
        const int before = static_cast<int>(f.tray().tips().size());
        f.clock().advance(1500);
        QCOMPARE(f.tray().toolTip(), QString("Vantora - 09:04"));
        f.clock().advance(1000); // 09:05:00.5
        QCOMPARE(f.tray().toolTip(), QString("Vantora - 09:05"));
        f.clock().advanceTo(at(9, 6, 30));
        QCOMPARE(f.tray().toolTip(), QString("Vantora - 09:06"));
        // One change a minute, not one a tick.
        QCOMPARE(f.tray().tips().size(), before + 2);
    }

    void hidingHidesTheClockAndTheRadioAndTheAlarmStillRings()
    {
        InfoFixture f(at(7, 29, 50));
        f.setOption("AlarmTime", "07:30");
        Form1* w = f.loadForm1();
        f.trigger("alarmbeep");
        WindowRadio radio;
        w->setRadio(&radio);
        radio.show();
        w->show();
        f.trigger("hidesystr");
        QVERIFY(!w->isVisible());
        QVERIFY(!radio.isVisible());
        QVERIFY(w->isHiddenInTray());
        QVERIFY(f.tray().isIconShown());
        f.clock().advanceTo(at(7, 30, 2));
        QVERIFY(w->isRinging());
        QVERIFY(f.sound().playCount() >= 1);
        QVERIFY(!w->isVisible());
    }

    void aClickOnTheIconShowsTheClockOnly()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        WindowRadio radio;
        w->setRadio(&radio);
        radio.show();
        w->show();
        w->hidtout();
        QVERIFY(!w->isVisible());
        f.tray().click();
        QVERIFY(w->isVisible());
        QVERIFY(!w->isHiddenInTray());
        QVERIFY(!radio.isVisible());
    }

    void aClickRestoresAClockTheWindowManagerLeftMinimised()
    {
        InfoFixture f;
        f.tray().setHostAvailable(false);
        Form1* w = f.loadForm1();
        w->show();
        f.trigger("hidesystr"); // no tray: minimised
        f.tray().setHostAvailable(true);
        f.trigger("hidesystr"); // a tray now: hidden, still minimised
        QVERIFY(!w->isVisible());
        f.tray().click();
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
    }

    void theF7ShortcutHides()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        QCOMPARE(f.action("hidesystr")->shortcut(), QKeySequence("F7"));
        QVERIFY(w->actions().contains(f.action("hidesystr")));
    }

    void withoutATrayHostTheClockIsMinimisedNotHidden()
    {
        InfoFixture f;
        f.tray().setHostAvailable(false);
        Form1* w = f.loadForm1();
        WindowRadio radio;
        w->setRadio(&radio);
        radio.show();
        w->show();
        f.trigger("hidesystr");
        QVERIFY(w->isVisible());
        QVERIFY(w->isMinimized());
        QVERIFY(!w->isHiddenInTray());
        QVERIFY(radio.isVisible());
        QVERIFY(radio.isMinimized());
    }

    void whenTheHostGoesAwayWhileHiddenTheClockComesBack()
    {
        InfoFixture f(at(10, 0, 1));
        Form1* w = f.loadForm1();
        w->show();
        f.trigger("hidesystr");
        QVERIFY(!w->isVisible());
        f.tray().setHostAvailable(false);
        f.clock().advanceTo(at(10, 0, 10, 500));
        QVERIFY(w->isVisible());
        QVERIFY(!w->isHiddenInTray());
    }

    void aHostThatAppearsLaterGetsANewIcon()
    {
        InfoFixture f(at(10, 0, 1));
        f.tray().setHostAvailable(false);
        f.loadForm1();
        QCOMPARE(f.tray().showCount(), 1);
        f.clock().advanceTo(at(10, 0, 15));
        QCOMPARE(f.tray().showCount(), 1);
        f.tray().setHostAvailable(true);
        f.clock().advanceTo(at(10, 0, 25));
        QCOMPARE(f.tray().showCount(), 2);
        QCOMPARE(f.tray().tips().last(), QString("Vantora - 10:00")); // the new icon's tip at once
        f.clock().advanceTo(at(10, 1, 25));
        QCOMPARE(f.tray().showCount(), 2);
    }

    void hidingRightAfterAHostAppearsBindsTheIconFirst()
    {
        InfoFixture f(at(10, 0, 1));
        f.tray().setHostAvailable(false);
        Form1* w = f.loadForm1();
        w->show();
        f.tray().setHostAvailable(true);
        f.trigger("hidesystr"); // before the next poll noticed the host
        QCOMPARE(f.tray().showCount(), 2);
        QVERIFY(!w->isVisible());
    }

    void theHostIsPolledAtMostEveryTenSeconds()
    {
        InfoFixture f(at(10, 0, 1));
        f.loadForm1();
        const int before = f.tray().availabilityChecks();
        f.clock().advanceTo(at(10, 2, 1));
        QCOMPARE(f.tray().availabilityChecks() - before, 12);
    }

    void doubleAndMiddleClicksPlayTheDefaultStation()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        w->show();
        QAction* play = f.action("Plydf");
        play->setEnabled(true); // as the radio commands leave it
        QCOMPARE(triggersWhile(play, [&] { f.tray().doubleClick(); }), 1);
        QCOMPARE(triggersWhile(play, [&] { f.tray().middleClick(); }), 1);
        play->setEnabled(false);
        QCOMPARE(triggersWhile(play, [&] { f.tray().middleClick(); }), 0);
    }

    void theIconLeavesWithTheMainWindow()
    {
        InfoFixture f;
        f.loadForm1();
        QVERIFY(f.tray().isIconShown());
        f.unload();
        QVERIFY(!f.tray().isIconShown());
    }
};

VANTORA_TEST_MAIN(TestTray)
#include "test_tray.moc"
