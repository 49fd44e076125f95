#include "platform/system/paths.h"
#include "platform/system/processrunner.h"
#include "compat/win32/registry.h"
#include "compat/win32/systemparameters.h"
#include "platform/system/xscreensaver.h"
#include "saver/modss.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingprocessrunner.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace platform;

namespace {

const QString kDesktop = QStringLiteral("Control Panel\\Desktop");

QByteArray prefs()
{
    QFile file(xscreensaverFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writePrefs(const QByteArray& text, const QString& path = xscreensaverFilePath())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray vnLine() { return "'" + hostPath(modSS::SaverFile).toUtf8() + "' /s"; }

int restarts(const RecordingProcessRunner& runner)
{
    int n = 0;
    for (const auto& call : runner.calls())
        if (call.detached && call.arguments == QStringList{"-restart"})
            ++n;
    return n;
}

void setRaw(HKEY root, const QString& key, const QString& name, quint32 type, const QByteArray& data)
{
    HKEY handle = 0;
    if (RegCreateKeyEx(root, key, 0, KEY_ALL_ACCESS, &handle, nullptr) != ERROR_SUCCESS)
        qFatal("cannot create the key");
    RegSetValueEx(handle, name, 0, type, data.constData(), static_cast<quint32>(data.size()));
    RegCloseKey(handle);
}

} // namespace

class TestModSS : public QObject {
    Q_OBJECT
private:
    RecordingProcessRunner m_runner;

    void daemonAnswers(bool yes) { m_runner.answer("xscreensaver-command", {"-version"}, {yes, yes ? 0 : 1, {}}); }

private slots:
    void init()
    {
        testsupport::environment().wipe();
        registryReloadForTests();
        m_runner = RecordingProcessRunner();
        setProcessRunner(&m_runner);
        qputenv("DISPLAY", ":97");
    }

    void cleanup()
    {
        setProcessRunner(nullptr);
        qunsetenv("DISPLAY");
    }

    void registeringWritesTheEntryAndReadsBack()
    {
        QVERIFY(modSS::CheckSSInstalled().isEmpty());
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        QVERIFY(modSS::SetSSActive(true));
        QCOMPARE(modSS::CheckSSInstalled(), QString("C:\\Windows\\VN.scr"));
        QVERIFY(modSS::IsVNInstalled(modSS::CheckSSInstalled()));
        const QByteArray text = prefs();
        QVERIFY(text.contains("\"VN LED Clock\" " + vnLine()));
        QVERIFY(text.contains("mode:\tone\n"));
        QVERIFY(text.contains("selected:\t0\n"));
        // Twice adds no second entry.
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        QCOMPARE(prefs(), text);
    }

    void otherModesAndEntriesReadAsNotInstalled_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("random") << QByteArray("mode: random\nselected: 0\nprograms: " + vnLine() + "\n");
        QTest::newRow("blank") << QByteArray("mode: blank\nselected: 0\nprograms: " + vnLine() + "\n");
        QTest::newRow("off") << QByteArray("mode: off\nselected: 0\nprograms: " + vnLine() + "\n");
        QTest::newRow("another entry") << QByteArray("mode: one\nselected: 1\nprograms: " + vnLine()
                                                     + " \\n\\\n maze --root\n");
        QTest::newRow("outside the list") << QByteArray("mode: one\nselected: 5\nprograms: " + vnLine() + "\n");
        QTest::newRow("a program of the system") << QByteArray("mode: one\nselected: 0\nprograms: /usr/bin/xeyes\n");
    }

    void otherModesAndEntriesReadAsNotInstalled()
    {
        QFETCH(QByteArray, file);
        writePrefs(file);
        QCOMPARE(modSS::CheckSSInstalled(), QString());
    }

    void onlyTheExactSpellingsCount()
    {
        QVERIFY(modSS::IsVNInstalled("C:\\WINDOWS\\Vn.scr"));
        QVERIFY(!modSS::IsVNInstalled("c:\\windows\\vn.scr"));
        QVERIFY(!modSS::IsVNInstalled(""));
    }

    void aChangeByAnotherProgramIsSeenAtTheNextRead()
    {
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        QVERIFY(!modSS::CheckSSInstalled().isEmpty());
        QByteArray text = prefs();
        text.replace("mode:\tone", "mode:\trandom");
        writePrefs(text);
        QCOMPARE(modSS::CheckSSInstalled(), QString());
    }

    void aLinkedFileIsReplacedBehindItsLink()
    {
        const QString target = testsupport::environment().root() + "/dotfiles/xscreensaver";
        QDir().mkpath(QFileInfo(target).absolutePath());
        writePrefs("# mine\nlock: False\n", target);
        QVERIFY(QFile::link(target, xscreensaverFilePath()));
        QVERIFY(modSS::ToggleSSSecure());
        QVERIFY(QFileInfo(xscreensaverFilePath()).isSymLink());
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("# mine\nlock: True\n"));
    }

    void thePasswordFlag()
    {
        QVERIFY(!modSS::GetSSSecure()); // missing reads as off
        QVERIFY(modSS::ToggleSSSecure());
        QVERIFY(modSS::GetSSSecure());
        QVERIFY(prefs().contains("lock:\tTrue"));
        writePrefs("lock: garbage\n");
        QVERIFY(!modSS::GetSSSecure());
        writePrefs("lock: yes\n");
        QVERIFY(modSS::GetSSSecure());
    }

