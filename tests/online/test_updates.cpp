#include "mainwindow/form1.h"
#include "online/internet.h"
#include "peers.h"
#include "platform/online/download.h"
#include "platform/online/networkdownloader.h"
#include "platform/system/processrunner.h"
#include "tests/support/doubles/recordingdownloader.h"
#include "tests/support/doubles/recordingprocessrunner.h"
#include "platform/settings/settings.h"
#include "platform/settings/settingsfile.h"
#include "platform/system/paths.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::Form1Fixture;

namespace {

const QString kTitle = QStringLiteral("Vantora - v 2.9.0");

QByteArray sha(const QByteArray& data) { return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex(); }

QByteArray versionFile(const QByteArray& version, const QByteArray& program)
{
    return version + "\r\n" + sha(program) + "\r\n";
}

// A stand-in updater: writes its arguments to a file.
QByteArray updaterScript(const QString& record)
{
    return "#!/bin/sh\nprintf '%s' \"$*\" > '" + record.toUtf8() + ".tmp' && mv '" + record.toUtf8() + ".tmp' '"
        + record.toUtf8() + "'\n";
}

class FakeTimeServer : public TimeServerWindow {
public:
    bool visible = false;
    bool isVisible() const override { return visible; }
    void StartNTP(int) override {}
    void setMessAuto() override {}
};

} // namespace

class TestUpdates : public QObject {
    Q_OBJECT
private:
    onlinetest::HttpPeer m_peer;
    std::unique_ptr<Form1Fixture> m_fx;
    Form1* m_main = nullptr;
    platform::RecordingProcessRunner m_runner;
    QStringList m_notices;

    QString updater() const { return platform::appPath() + "/VNUpdate.exe"; }
    // Waits until the running check (if any) has ended.
    bool settled(Form1* main = nullptr)
    {
        Internet* internet = (main ? main : m_main)->internet();
        return QTest::qWaitFor([internet] { return !internet->checkRunning(); }, 60000);
    }
    const QList<platform::ScriptedDialogs::Shown>& boxes() { return m_fx->dialogs().shown(); }
    void serve(const QByteArray& versionText, const QByteArray& program)
    {
        m_peer.put("/VN/VNversion.log", versionText);
        m_peer.put("/VN/VNUpdate.exe", program);
    }

private slots:
    void initTestCase() { QVERIFY(m_peer.start()); }

    void init()
    {
        m_fx = std::make_unique<Form1Fixture>();
        m_main = m_fx->loadForm1();
        m_main->show();
        m_runner = platform::RecordingProcessRunner();
        platform::setProcessRunner(&m_runner);
        m_notices.clear();
        m_peer.clearRequests();
        m_main->internet()->setNoticeOpener([this](const QString& text) { m_notices << text; });
        qputenv("VANTORA_WEB_BASE", m_peer.base().toUtf8());
        QFile::remove(platform::hostPath("C:\\VNversion.log"));
        QFile::remove(platform::hostPath("C:\\VNstat.log"));
    }

    void cleanup()
    {
        testsupport::TestEnvironment::restoreWebBase();
        platform::setProcessRunner(nullptr);
        platform::setDownloader(nullptr);
        m_fx.reset();
    }

