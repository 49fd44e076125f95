// Every command of the Tools menu: usable, and choosing it does something a
// user can see (a window, a box, a check mark, a stored setting, ...).

#include "mainwindow/form1.h"
#include "tests/support/doubles/recordingdownloader.h"
#include "platform/settings/settings.h"
#include "saver/modss.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using testsupport::commandsOf;
using testsupport::DialogCloser;
using testsupport::Form1Fixture;
using testsupport::InfoFixture;

namespace {

// The commands that must be usable. Extend it as commands are wired.
const QStringList kExpectedEnabled{
    "alar",
    "alarmbeep",
    "al1",
    "al2",
    "radalarm",
    "beephour",
    "DispDat",
    "Datform",
    "Flsh",
    "alwvis",
    "mnuAutoRun",
    "NTPASync",
    "mnuVNUpAuto",
    "url_1",
    "url_2",
    "url_3",
    "url_4",
    "url_5",
    "url_6",
    "url_7",
    "url_8",
    "url_9",
    "Plydf",
    "repeatmp3",
    "shufflemp3",
    "autopl",
    "seturl",
    "addrem_1",
    "addrem_2",
    "VNSsaver",
    "PrevSSVN",
    "VNSet",
    "mnuMin_0",
    "mnuMin_1",
    "mnuMin_2",
    "mnuMin_4",
    "VNHelp",
    "VNHist",
    "sEula",
    "aboutdnw",
    "OSInf",
    "Resetall",
    "hidesystr",
    "exi",
    "AddTZ",
    "NTPserv",
    // Online services
    "InterLaunch",
    "ChckUpdt",
    "ChckUpdtList",
    "SendLinks_1",
    "SendLinks_2",
    "SendLinks_3",
    // Clock colours and high contrast
    "TZColTxt_0",
    "TZColTxt_1",
    "TZColTxt2_0",
    "TZColTxt2_1",
    "TZColTxt2_2",
    "TZColTxt2_3",
    "ClHC",
    "TZhc",
};

// Greyed out on purpose: Snooze and Stop only while the alarm rings; the
// synchronisation log item is hidden.
const QStringList kGreyedByDesign{"snoozealarm", "stopalarm", "LogNTP"};

// Usable only under a condition: the single media file and the MP3 folder once
// they are chosen, the password protection while VN is the screen saver.
const QStringList kConditional{"url_11", "url_12", "mnuPassword"};

// What a user can see of the program at one moment.
struct Observation {
    qsizetype boxes = 0;
    qsizetype modals = 0;
    qsizetype shellCalls = 0;
    int dialogsClosed = 0;
    int ends = 0;
    int sounds = 0;
    QStringList visibleWindows;
    QStringList checked;
    QStringList captions;
    bool mainVisible = false;
    QByteArray settings;

    bool operator==(const Observation&) const = default;
};

Observation observe(InfoFixture& f, Form1* main, const DialogCloser& closer)
{
    Observation o;
    o.dialogsClosed = closer.closed;
    o.boxes = f.dialogs().shown().size();
    o.modals = f.modals().shown().size();
    o.shellCalls = f.shell().calls().size();
    o.ends = f.endCount();
    o.sounds = f.sound().playCount();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QMenu*>(w))
            o.visibleWindows << w->objectName();
    o.visibleWindows.sort();
    for (QAction* a : main->findChildren<QAction*>()) {
        if (a->isChecked())
            o.checked << a->objectName();
        o.captions << a->text();
    }
    o.checked.sort();
    o.mainVisible = main->isVisible();
    QFile store(platform::settingsFilePath());
    if (store.open(QIODevice::ReadOnly))
        o.settings = store.readAll();
    return o;
}

// Loads the main window with stand-ins for the radio and time-server windows
// and the web host, chooses the command and expects the user to see a change.
void expectVisibleEffect(InfoFixture& f, const QString& name)
{
    platform::RecordingDownloader web;
    web.serve("/VN/VNstat.log", "20261209\r\n");
    web.serve("/VN/VNversion.log", "1.0.0\r\n");
    web.serve("/VN/VN.log", "Test FM\r\nhttp://127.0.0.1:1/test\r\n");
    platform::setDownloader(&web);
    const auto noWeb = qScopeGuard([] { platform::setDownloader(nullptr); });
    Form1* main = f.loadForm1();
    testsupport::WindowRadio radio;
    testsupport::WindowTimeServer timeServer;
    testsupport::attachStandIns(main, radio, timeServer);
    const auto unload = qScopeGuard([&f] { f.unload(); });
    main->show();
    QAction* action = f.action(name);
    QVERIFY2(action->isEnabled(), qPrintable(name));
    DialogCloser closer;
    const Observation before = observe(f, main, closer);
    action->trigger();
    QCoreApplication::processEvents();
    const bool changed = !(observe(f, main, closer) == before) || !radio.calls.isEmpty();
    QVERIFY2(changed, qPrintable(name + ": choosing it changed nothing a user can see"));
}

} // namespace

class TestToolsMenu : public QObject {
    Q_OBJECT
private slots:
    void everyCommandIsAccountedFor()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        QStringList unknown;
        for (QAction* action : commandsOf(main->findChild<QMenu*>("tools"))) {
            const QString name = action->objectName();
            if (!kExpectedEnabled.contains(name) && !kGreyedByDesign.contains(name) && !kConditional.contains(name))
                unknown << name;
        }
        QVERIFY2(unknown.isEmpty(), qPrintable("not in any list: " + unknown.join(", ")));
    }

    void conditionalCommandsWaitForTheirCondition()
    {
        InfoFixture f;
        f.loadForm1();
        for (const QString& name : kConditional)
            QVERIFY2(!f.action(name)->isEnabled(), qPrintable(name));
    }

    void conditionalCommandsWorkOnceTheConditionHolds_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : kConditional)
            QTest::newRow(qPrintable(name)) << name;
    }
    void conditionalCommandsWorkOnceTheConditionHolds()
    {
        QFETCH(QString, name);
        InfoFixture f;
        Form1Fixture::setOption("Radioname11", "song.mp3");
        Form1Fixture::setOption("RadioURL11", testsupport::environment().home() + "/song.mp3");
        Form1Fixture::setOption("Radioname12", "Music");
        Form1Fixture::setOption("RadioURL12", testsupport::environment().home() + "/Music/");
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        expectVisibleEffect(f, name);
    }
    void greyedByDesign()
    {
        InfoFixture f;
        f.loadForm1();
        for (const QString& name : kGreyedByDesign)
            QVERIFY2(!f.action(name)->isEnabled(), qPrintable(name));
    }

    void eachCommandWorks_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : kExpectedEnabled)
            QTest::newRow(qPrintable(name)) << name;
    }
    void eachCommandWorks()
    {
        QFETCH(QString, name);
        InfoFixture f;
        expectVisibleEffect(f, name);
    }

    void theCommandsOfThisAreaDoWhatTheySay()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->show();
        f.trigger("aboutdnw");
        f.trigger("OSInf");
        QCOMPARE(f.modals().shown(), (QStringList{"Form2", "FrmOS"}));
        f.trigger("VNHelp");
        QCOMPARE(f.shell().calls().size(), 1);
        f.trigger("VNHist");
        QVERIFY(main->findChild<QAction*>("VNHist"));
        f.trigger("hidesystr");
        QVERIFY(!main->isVisible());
    }
};

VANTORA_TEST_MAIN(TestToolsMenu)
#include "test_toolsmenu.moc"
