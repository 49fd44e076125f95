// Every store of the user's data over the same list of damages: a file that
// cannot be read whole is left byte for byte as it was and told once; a
// damaged one keeps every readable part, is kept beside itself before it is
// rewritten, and is told once.

#include "platform/base/application.h"
#include "platform/base/storefile.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/settings/settingsfile.h"
#include "platform/system/paths.h"
#include "compat/win32/registry.h"
#include "compat/win32/registryfile.h"
#include "platform/system/xscreensaver.h"
#include "platform/system/xscreensaverfile.h"
#include "reminders/memofile.h"
#include "reminders/modmemo.h"
#include "saver/modss.h"
#include "tests/support/damages.h"
#include "tests/support/testenv.h"
#include "worldtime/zonetable.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <sys/resource.h>

using namespace testsupport;

namespace {

using platform::kOptions;

QByteArray goodSettings() { return "[Options]\nAlarmTime=07:30\nFirstUse2=False\n\n[ScreenSaver]\nPos=2\n"; }

QByteArray goodRegistry()
{
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\VN\\TimeConverter]\n"
           "\"DefaultSourceZone\"=\"W. Europe Standard Time\"\n\"DefaultTargetZone\"=\"Tokyo Standard Time\"\n";
}

QByteArray goodReminders()
{
    return "#2030-01-02#\r\n\"08:00:00\"\r\n\"Dentist\"\r\n#2030-01-03#\r\n\"09:00:00\"\r\n\"Buy milk\"\r\n";
}

QByteArray goodXscreensaver()
{
    return "# XScreenSaver Preferences File\ntimeout:\t0:10:00\nmode:\t\trandom\nselected:\t-1\n"
           "programs:\t\\\n\t\t\t\tmaze --root\t\\n\\\n\t\t\t\tdeco --root\t\\n\\\n\nlock:\t\tFalse\n";
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The copy kept beside a damaged file before its first rewrite.
QByteArray keptCopy(const QString& path)
{
    const QFileInfo info(path);
    const QStringList copies = info.dir().entryList({info.fileName() + ".damaged-*"}, QDir::Files);
    return copies.size() == 1 ? fileBytes(info.dir().filePath(copies.first())) : QByteArray("<no single copy>");
}

} // namespace

class TestStoreDamage : public QObject {
    Q_OBJECT
private:
    platform::ScriptedDialogs& m_dialogs = environment().dialogs();

    // Told once, naming the file and the reason; or not told at all.
    void checkTold(const QString& path, Damage damage, bool damagedIsTold)
    {
        const QStringList boxes = boxesNaming(m_dialogs, path);
        if (isRefused(damage)) {
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes.first().contains(refusalWords(damage)), qPrintable(boxes.first()));
        } else {
            QCOMPARE(boxes.size(), damagedIsTold ? 1 : 0);
        }
    }

