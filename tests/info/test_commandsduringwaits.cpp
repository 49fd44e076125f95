// Every Tools command chosen while the program waits for something outside
// it (a download, the mail program, the desktop's opener): nothing crashes,
// and "Reset All VN Settings" is carried out once the waiting step has ended.

#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "online/frmmail.h"
#include "platform/online/download.h"
#include "platform/online/mailclient.h"
#include "platform/online/recordingdownloader.h"
#include "platform/system/paths.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using testsupport::InfoFixture;

namespace {

QList<QAction*> commandsOf(QMenu* menu)
{
    QList<QAction*> found;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            found += commandsOf(action->menu());
        else if (!action->isSeparator())
            found << action;
    }
    return found;
}

// A stand-in for another program that keeps running until the test lets it go.
QString writeWaitingProgram(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\n: > '" + dir.filePath("started").toUtf8() + "'\nwhile [ ! -e '" + dir.filePath("go").toUtf8()
                 + "' ]; do sleep 0.02; done\nexit 0\n");
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
        main->setRadio(&m_radio);
        main->setTimeServer(&m_timeServer);
        m_first = main;
        return main;
    }

    // Chooses every usable Tools command of the first main window, "Reset All
    // VN Settings" answered with Yes.
    void chooseEveryCommand()
    {
        QVERIFY(m_first);
        // Dialogs with a modal loop of their own (colour choosers) are closed again.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(20);
        for (QAction* action : commandsOf(m_first->findChild<QMenu*>("tools"))) {
            if (!m_first || !action->isEnabled())
                continue;
            if (action->objectName() == QLatin1String("Resetall"))
                m_fx->dialogs().answerNextMessage(platform::mb::Yes);
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

    // Once the other program runs (the program waits for it), lets it go and
    // chooses every command.
    void whileTheProgramWaits(QTimer& watch)
    {
        connect(&watch, &QTimer::timeout, this, [this, &watch] {
            if (!QFile::exists(m_dir.filePath("started")))
                return;
            watch.stop();
            QFile(m_dir.filePath("go")).open(QIODevice::WriteOnly);
            chooseEveryCommand();
        });
        watch.start(10);
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

    void duringTheMailHandOff()
    {
        qputenv("MAILER", writeWaitingProgram(m_dir, "mailer.sh").toUtf8());
        platform::XdgEmailClient mail;
        platform::setMailClient(&mail);
        Form1* main = start();
        main->SendLinks_Click(2);
        frmMail& window = appWindows().mailWindow();
        QTimer watch;
        whileTheProgramWaits(watch);
        QTest::mouseClick(window.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        m_fx->clock().advance(3000);
        QTRY_VERIFY(resetDone());
        // The hand-off finished its own way before the reset.
        QVERIFY2(prompts().contains("Your E-mail has been sent.\r\nThank you very much."),
                 qPrintable(prompts().join(" | ")));
    }

    void duringTheDesktopOpener()
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
        whileTheProgramWaits(watch);
        m_first->findChild<QAction*>("VNHelp")->trigger();
        QVERIFY(m_first); // not taken away while its command was running
        QTRY_VERIFY(resetDone());
    }
};

VANTORA_TEST_MAIN(TestCommandsDuringWaits)
#include "test_commandsduringwaits.moc"
