#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "mainwindow/frmeula.h"
#include "platform/base/program.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "platform/system/singleinstance.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "resources/resources.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTextStream>

#include <cstdio>

#include <sys/stat.h>

using testsupport::Form1Fixture;

namespace {

// Records what the start-up asks of the windows, and the options at each step.
class RecordingWindows : public MainWin::StartupWindows {
public:
    QStringList calls;
    QStringList optionKeysAtShow;
    void showLicence() override { calls << "licence"; }
    void enableHelpCleanup() override { calls << "cleanup"; }
    void showMainWindow() override
    {
        calls << "main";
        optionKeysAtShow = Form1Fixture::optionKeys();
    }
    void startReminders() override { calls << "reminders"; }
    void unloadAll() override { calls << "unload"; }
    void closeSaverPreview() override { calls << "closeSaver"; }
};

QStringList writtenFiles()
{
    QStringList found;
    for (const QString& path : {MainWin::eulaPath(), MainWin::saverPath(), MainWin::helpZipPath()})
        if (QFileInfo::exists(path))
            found << QFileInfo(path).fileName();
    return found;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files of this process's memory map that lie under `folder`.
QStringList mappedFilesUnder(const QString& folder)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no /proc/self/maps>")};
    QStringList found;
    const QString prefix = QFileInfo(folder).canonicalFilePath() + QLatin1Char('/');
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0 && QString::fromLocal8Bit(line.mid(slash)).startsWith(prefix))
            found << QString::fromLocal8Bit(line.mid(slash));
    }
    return found;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::releaseInstanceLock(); }
    void cleanup()
    {
        appWindows().unloadAll();
        MainWin::setStartupWindows(nullptr);
    }

    void aSecondCopyIsRefusedAndWritesNothing()
    {
        Form1Fixture f;
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VANTORA_HOLD_INSTANCE", "1");
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("holding"));

        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        MainWin::Main();
        QCOMPARE(f.endCount(), 1);
        QCOMPARE(f.dialogs().messageCount(), 1);
        const auto& box = f.dialogs().shown().first();
        QCOMPARE(box.title, QString("Vantora - v 2.9.0"));
        QVERIFY(box.prompt.startsWith("Vantora is already running on this computer.\r\n\r\n"));
        QCOMPARE(box.style, platform::mb::Information);
        QVERIFY(windows.calls.isEmpty());
        QVERIFY(writtenFiles().isEmpty());
        holder.kill();
        holder.waitForFinished();
    }

    void firstStartShowsTheLicenceThenTheClock()
    {
        Form1Fixture f;
        MainWin::setStartupWindows(&appWindows());
        MainWin::Main();
        QCOMPARE(writtenFiles().join(","), QString("eula.txt,VN.scr,VN.zip"));
        QVERIFY(QFileInfo(MainWin::saverPath()).isExecutable());
        QVERIFY(appWindows().licence() && appWindows().licence()->isVisible());
        QVERIFY(!appWindows().loadedForm1());
        QVERIFY(appWindows().licence()->text().contains("Vantora"));

        appWindows().licence()->findChild<QAction*>("AgOK_0")->trigger();
        QCOMPARE(Form1Fixture::option("FirstUse2"), QString("False"));
        QVERIFY(QFileInfo::exists(platform::appPath() + "/VN.htm"));
        QVERIFY(QFileInfo(platform::appPath() + "/VN_files").isDir());
        QVERIFY(appWindows().loadedForm1() && appWindows().loadedForm1()->isVisible());
        QVERIFY(!appWindows().licence()->isVisible());
        // Unpacking the help loads nothing from the user's data folder: it works
        // on a home mounted noexec.
        QCOMPARE(mappedFilesUnder(platform::appPath()), QStringList());

        f.clock().advance(9900);
        QVERIFY(QFileInfo::exists(MainWin::helpZipPath()));
        f.clock().advance(200);
        QVERIFY(!QFileInfo::exists(MainWin::helpZipPath()));

        // The next start goes straight to the clock.
        appWindows().unloadAll();
        MainWin::Main();
        QVERIFY(!appWindows().licence());
        QVERIFY(appWindows().loadedForm1()->isVisible());
        QCOMPARE(f.endCount(), 0);
    }

    void decliningTheLicenceEndsTheProgram()
    {
        Form1Fixture f;
        MainWin::setStartupWindows(&appWindows());
        MainWin::Main();
        appWindows().licence()->findChild<QAction*>("AgOK_1")->trigger();
        QCOMPARE(f.endCount(), 1);
        QCOMPARE(Form1Fixture::option("FirstUse2"), QString("<missing>"));
    }

    void anOldLongerFileLeavesNoTail()
    {
        Form1Fixture f;
        QFile old(MainWin::eulaPath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1 << 20, 'x'));
        old.close();
        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        MainWin::Main();
        QFile eula(MainWin::eulaPath());
        QVERIFY(eula.open(QIODevice::ReadOnly));
        QVERIFY(!eula.readAll().contains("xxxxxxxx"));
    }

    void onlyFilesThatDifferAreWrittenAgain()
    {
        Form1Fixture f;
        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        MainWin::Main();
        const auto stamp = [](const QString& path) {
            const QFileInfo info(path);
            return QStringLiteral("%1/%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
        };
        const QByteArray saverBytes = platform::loadResource("CUSTOM", 105);
        // An unchanged file is left as it is: same inode, same time.
        const auto inode = [](const QString& path) {
            struct stat st {};
            ::stat(QFile::encodeName(path).constData(), &st);
            return st.st_ino;
        };
        const auto saverInode = inode(MainWin::saverPath());
        const auto eulaInode = inode(MainWin::eulaPath());
        const QString eulaStamp = stamp(MainWin::eulaPath());
        MainWin::Main();
        QCOMPARE(inode(MainWin::saverPath()), saverInode);
        QCOMPARE(inode(MainWin::eulaPath()), eulaInode);
        QCOMPARE(stamp(MainWin::eulaPath()), eulaStamp);

        // A file of the same size with other bytes is written again, and so is
        // a program that lost its right to run.
        QFile eula(MainWin::eulaPath());
        QVERIFY(eula.open(QIODevice::ReadWrite));
        eula.write("X");
        eula.close();
        QFile::setPermissions(MainWin::saverPath(), QFile::ReadOwner | QFile::WriteOwner);
        MainWin::Main();
        QCOMPARE(readAll(MainWin::eulaPath()), platform::loadResource("CUSTOM", 104));
        QVERIFY(QFileInfo(MainWin::saverPath()).isExecutable());
        QCOMPARE(readAll(MainWin::saverPath()), saverBytes);
    }

    void resetAllLeavesOnlyFirstUse2()
    {
        Form1Fixture f;
        Form1Fixture::setOption("FirstUse2", "False");
        Form1Fixture::setOption("AlarmTime", "06:45");
        Form1Fixture::setOption("LastTZAdd", "3");
        platform::saveSetting("ScreenSaver", "Color", "255");
        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        MainWin::ResetAll();
        QCOMPARE(windows.calls.first(), QString("unload"));
        QCOMPARE(windows.optionKeysAtShow, QStringList{"FirstUse2"});
        QCOMPARE(Form1Fixture::option("FirstUse2"), QString("False"));
        QCOMPARE(platform::getSetting("ScreenSaver", "Color", "gone"), QString("gone"));
        QCOMPARE(windows.calls, (QStringList{"unload", "cleanup", "main", "reminders"}));
    }

    void resetAllBringsTheClockBackOnFactoryOptions()
    {
        Form1Fixture f;
        Form1Fixture::setOption("FirstUse2", "False");
        MainWin::setStartupWindows(&appWindows());
        MainWin::Main();
        Form1* before = appWindows().loadedForm1();
        QVERIFY(before);
        Form1Fixture::setOption("AlarmTime", "06:45");
        Form1Fixture::setOption("Radioname1", "Mine");
        MainWin::ResetAll();
        Form1* after = appWindows().loadedForm1();
        QVERIFY(after && after->isVisible());
        QCOMPARE(after->alarmTimeText(), QString("00:00"));
        QCOMPARE(after->stationName(1), QString("Top Radio - Audio 96kbps"));
        QVERIFY(!appWindows().licence());
    }

    void aDamagedSettingAsksForTheFix_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes resets") << int(platform::mb::Yes);
        QTest::newRow("no ends") << int(platform::mb::No);
    }
    void aDamagedSettingAsksForTheFix()
    {
        QFETCH(int, answer);
        Form1Fixture f;
        Form1Fixture::setOption("FirstUse2", "False");
        Form1Fixture::setOption("AlarmChoice", "abc");
        f.dialogs().answerNextMessage(answer);
        MainWin::setStartupWindows(&appWindows());
        MainWin::Main();
        QCOMPARE(f.dialogs().messageCount(), 1);
        const auto& box = f.dialogs().shown().first();
        QVERIFY(box.prompt.startsWith("A serious settings error occured.\r\n"));
        QCOMPARE(box.style, platform::mb::YesNo | platform::mb::Question | platform::mb::DefaultButton2);
        QCOMPARE(box.title, QString("Vantora"));
        if (answer == platform::mb::No) {
            QCOMPARE(f.endCount(), 1);
            return;
        }
        QTRY_VERIFY(appWindows().loadedForm1() && appWindows().loadedForm1()->isVisible());
        QCOMPARE(Form1Fixture::option("AlarmChoice"), QString("<missing>"));
        QCOMPARE(appWindows().loadedForm1()->alarmChoice(), qint16(1));
        QCOMPARE(f.endCount(), 0);
        QCOMPARE(appWindows().loadedForm1()->loadResult(), Form1::LoadResult::Loaded);
    }

    void closingTheSaverPreviewShowsTheClockAndTheCursor()
    {
        Form1Fixture f;
        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        platform::ShowCursor(false);
        platform::ShowCursor(false);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BlankCursor);
        MainWin::CloseSaver();
        QCOMPARE(windows.calls, (QStringList{"closeSaver", "main"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(platform::ShowCursor(false), -1);
        platform::ShowCursor(true);
    }

    void aDamagedFirstUse2ShowsTheLicenceAgain()
    {
        Form1Fixture f;
        Form1Fixture::setOption("FirstUse2", "maybe");
        RecordingWindows windows;
        MainWin::setStartupWindows(&windows);
        MainWin::Main();
        QCOMPARE(windows.calls, QStringList{"licence"});
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("VANTORA_HOLD_INSTANCE")) {
        // Acts as the first running copy for the refusal test, in the
        // parent's temporary home (inherited through the environment).
        QCoreApplication app(argc, argv);
        if (platform::isAnotherInstanceRunning(QStringLiteral("Vantora")))
            return 1;
        QTextStream(stdout) << "holding\n" << Qt::flush;
        // Holds until killed, or until the parent's end closes its input.
        while (std::getchar() != EOF) {}
        return 0;
    }
    testsupport::environment();
    QApplication app(argc, argv);
    TestStartup tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_startup.moc"