    void manualAnswers_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::newRow("same") << QByteArray("2.9.0\r\n") << "You're using the latest version of Vantora." << 0;
        QTest::newRow("older") << QByteArray("2.8.99\n")
                               << "The VN version available on the Internet is 2.8.99\r\n"
                                  "and so older than the version running on this computer.\r\n\r\n"
                                  "You must keep this version."
                               << 2;
        QTest::newRow("bom and crlf") << QByteArray("\xEF\xBB\xBF"
                                                    "2.9.0\r\n")
                                      << "You're using the latest version of Vantora." << 0;
        QTest::newRow("empty line") << QByteArray("\r\n")
                                    << "Impossible to reach the server.\r\n\r\n"
                                       "Check your Internet connection or try again later."
                                    << 4;
        QTest::newRow("one dot") << QByteArray("2.9\n")
                                 << "Impossible to reach the server.\r\n\r\n"
                                    "Check your Internet connection or try again later."
                                 << -1;
    }
    void manualAnswers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(int, state);
        m_peer.put("/VN/VNversion.log", file);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 1);
        QCOMPARE(boxes()[0].prompt, text);
        QCOMPARE(boxes()[0].title, kTitle);
        QCOMPARE(int(m_main->internet()->VerState()), state);
        QVERIFY(!m_main->ActuSyncVN);
        QVERIFY(!m_main->VNNetAutoSync2);
        QVERIFY(!m_main->timer(8).isEnabled());
        QVERIFY(m_main->isVisible());
        QFile copy(platform::hostPath("C:\\VNversion.log"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), file);
    }

    void theUpdatePictureRunsTheCheck()
    {
        m_peer.put("/VN/VNversion.log", "2.9.0\n");
        QTest::mouseClick(m_main->findChild<QLabel*>("Image14"), Qt::LeftButton);
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 1);
        QCOMPARE(boxes()[0].prompt, QString("You're using the latest version of Vantora."));
        QCOMPARE(m_peer.requests(), QStringList{"/VN/VNversion.log"});
    }

    void equalVersionsInSilence()
    {
        m_peer.put("/VN/VNversion.log", "2.9.0\n");
        m_main->ActuSyncVN = true;
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 0);
        QVERIFY(!m_main->ActuSyncVN);
    }

    void errorPagesAreNoVersionFile_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
    }
    void errorPagesAreNoVersionFile()
    {
        QFETCH(int, status);
        qputenv("VANTORA_WEB_BASE", m_peer.base(QString("/status/%1").arg(status)).toUtf8());
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].prompt.startsWith("Impossible to reach the server."));
        QVERIFY(!QFile::exists(platform::hostPath("C:\\VNversion.log")));
        QCOMPARE(m_runner.starts().size(), 0);
    }

    void aVerifiedNewerVersionIsInstalled()
    {
        const QByteArray program = "#!/bin/sh\nexit 0\n";
        serve(versionFile("2.10.0", program), program);
        m_fx->dialogs().answerNextMessage(platform::mb::Yes);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 1);
        QCOMPARE(boxes()[0].prompt,
                 QString("Version 2.10.0 is available Online...\r\nDo you want to download it now ?"));
        QCOMPARE(boxes()[0].style, platform::mb::YesNo | platform::mb::Question);
        QCOMPARE(m_runner.starts().size(), 1);
        QCOMPARE(m_runner.starts()[0].program, updater());
        QCOMPARE(m_runner.starts()[0].arguments, QStringList{"MirePort"});
        QCOMPARE(m_fx->endCount(), 1);
        QFile file(updater());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), program);
        QCOMPARE(int(file.permissions()
                     & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                        | QFile::ReadOther | QFile::ExeOther)),
                 int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // The real start of a stand-in updater by the automatic check.
    void theSilentCheckStartsTheUpdater()
    {
        platform::setProcessRunner(nullptr);
        QTemporaryDir out;
        const QString record = out.filePath("started");
        const QByteArray program = updaterScript(record);
        serve(versionFile("2.10.0", program), program);
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 0);
        QCOMPARE(m_fx->endCount(), 1);
        QTRY_VERIFY(QFile::exists(record));
        QFile args(record);
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), QByteArray("MirePort"));
    }

    void aFileThatCannotRunEndsNothing()
    {
        platform::setProcessRunner(nullptr);
        const QByteArray program("\x7f"
                                 "ELF but not really a program",
                                 29);
        serve(versionFile("2.10.0", program), program);
        m_main->ActuSyncVN = true;
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(m_fx->endCount(), 0);
        QVERIFY(!m_main->ActuSyncVN);
        QVERIFY(m_main->isVisible());
        QVERIFY(!QFile::exists(updater()));
    }

    void aFileThatCannotRunIsReported()
    {
        m_runner.setStartAnswer(false);
        const QByteArray program = "#!/bin/sh\n";
        serve(versionFile("2.10.0", program), program);
        m_fx->dialogs().answerNextMessage(platform::mb::Yes);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 2);
        QCOMPARE(boxes()[1].prompt, QString("The update program could not be started."));
        QCOMPARE(m_fx->endCount(), 0);
        QVERIFY(m_main->isVisible());
    }

    void aWrongChecksumStartsNothing()
    {
        serve(versionFile("2.10.0", "the program that was meant"), "#!/bin/sh\necho tampered\n");
        m_main->ActuSyncVN = true;
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(m_runner.starts().size(), 0);
        QCOMPARE(m_fx->endCount(), 0);
        QVERIFY(!QFile::exists(updater()));
        QVERIFY(!m_main->ActuSyncVN);
        QVERIFY(m_main->isVisible());
    }

    void anUpdaterErrorPageStartsNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
    }
    void anUpdaterErrorPageStartsNothing()
    {
        QFETCH(int, status);
        // The version file names the checksum of the error page itself.
        const QByteArray page = "<html><body><h1>Error page</h1></body></html>\n";
        platform::RecordingDownloader fake;
        fake.serve("/VN/VNversion.log", versionFile("2.10.0", page));
        fake.fail("/VN/VNUpdate.exe", QString("The server answered %1.").arg(status), status);
        platform::setDownloader(&fake);
        m_fx->dialogs().answerNextMessage(platform::mb::Yes);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(m_runner.starts().size(), 0);
        QVERIFY(!QFile::exists(updater()));
        QCOMPARE(boxes().last().prompt.left(31), QString("Impossible to reach the server."));
        QVERIFY(m_main->isVisible());
        QVERIFY(!m_main->ActuSyncVN);
    }

    void theRealUpdaterErrorPage()
    {
        // Over the wire: the version file is good, the updater is missing (404).
        m_peer.put("/VN/VNversion.log", versionFile("2.10.0", "whatever"));
        QFile::remove(m_peer.root() + "/VN/VNUpdate.exe");
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(m_runner.starts().size(), 0);
        QVERIFY(!QFile::exists(updater()));
        QVERIFY(m_peer.requests().contains("/VN/VNUpdate.exe"));
    }

    void decliningBringsTheWindowBack()
    {
        serve(versionFile("2.10.0", "x"), "x");
        m_fx->dialogs().answerNextMessage(platform::mb::No);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QVERIFY(m_main->isVisible());
        QCOMPARE(m_runner.starts().size(), 0);
        QVERIFY(!m_peer.requests().contains("/VN/VNUpdate.exe"));
    }

    void decliningWithTheWindowHiddenKeepsItHidden()
    {
        serve(versionFile("2.10.0", "x"), "x");
        m_main->hide();
        m_fx->dialogs().answerNextMessage(platform::mb::No);
        m_main->ChckUpdt_Click();
        QVERIFY(settled());
        QVERIFY(!m_main->isVisible());
    }

    void withoutAChecksumNothingIsFetched()
    {
        m_peer.put("/VN/VNversion.log", "2.10.0\r\n");
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes()[0].prompt.startsWith("Version 2.10.0 is available Online..."));
        QVERIFY(boxes()[0].prompt.contains("by hand"));
        QVERIFY(!m_peer.requests().contains("/VN/VNUpdate.exe"));
        QVERIFY(m_main->isVisible());
        QVERIFY(!m_main->ActuSyncVN);
    }

    void plainHttpFromAnotherHostIsRefused()
    {
        platform::RecordingDownloader fake;
        fake.serve("/VN/VNversion.log", versionFile("2.10.0", "x"));
        fake.serve("/VN/VNUpdate.exe", "x");
        platform::setDownloader(&fake);
        qputenv("VANTORA_WEB_BASE", "http://updates.example.invalid");
        m_fx->dialogs().answerNextMessage(platform::mb::Yes);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        QCOMPARE(fake.requestedPaths(), QStringList{"/VN/VNversion.log"});
        QCOMPARE(m_runner.starts().size(), 0);
        QVERIFY(boxes().last().prompt.contains("HTTPS"));
    }

    void overHttpsWithAVerifiedCertificate()
    {
        onlinetest::TlsPeer tls;
        QVERIFY(tls.start());
        const QByteArray program = "#!/bin/sh\nexit 0\n";
        tls.put("/VN/VNversion.log", versionFile("2.10.0", program));
        tls.put("/VN/VNUpdate.exe", program);
        platform::NetworkDownloader net;
        net.addCaCertificates(QSslCertificate::fromPath(tls.caFile()));
        platform::setDownloader(&net);
        qputenv("VANTORA_WEB_BASE", tls.base().toUtf8());
        m_main->internet()->ChkUpdate(true);
        QVERIFY(settled());
        QCOMPARE(m_runner.starts().size(), 1);
        QCOMPARE(m_fx->endCount(), 1);
    }

    void oneCheckAtATime()
    {
        platform::RecordingDownloader fake;
        fake.serve("/VN/VNversion.log", "2.9.0\n");
        platform::setDownloader(&fake);
        fake.setDuringDownload([this] { m_fx->trigger("ChckUpdt"); });
        m_main->ActuSyncVN = true;
        m_main->AutoChckUpdt();
        QVERIFY(settled());
        QCOMPARE(fake.requests().size(), 1);
        QCOMPARE(boxes().size(), 0);
        QVERIFY(!m_main->ActuSyncVN);
        QVERIFY(!m_main->timer(8).isEnabled());
    }

    void noManualCheckWhileTheTimeServerWindowIsOpen()
    {
        FakeTimeServer ntp;
        ntp.visible = true;
        m_main->setTimeServer(&ntp);
        m_fx->trigger("ChckUpdt");
        QVERIFY(settled());
        m_main->setTimeServer(nullptr);
        QCOMPARE(boxes().size(), 0);
        QVERIFY(m_peer.requests().isEmpty());
    }

    void theAutomaticCheckComesTenMinutesAfterStart()
    {
        m_peer.put("/VN/VNversion.log", "2.9.0\n");
        const int before = static_cast<int>(m_peer.requests().count("/VN/VNversion.log"));
        m_fx->clock().advance(599000);
        QCOMPARE(int(m_peer.requests().count("/VN/VNversion.log")), before);
        m_fx->clock().advance(2000);
        QVERIFY(settled());
        QCOMPARE(int(m_peer.requests().count("/VN/VNversion.log")), before + 1);
        QCOMPARE(boxes().size(), 0);
        QVERIFY(!m_main->ActuSyncVN);
        QVERIFY(!m_main->timer(8).isEnabled());
    }

    void aLeftoverUpdaterIsDeletedAtLoad()
    {
        QFile file(updater());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.close();
        m_fx->restart();
        QVERIFY(!QFile::exists(updater()));
    }

    void radioListNews()
    {
        const QString tail = "\r\n\r\nCheck the 'Online Radio List' option from the 'Tools' menu\r\n"
                             "for more details...\r\n\r\n"
                             "If you have other radio links, share them with other users.\r\n"
                             "Send me an E-mail to put them Online.\r\n"
                             "Use the 'Send me your Links' option.";
        m_peer.put("/VN/VNstat.log", "stamp-1\r\n");
        // First check: no notice, the stamp is stored, the animation stops.
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        QCOMPARE(m_notices.size(), 0);
        QCOMPARE(Form1Fixture::option("IntUpdate"), QString("stamp-1"));
        QVERIFY(!m_main->timer(8).isEnabled());
        // Same stamp.
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        QCOMPARE(m_notices, QStringList{"No new radio in the Internet radio list at the moment." + tail});
        QVERIFY(m_main->timer(8).isEnabled()); // until the notice is answered
        m_main->StopTimer8();
        // New stamp.
        m_peer.put("/VN/VNstat.log", "stamp-2\n");
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        QCOMPARE(m_notices.last(), "The Internet radio list has been updated." + tail);
        QCOMPARE(Form1Fixture::option("IntUpdate"), QString("stamp-2"));
        QFile copy(platform::hostPath("C:\\VNstat.log"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("stamp-2\n"));
    }

    // The news appears in the reminder notice; closing it by its frame stops
    // the busy animation.
    void radioListNewsInTheNoticeWindow()
    {
        Form1Fixture::setOption("IntUpdate", "stamp-1");
        m_peer.put("/VN/VNstat.log", "stamp-1\r\n");
        Form1* main = m_fx->restart(); // the program's own notice opener
        main->ChckUpdtList_Click();
        QVERIFY(settled(main));
        QWidget* notice = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "Form7" && w->isVisible())
                notice = w;
        QVERIFY(notice);
        QCOMPARE(notice->windowTitle(), QString("Vantora - Automatic Message"));
        auto* text = notice->findChild<QPlainTextEdit*>("Text1");
        QVERIFY(text);
        QVERIFY(text->toPlainText().startsWith("No new radio in the Internet radio list at the moment."));
        QVERIFY(main->timer(8).isEnabled());
        notice->close();
        QVERIFY(!main->timer(8).isEnabled());
    }

    // A first line longer than the store keeps is stored as the store reads
    // it back: the settings file stays clean and the same stamp is not news.
    void aHugeStampIsStoredAsTheStoreKeepsIt()
    {
        const QByteArray huge(200 * 1024, 's');
        m_peer.put("/VN/VNstat.log", huge + "\r\n");
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        m_main->StopTimer8();
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        QCOMPARE(m_notices.size(), 1);
        QVERIFY(m_notices.first().startsWith("No new radio"));
        QCOMPARE(Form1Fixture::option("IntUpdate"), QString(huge.left(64 * 1024)));
        QFile file(platform::settingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(platform::parseSettingsFile(file.readAll()).clean);
        QVERIFY(QFileInfo(file).dir().entryList({"VN.conf.damaged-*"}).isEmpty());
    }

    void radioListFailureChangesNothing()
    {
        Form1Fixture::setOption("IntUpdate", "stamp-1");
        qputenv("VANTORA_WEB_BASE", m_peer.base("/status/404").toUtf8());
        m_fx->trigger("ChckUpdtList");
        QVERIFY(settled());
        QCOMPARE(Form1Fixture::option("IntUpdate"), QString("stamp-1"));
        QCOMPARE(m_notices.size(), 0);
        QCOMPARE(boxes().size(), 0);
        QVERIFY(!m_main->timer(8).isEnabled());
        QVERIFY(!QFile::exists(platform::hostPath("C:\\VNstat.log")));
    }
};

VANTORA_TEST_MAIN(TestUpdates)
#include "test_updates.moc"