private slots:
    void init()
    {
        environment().wipe();
        m_dialogs.clear();
        platform::forgetStoreProblemsTold();
        platform::registryReloadForTests();
    }

    void settings_data() { addDamageRows(); }
    void settings()
    {
        QFETCH(Damage, damage);
        const QString path = platform::settingsFilePath();
        applyDamage(damage, path, goodSettings(), platform::kMaxSettingsFileBytes);
        const QByteArray before = fileState(path);

        platform::saveSetting(kOptions, "After", "1");
        platform::saveSetting(kOptions, "After", "2");
        QCOMPARE(platform::getSetting(kOptions, "After"), QString("2"));
        checkTold(path, damage, true);
        if (isRefused(damage)) {
            QCOMPARE(fileState(path), before);
            QVERIFY(platform::settingsWritesPending());
            removeDamage(path);
            platform::flushSettings(); // the changes kept in memory reach the mended store
            QCOMPARE(platform::parseSettingsFile(fileBytes(path)).sections[kOptions]["After"], QString("2"));
            return;
        }
        QCOMPARE(keptCopy(path), before);
        QVERIFY(platform::parseSettingsFile(fileBytes(path)).clean);
        if (damage == Damage::Truncated)
            QCOMPARE(platform::getSetting(kOptions, "AlarmTime"), QString("07:30"));
    }

    void registry_data() { addDamageRows(); }
    void registry()
    {
        QFETCH(Damage, damage);
        const QString path = platform::registryFilePath(platform::HKEY_LOCAL_MACHINE);
        applyDamage(damage, path, goodRegistry(), 16 * 1024 * 1024);
        const QByteArray before = fileState(path);

        QCOMPARE(worldtime::saveDefaultTarget("Fiji Standard Time"), platform::ERROR_SUCCESS);
        QCOMPARE(worldtime::saveDefaultTarget("Samoa Standard Time"), platform::ERROR_SUCCESS);
        QCOMPARE(worldtime::readDefaultZones().target, QString("Samoa Standard Time"));
        checkTold(path, damage, true);
        if (isRefused(damage)) {
            QCOMPARE(fileState(path), before);
            return;
        }
        QCOMPARE(keptCopy(path), before);
        bool clean = false;
        platform::parseRegistryFile(fileBytes(path), "HKEY_LOCAL_MACHINE", &clean);
        QVERIFY(clean);
        if (damage == Damage::Truncated)
            QCOMPARE(worldtime::readDefaultSourceZone(), QString("W. Europe Standard Time"));
    }

    void reminders_data() { addDamageRows(); }
    void reminders()
    {
        QFETCH(Damage, damage);
        ModMemo::MemoInit(environment().home() + "/memo");
        const QString path = ModMemo::memoFilePath();
        applyDamage(damage, path, goodReminders(), 16 * 1024 * 1024);
        const QByteArray before = fileState(path);

        const bool loaded = ModMemo::MemoLoad();
        const ModMemo::Result added = ModMemo::MemoAdd(QDate(2030, 2, 1), "10:00:00", "New");
        ModMemo::MemoLoad();
        QCOMPARE(loaded, !isRefused(damage));
        QCOMPARE(bool(added), !isRefused(damage));
        if (isRefused(damage)) {
            QCOMPARE(fileState(path), before);
            QVERIFY(added.error.contains(refusalWords(damage)));
            checkTold(path, damage, false);
            return;
        }
        QCOMPARE(keptCopy(path), before);
        const MemoParse now = parseMemoFile(fileBytes(path));
        QVERIFY(now.clean);
        QCOMPARE(now.records.last().MemText, QString("New"));
        if (damage == Damage::Truncated)
            QCOMPARE(now.records.first().MemText, QString("Dentist"));
    }

    // "Set VN as Default Screen Saver" over a damaged ~/.xscreensaver.
    void xscreensaver_data() { addDamageRows(); }
    void xscreensaver()
    {
        QFETCH(Damage, damage);
        const QString path = platform::xscreensaverFilePath();
        applyDamage(damage, path, goodXscreensaver(), 4 * 1024 * 1024);
        const QByteArray before = fileState(path);

        const bool set = modSS::SetSSFile(modSS::SaverFile);
        modSS::SetSSFile(modSS::SaverFile);
        QCOMPARE(set, !isRefused(damage));
        checkTold(path, damage, false);
        if (isRefused(damage)) {
            QCOMPARE(fileState(path), before);
            return;
        }
        // Only the lines the command changes differ: every other line stays.
        const QByteArray after = fileState(path);
        for (const QByteArray& line : before.split('\n'))
            if (!line.startsWith("mode:") && !line.startsWith("selected:"))
                QVERIFY2(after.split('\n').contains(line), line.constData());
        QCOMPARE(modSS::CheckSSInstalled(), modSS::SaverFile);
    }

    void theProgramAndDataFoldersAreToldOnce()
    {
        const QString data = environment().dataHome() + "/Vantora";
        QVERIFY(QDir().mkpath(data));
        for (const QString& name : {QString("program"), QString("drive_c")}) {
            QFile blocker(data + "/" + name);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        platform::appPath();
        platform::appPath();
        platform::hostPath("C:\\VNstat.log");
        platform::hostPath("C:\\VN.log");
        QCOMPARE(boxesNaming(m_dialogs, data + "/program").size(), 1);
        QCOMPARE(boxesNaming(m_dialogs, data + "/drive_c").size(), 1);
        QVERIFY(boxesNaming(m_dialogs, data + "/program").first().contains("its program folder"));
    }

    // Under a file-size limit the write fails as on a full disk: the program
    // lives on, the store keeps the change in memory and its file as it was.
    void aFileSizeLimitIsAFullDisk()
    {
        platform::saveSetting(kOptions, "Before", "1");
        const QByteArray before = fileBytes(platform::settingsFilePath());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VANTORA_FILE_SIZE_CHILD", "1");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("kept=1 error=File too large"));
        QCOMPARE(fileBytes(platform::settingsFilePath()), before);
    }
};

namespace {

// The child of aFileSizeLimitIsAFullDisk: a 64 KiB limit, then a setting of 100 KiB.
int writePastTheFileSizeLimit(int argc, char** argv)
{
    platform::Application app(argc, argv);
    const rlimit limit{64 * 1024, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    platform::saveSetting(kOptions, "Big", QString(50 * 1024, QChar(0x00e9)));
    std::printf("kept=%d error=%s\n", platform::getSetting(kOptions, "Big").size() == 50 * 1024 ? 1 : 0,
                qPrintable(platform::lastSettingsWriteError()));
    std::fflush(stdout);
    std::_Exit(0); // nothing more is written at the end
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("VANTORA_FILE_SIZE_CHILD"))
        return writePastTheFileSizeLimit(argc, argv);
    environment();
    QApplication app(argc, argv);
    TestStoreDamage tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_storedamage.moc"