    void theIdleTime()
    {
        writePrefs("timeout: 0:09:59\n");
        QCOMPARE(modSS::GetSSTimeout(), 9);
        writePrefs("timeout: 5:00\n");
        QCOMPARE(modSS::GetSSTimeout(), 5);
        writePrefs("timeout: 15\n");
        QCOMPARE(modSS::GetSSTimeout(), 15);
        writePrefs("# nothing\n");
        QCOMPARE(modSS::GetSSTimeout(), 10); // the daemon's default
        QVERIFY(modSS::SetSSTimeout(15));
        QVERIFY(prefs().contains("timeout:\t0:15:00\n"));
        const QByteArray before = prefs();
        for (qint32 refused : {0, -5, 1441, 35791395, std::numeric_limits<qint32>::max()})
            QVERIFY(!modSS::SetSSTimeout(refused));
        QCOMPARE(prefs(), before);
        QVERIFY(modSS::SetSSTimeout(1440));
        QCOMPARE(modSS::GetSSTimeout(), 1440);
    }

    void theSystemParametersStandIn()
    {
        qint32 out = -1;
        QVERIFY(SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &out, 0));
        QCOMPARE(out, 1); // random mode saves the screen
        QVERIFY(SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0));
        QVERIFY(prefs().contains("mode:\toff"));
        QVERIFY(SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &out, 0));
        QCOMPARE(out, 0);
        QVERIFY(!SystemParametersInfo(SPI_SETSCREENSAVETIMEOUT, 0, nullptr, 0));
        QVERIFY(!SystemParametersInfo(SPI_GETSCREENSAVETIMEOUT, 0, nullptr, 0));
        QVERIFY(!SystemParametersInfo(99, 0, &out, 0));
        QVERIFY(SystemParametersInfo(SPI_SETSCREENSAVETIMEOUT, 599, nullptr, 0));
        QVERIFY(SystemParametersInfo(SPI_GETSCREENSAVETIMEOUT, 0, &out, 0));
        QCOMPARE(out, 599);
    }

    void aRunningDaemonIsToldOfChangesOnly()
    {
        daemonAnswers(true);
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        QCOMPARE(restarts(m_runner), 1);
        QVERIFY(modSS::SetSSActive(true)); // already so: nothing written
        QCOMPARE(restarts(m_runner), 1);
        m_runner.clear();
        modSS::CheckSSInstalled();
        modSS::GetSSSecure();
        modSS::GetSSTimeout();
        QVERIFY(m_runner.calls().isEmpty()); // reading asks no process
        daemonAnswers(false);
        QVERIFY(modSS::SetSSTimeout(30));
        QCOMPARE(restarts(m_runner), 0);
        QVERIFY(modSS::SaverServiceAvailable() == false);
        qunsetenv("DISPLAY");
        m_runner.clear();
        QVERIFY(!modSS::SaverServiceAvailable());
        QVERIFY(m_runner.calls().isEmpty()); // no display, no daemon to ask
    }

    void aFileThatCannotBeWrittenIsReported()
    {
        QDir().mkpath(xscreensaverFilePath());
        QVERIFY(!modSS::SetSSFile(modSS::SaverFile));
        QVERIFY(!modSS::ToggleSSSecure());
        QVERIFY(!modSS::SetSSTimeout(15));
        QVERIFY(!modSS::SetSSActive(true));
    }

    void textValuesRoundTripThroughTheRegistry()
    {
        QVERIFY(modSS::RegWriteStr(HKEY_CURRENT_USER, "Software", "Greeting", "Hello there"));
        QCOMPARE(modSS::RegReadStr(HKEY_CURRENT_USER, "Software", "Greeting", "none"), QString("Hello there"));
        QVERIFY(!modSS::RegWriteStr(HKEY_CURRENT_USER, "Software\\Nowhere", "X", "y"));
        QCOMPARE(modSS::RegReadStr(HKEY_CURRENT_USER, "Software\\Nowhere", "X", "none"), QString("none"));
        QCOMPARE(modSS::RegReadStr(HKEY_CURRENT_USER, "Software", "Missing", "none"), QString("none"));
    }

    void readingCutsAtTheTerminatorThenTrims()
    {
        setRaw(HKEY_CURRENT_USER, "Software", "Padded", REG_SZ, QByteArray("  C:\\x.scr \0junk\0", 17));
        QCOMPARE(modSS::RegReadStr(HKEY_CURRENT_USER, "Software", "Padded", "none"), QString("C:\\x.scr"));
        setRaw(HKEY_CURRENT_USER, "Software", "Number", REG_DWORD, QByteArray("\x01\0\0\0", 4));
        QCOMPARE(modSS::RegReadStr(HKEY_CURRENT_USER, "Software", "Number", "none"), QString("none"));
    }

    void thePathsOfTheMappedDrives()
    {
        QCOMPARE(windowsPathOf(hostPath("C:\\Windows\\VN.scr")), QString("C:\\Windows\\VN.scr"));
        QCOMPARE(windowsPathOf(hostPath("D:\\a b\\c")), QString("D:\\a b\\c"));
        QCOMPARE(windowsPathOf("/usr/bin/xeyes"), QString());
        QCOMPARE(windowsPathOf(driveRoot('c') + "x/y"), QString());
    }
};

VANTORA_TEST_MAIN(TestModSS)
#include "test_modss.moc"
