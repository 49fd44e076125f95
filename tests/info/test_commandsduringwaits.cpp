// Every Tools command chosen while the program waits for something outside
// it (a download, the mail program, the desktop's opener): nothing crashes,
// and "Reset All VN Settings" is carried out once the waiting step has ended.

#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "online/frmmail.h"
#include "platform/online/download.h"
#include "platform/online/mailclient.h"
#include "tests/support/doubles/recordingdownloader.h"
#include "platform/system/paths.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using testsupport::commandsOf;
using testsupport::InfoFixture;

namespace {

// A stand-in for another program that keeps running until the test lets it
// go, then ends with the exit code written in the "go" file.
QString writeWaitingProgram(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    const QByteArray go = dir.filePath("go").toUtf8();
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\n: > '" + dir.filePath("started").toUtf8() + "'\nwhile [ ! -s '" + go
                 + "' ]; do sleep 0.02; done\nexit \"$(cat '" + go + "')\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestCommandsDuringWaits : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<InfoFixture> m_fx;
    testsupport::WindowRadio m_radio;
    testsupport::WindowTimeServer m_timeServer;
    QTemporaryDir m_dir;
    QPointer<Form1> m_first;

    // The program as it starts, with stand-ins for the radio and the time-server window.
    Form1* start()
    {
        InfoFixture::setOption("FirstUse2", "False");
        MainWin::setStartupWindows(&appWindows());
        MainWin::Main();
        Form1* main = appWindows().loadedForm1();
        testsupport::attachStandIns(main, m_radio, m_timeServer);
        m_first = main;
        return main;
    }

    // Chooses every usable Tools command of the first main window, "Reset All
    // VN Settings" answered with `resetAnswer`.
    void chooseEveryCommand(int resetAnswer = platform::mb::Yes)
    {
        QVERIFY(m_first);
        testsupport::DialogCloser closer;
        for (QAction* action : commandsOf(m_first->findChild<QMenu*>("tools"))) {
            if (!m_first || !action->isEnabled())
                continue;
            if (action->objectName() == QLatin1String("Resetall"))
                m_fx->dialogs().answerNextMessage(resetAnswer);
            action->trigger();
        }
    }

    // The reset has been carried out: a new main window on factory options.
    bool resetDone()
    {
        Form1* now = appWindows().loadedForm1();
        return !m_first && now && now->isVisible();
    }

    QStringList prompts()
    {
        QStringList p;
        for (const auto& shown : m_fx->dialogs().shown())
            p << shown.prompt;
        return p;
    }

    // Once the other program runs (the program waits for it), lets it go,
    // ending with `exitCode`, and chooses every command.
    void whileTheProgramWaits(QTimer& watch, int exitCode)
    {
        connect(&watch, &QTimer::timeout, this, [this, &watch, exitCode] {
            if (!QFile::exists(m_dir.filePath("started")))
                return;
            watch.stop();
            QFile go(m_dir.filePath("go"));
            go.open(QIODevice::WriteOnly);
            go.write(QByteArray::number(exitCode));
            go.close();
            chooseEveryCommand();
        });
        watch.start(10);
    }

    void sendFeedbackWhileCommandsAreChosen(int mailerExit)
    {
        qputenv("MAILER", writeWaitingProgram(m_dir, "mailer.sh").toUtf8());
        platform::XdgEmailClient mail;
        platform::setMailClient(&mail);
        Form1* main = start();
        main->SendLinks_Click(2);
        frmMail& window = appWindows().mailWindow();
        QTimer watch;
        whileTheProgramWaits(watch, mailerExit);
        QTest::mouseClick(window.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        m_fx->clock().advance(3000);
        QTRY_VERIFY(resetDone());
    }

    void openHelpWhileCommandsAreChosen(int openerExit)
    {
        platform::XdgOpenShell opener(writeWaitingProgram(m_dir, "opener.sh"));
        platform::setShell(&opener);
        QFile page(platform::appPath() + "/VN.htm");
        if (!page.exists()) {
            QVERIFY(page.open(QIODevice::WriteOnly));
            page.write("<html></html>");
            page.close();
        }
        start();
        QTimer watch;
        whileTheProgramWaits(watch, openerExit);
        m_first->findChild<QAction*>("VNHelp")->trigger();
        QVERIFY(m_first); // not taken away while its command was running
        QTRY_VERIFY(resetDone());
    }

private slots:
    void init()
    {
        m_fx = std::make_unique<InfoFixture>();
        QFile::remove(m_dir.filePath("go"));
        QFile::remove(m_dir.filePath("started"));
    }

    void cleanup()
    {
        platform::setDownloader(nullptr);
        platform::setMailClient(nullptr);
        platform::setShell(nullptr);
        qunsetenv("MAILER");
        appWindows().unloadAll();
        m_radio.hide();
        m_timeServer.hide();
        m_fx.reset();
    }

    void duringAnUpdateDownload()
    {
        platform::RecordingDownloader downloads;
        downloads.serve("/VN/VNversion.log", "2.9.0\r\n");
        downloads.hold(true);
        platform::setDownloader(&downloads);
        Form1* main = start();
        main->ChckUpdt_Click();
        QTRY_COMPARE(downloads.requests().size(), 1);
        const int boxesBefore = m_fx->dialogs().messageCount();
        chooseEveryCommand();
        QTRY_VERIFY(resetDone());
        downloads.release();
        QCoreApplication::processEvents();
        // The check of the old window ended with it: no answer comes later.
        QVERIFY(downloads.cancelCount() >= 1);
        QVERIFY2(!prompts().mid(boxesBefore).contains("You're using the latest version of Vantora."),
                 qPrintable(prompts().join(" | ")));
    }

    // The check fails while the commands are chosen and the reset is refused:
    // the window that asked is still there and tells the failure.
    void duringAFailingUpdateDownload()
    {
        platform::RecordingDownloader downloads;
        downloads.fail("/VN/VNversion.log", "Connection refused");
        downloads.hold(true);
        platform::setDownloader(&downloads);
        Form1* main = start();
        main->ChckUpdt_Click();
        QTRY_COMPARE(downloads.requests().size(), 1);
        chooseEveryCommand(platform::mb::No);
        QVERIFY(m_first);
        downloads.release();
        QTRY_VERIFY(prompts().contains("Impossible to reach the server.\r\n\r\n"
                                       "Check your Internet connection or try again later."));
        QCOMPARE(appWindows().loadedForm1(), m_first.data());
    }

    void duringTheMailHandOff()
    {
        sendFeedbackWhileCommandsAreChosen(0);
        // The hand-off finished its own way before the reset.
        QVERIFY2(prompts().contains("Your E-mail has been sent.\r\nThank you very much."),
                 qPrintable(prompts().join(" | ")));
    }

    // The user closes the mail program without sending.
    void duringAMailHandOffThatFails()
    {
        sendFeedbackWhileCommandsAreChosen(1);
        QVERIFY2(!prompts().filter("The mail program could not be opened").isEmpty(),
                 qPrintable(prompts().join(" | ")));
        QVERIFY(!prompts().contains("Your E-mail has been sent.\r\nThank you very much."));
    }

    void duringTheDesktopOpener() { openHelpWhileCommandsAreChosen(0); }

    // The opener gives up (no program for the page): told once, after or
    // before the reset, and nothing crashes.
    void duringADesktopOpenerThatFails()
    {
        openHelpWhileCommandsAreChosen(4);
        QTRY_VERIFY2(!prompts().filter("Incomplete or invalid file association").isEmpty(),
                     qPrintable(prompts().join(" | ")));
    }
};

VANTORA_TEST_MAIN(TestCommandsDuringWaits)
#include "test_commandsduringwaits.moc"
