#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "platform/base/appinfo.h"
#include "platform/base/modal.h"
#include "platform/base/program.h"
#include "platform/settings/settings.h"
#include "platform/system/processrunner.h"
#include "platform/system/xscreensaver.h"
#include "saver/inmainapp.h"
#include "saver/mainvn.h"
#include "saver/settingvn.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingprocessrunner.h"
#include "tests/support/doubles/scriptedmodalwindows.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

using platform::RecordingProcessRunner;

namespace {

const QString kCommand = QStringLiteral("xscreensaver-command");

int cursorCount()
{
    platform::ShowCursor(true);
    return platform::ShowCursor(false);
}

QByteArray prefsFile()
{
    QFile file(platform::xscreensaverFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writePrefs(const QByteArray& text)
{
    QFile file(platform::xscreensaverFilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write the preferences");
}

// ~/.xscreensaver with VN registered, as the main program writes it.
QByteArray registeredPrefs(const QByteArray& extra = {})
{
    return "mode:\tone\nselected:\t0\n" + extra + "programs:\t\\\n\t\"VN LED Clock\" '" + MainWin::saverPath().toUtf8()
        + "' /s\t\\n\\\n\tmaze --root\t\\n\\\n\n";
}

} // namespace

class TestSaverMenu : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testsupport::Form1Fixture> m_fixture;
    RecordingProcessRunner m_runner;

    Form1* load()
    {
        Form1* form = m_fixture->loadForm1();
        return form;
    }

    void daemonAnswers(bool yes)
    {
        m_runner.answer(kCommand, {"-version"}, {yes, yes ? 0 : 1, yes ? "XScreenSaver 6.06" : ""});
    }

    QAction* item(const QString& name) const { return m_fixture->action(name); }
    bool idleMenuEnabled() const
    {
        return m_fixture->form1()->findChild<QMenu*>("mnuMinmain")->menuAction()->isEnabled();
    }
    QString idleChecked() const
    {
        QString names;
        for (int i : {0, 1, 2, 4})
            if (item(QStringLiteral("mnuMin_%1").arg(i))->isChecked())
                names += QString::number(i);
        return names;
    }

private slots:
    void init()
    {
        m_fixture = std::make_unique<testsupport::Form1Fixture>();
        m_runner = RecordingProcessRunner();
        platform::setProcessRunner(&m_runner);
        // A display for the daemon to answer on; the runner stands in for it.
        qputenv("DISPLAY", ":97");
        MainWin::ExtractSaver();
        InMainApp = true;
    }

    void cleanup()
    {
        appWindows().closeSaverPreview();
        appWindows().unloadAll();
        MainWin::setStartupWindows(nullptr);
        m_fixture.reset();
        platform::setProcessRunner(nullptr);
        qunsetenv("DISPLAY");
    }

    void aDesktopWithoutVNLeavesTheItemsDisabled()
    {
        load();
        QVERIFY(item("VNSsaver")->isEnabled());
        QVERIFY(!item("VNSsaver")->isChecked());
        QVERIFY(!item("mnuPassword")->isEnabled());
        QVERIFY(!idleMenuEnabled());
        QVERIFY(item("PrevSSVN")->isEnabled());
        QVERIFY(item("VNSet")->isEnabled());
    }

    void settingVNRegistersItWithTheRunningDaemon()
    {
        daemonAnswers(true);
        load();
        m_fixture->trigger("VNSsaver");
        QCOMPARE(m_fixture->dialogs().messageCount(), 0);
        QVERIFY(item("VNSsaver")->isChecked());
        QVERIFY(item("mnuPassword")->isEnabled());
        QVERIFY(idleMenuEnabled());
        const QByteArray prefs = prefsFile();
        QVERIFY(prefs.contains("\"VN LED Clock\" '" + MainWin::saverPath().toUtf8() + "' /s"));
        QVERIFY(prefs.contains("mode:\tone\n"));
        QVERIFY(prefs.contains("selected:\t0\n"));
        // The daemon is told to take the change.
        QVERIFY(std::any_of(m_runner.calls().cbegin(), m_runner.calls().cend(),
                            [](const auto& c) { return c.detached && c.arguments == QStringList{"-restart"}; }));
    }

    void withoutADaemonABoxSaysSoAndNothingIsWritten()
    {
        daemonAnswers(false);
        load();
        m_fixture->trigger("VNSsaver");
        QCOMPARE(m_fixture->dialogs().messageCount(), 1);
        QCOMPARE(m_fixture->dialogs().shown()[0].title, QString("Vantora"));
        QVERIFY(m_fixture->dialogs().shown()[0].prompt.contains("XScreenSaver is not running"));
        QVERIFY(!item("VNSsaver")->isChecked());
        QVERIFY(!QFile::exists(platform::xscreensaverFilePath()));
    }

    void aFailedWriteIsReportedAndLeavesTheItemUnchecked()
    {
        daemonAnswers(true);
        QDir().mkpath(platform::xscreensaverFilePath()); // a folder where the file should be
        load();
        m_fixture->trigger("VNSsaver");
        // The reader tells why the file cannot be used; the command then says it was not set.
        const auto& shown = m_fixture->dialogs().shown();
        QVERIFY(!shown.isEmpty());
        QVERIFY(std::any_of(shown.cbegin(), shown.cend(), [](const auto& box) {
            return box.prompt.contains("could not be written") || box.prompt.contains("it is a folder");
        }));
        QVERIFY(!item("VNSsaver")->isChecked());
    }

    void refreshingTheItemsStartsNoProcess()
    {
        writePrefs(registeredPrefs());
        load();
        QVERIFY(item("VNSsaver")->isChecked());
        m_runner.clear();
        emit m_fixture->form1()->findChild<QMenu*>("tools")->aboutToShow();
        m_fixture->clock().advance(20 * 1000);
        QVERIFY(m_runner.calls().isEmpty());
    }

    void aMoveOverTheWindowRefreshesTheItems()
    {
        load();
        QVERIFY(!item("VNSsaver")->isChecked());
        writePrefs(registeredPrefs("lock:\tTrue\n"));
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_fixture->form1(), &move);
        QVERIFY(item("VNSsaver")->isChecked());
        QCOMPARE(item("mnuPassword")->text(), QString("Disable Password Protection"));
    }

    void anotherProgramSelectedLeavesVNUnchecked()
    {
        writePrefs(registeredPrefs().replace("selected:\t0", "selected:\t1"));
        load();
        QVERIFY(!item("VNSsaver")->isChecked());
        writePrefs(registeredPrefs().replace("mode:\tone", "mode:\trandom"));
        emit m_fixture->form1()->findChild<QMenu*>("tools")->aboutToShow();
        QVERIFY(!item("VNSsaver")->isChecked());
        writePrefs(registeredPrefs());
        emit m_fixture->form1()->findChild<QMenu*>("tools")->aboutToShow();
        QVERIFY(item("VNSsaver")->isChecked());
    }

    void thePasswordItemTogglesItsCaption()
    {
        daemonAnswers(true);
        writePrefs(registeredPrefs());
        load();
        QCOMPARE(item("mnuPassword")->text(), QString("Enable Password Protection"));
        m_fixture->trigger("mnuPassword");
        QVERIFY(prefsFile().contains("lock:\tTrue\n"));
        QCOMPARE(item("mnuPassword")->text(), QString("Disable Password Protection"));
        m_fixture->trigger("mnuPassword");
        QVERIFY(prefsFile().contains("lock:\tFalse\n"));
        QCOMPARE(item("mnuPassword")->text(), QString("Enable Password Protection"));
    }

    void aDamagedLockValueReadsAsOffWithoutAQuestion()
    {
        writePrefs(registeredPrefs("lock:\tmaybe\n"));
        load();
        QCOMPARE(m_fixture->form1()->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(m_fixture->dialogs().messageCount(), 0);
        QCOMPARE(item("mnuPassword")->text(), QString("Enable Password Protection"));
    }

    void theIdleItemsShowTheIdleTime_data()
    {
        QTest::addColumn<QByteArray>("timeout");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("other");
        QTest::newRow("15 minutes") << QByteArray("0:15:00") << "1"
                                    << "Other...";
        QTest::newRow("one minute") << QByteArray("1") << "0"
                                    << "Other...";
        QTest::newRow("599 seconds") << QByteArray("0:09:59") << "4"
                                     << "Other (9 minutes)...";
        QTest::newRow("45 minutes") << QByteArray("45:00") << "4"
                                    << "Other (45 minutes)...";
        QTest::newRow("the default") << QByteArray("rubbish") << "4"
                                     << "Other (10 minutes)...";
    }

    void theIdleItemsShowTheIdleTime()
    {
        QFETCH(QByteArray, timeout);
        writePrefs(registeredPrefs("timeout:\t" + timeout + "\n"));
        load();
        QTEST(idleChecked(), "checked");
        QTEST(item("mnuMin_4")->text(), "other");
    }

    void choosingAnIdleTimeWritesIt()
    {
        daemonAnswers(true);
        writePrefs(registeredPrefs("timeout:\t0:10:00\n"));
        load();
        m_fixture->trigger("mnuMin_1");
        QVERIFY(prefsFile().contains("timeout:\t0:15:00\n"));
        QCOMPARE(idleChecked(), QString("1"));
        QCOMPARE(m_fixture->form1()->idleMinutes(), 15);

        m_fixture->dialogs().answerNextInput("45");
        m_fixture->trigger("mnuMin_4");
        QCOMPARE(m_fixture->dialogs().shown().last().prompt,
                 QString("Number of idle minutes before starting screensaver:"));
        QCOMPARE(m_fixture->dialogs().shown().last().title, QString("VN Screen Saver"));
        QCOMPARE(m_fixture->dialogs().shown().last().defaultText, QString("60"));
        QVERIFY(prefsFile().contains("timeout:\t0:45:00\n"));
        QCOMPARE(item("mnuMin_4")->text(), QString("Other (45 minutes)..."));
        QCOMPARE(idleChecked(), QString("4"));
    }

    void refusedIdleTimesChangeNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("boxes");
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("cancel") << "" << 0;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-5" << 1;
        QTest::newRow("more than a day") << "1441" << 1;
        QTest::newRow("beyond 32 bits") << "99999999999" << 1;
    }

    void refusedIdleTimesChangeNothing()
    {
        QFETCH(QString, answer);
        daemonAnswers(true);
        writePrefs(registeredPrefs("timeout:\t0:15:00\n"));
        load();
        const QByteArray before = prefsFile();
        m_fixture->dialogs().answerNextInput(answer);
        m_fixture->trigger("mnuMin_4");
        QCOMPARE(prefsFile(), before);
        QCOMPARE(idleChecked(), QString("1"));
        QTEST(m_fixture->dialogs().messageCount(), "boxes");
    }

    void thePreviewHidesTheClockAndGivesItBack()
    {
        MainWin::setStartupWindows(&appWindows());
        Form1* form = appWindows().form1();
        form->show();
        const int cursor = cursorCount();
        form->findChild<QAction*>("PrevSSVN")->trigger();
        MainVN* preview = appWindows().saverPreview();
        QVERIFY(!form->isVisible());
        QVERIFY(preview->isVisible());
        QCOMPARE(cursorCount(), cursor - 2);
        // Many events end it; the end routine runs once.
        QTest::mouseClick(preview, Qt::LeftButton);
        QTest::keyClick(preview, Qt::Key_A);
        QVERIFY(!preview->isVisible());
        QVERIFY(form->isVisible());
        QCOMPARE(cursorCount(), cursor);
        // The next preview ends as well.
        form->findChild<QAction*>("PrevSSVN")->trigger();
        QVERIFY(preview->isVisible());
        QTest::keyClick(preview, Qt::Key_Space);
        QCOMPARE(cursorCount(), cursor);
        QVERIFY(form->isVisible());
    }

    void theSettingsWindowOpensModally()
    {
        platform::ScriptedModalWindows modal;
        platform::setModalWindows(&modal);
        load();
        QString version;
        modal.answerNext([&](QWidget* window) {
            version = window->findChild<QLabel*>("Label4")->text();
            QTest::mouseClick(window->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        });
        m_fixture->trigger("VNSet");
        platform::setModalWindows(nullptr);
        QCOMPARE(modal.shown(), QStringList{"SettingVN"});
        QCOMPARE(version, QString("VN Version ") + platform::appVersionText());
    }
};

VANTORA_TEST_MAIN(TestSaverMenu)
#include "test_savermenu.moc"
