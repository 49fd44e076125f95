#include "platform/system/xscreensaver.h"

#include "platform/base/filelock.h"
#include "platform/base/filestamp.h"
#include "platform/base/storefile.h"
#include "platform/system/paths.h"
#include "platform/system/processrunner.h"
#include "platform/system/xscreensaverfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

#include <functional>

namespace platform {
namespace {

const QString kCommand = QStringLiteral("xscreensaver-command");
constexpr int kCommandTimeoutMs = 3000;
constexpr int kLockWaitMs = 5000;
// A preferences file larger than this is not one the daemon wrote.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

using Stamp = platform::FileStamp;

Stamp stampOf(const QString& path) { return Stamp::ofPath(path); }

// The file as it is now; one that cannot be read whole is told once and
// never written over.
StoreFileRead readFile(const QString& path)
{
    StoreFileRead read = readStoreFile(path, kMaxFileSize);
    if (read.refused())
        tellUnreadable(QStringLiteral("the screensaver preferences"), path, read.reason);
    return read;
}

ScreenSaverPrefs prefsOf(const xss::PreferencesFile& file)
{
    ScreenSaverPrefs prefs;
    if (const auto mode = file.value("mode"); mode && !mode->isEmpty())
        prefs.mode = mode->toLower();
    if (const auto selected = file.value("selected")) {
        bool ok = false;
        const qint64 n = selected->toLongLong(&ok);
        prefs.selected = ok ? n : -1;
    }
    const QList<xss::ProgramEntry> programs = file.programs();
    if (prefs.selected >= 0 && prefs.selected < programs.size())
        prefs.selectedProgram = xss::firstShellWord(programs[prefs.selected].command);
    prefs.selectedWindowsPath = windowsPathOf(prefs.selectedProgram);
    if (const auto lock = file.value("lock"))
        prefs.lock = xss::parseBoolean(*lock).value_or(false);
    if (const auto timeout = file.value("timeout"))
        prefs.timeoutSeconds = xss::parseTime(*timeout).value_or(prefs.timeoutSeconds);
    return prefs;
}

struct Cache {
    QString path;
    Stamp stamp;
    ScreenSaverPrefs prefs;
    bool valid = false;
};

Cache& cache()
{
    static Cache c;
    return c;
}

QString lockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/vantora-xscreensaver.lock");
}

void restartDaemon()
{
    if (screenSaverDaemonAnswers())
        processRunner().startDetached(kCommand, {QStringLiteral("-restart")});
}

// Applies a change to the file as it is on disk now and writes the result.
WriteResult modify(const std::function<void(xss::PreferencesFile&)>& change)
{
    const FileLock lock(lockPath(), kLockWaitMs);
    if (!lock.held())
        return WriteResult{false, QStringLiteral("Another program is changing %1.").arg(xscreensaverFilePath())};
    const QString path = xscreensaverFilePath();
    const StoreFileRead read = readFile(path);
    if (read.refused())
        return WriteResult{false, QStringLiteral("%1 cannot be read (%2).").arg(path, read.reason)};
    const QByteArray& before = read.bytes;
    xss::PreferencesFile file(before);
    change(file);
    if (file.bytes() == before && QFileInfo::exists(path))
        return WriteResult{true, {}};
    WriteResult written = writeFileAtomically(path, file.bytes());
    if (written)
        restartDaemon();
    return written;
}

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty()
        && QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

} // namespace

QString xscreensaverFilePath() { return QDir::homePath() + QStringLiteral("/.xscreensaver"); }

const ScreenSaverPrefs& screenSaverPrefs()
{
    Cache& c = cache();
    const QString path = xscreensaverFilePath();
    const Stamp stamp = stampOf(path);
    if (!c.valid || c.path != path || !(c.stamp == stamp)) {
        c.prefs = prefsOf(xss::PreferencesFile(stamp.exists ? readFile(path).bytes : QByteArray()));
        c.path = path;
        c.stamp = stamp;
        c.valid = true;
    }
    return c.prefs;
}

WriteResult setScreenSaverProgram(const QString& programPath, const QString& displayName)
{
    if (programPath.contains(QLatin1Char('\n')) || displayName.contains(QLatin1Char('"')))
        return WriteResult{
            false, QStringLiteral("The screensaver's path cannot be written to %1.").arg(xscreensaverFilePath())};
    const QString entry = QStringLiteral("\"%1\" %2 /s").arg(displayName, xss::shellQuote(programPath));
    return modify([&](xss::PreferencesFile& file) {
        file.putProgramFirst(
            entry, [&](const xss::ProgramEntry& e) { return samePath(xss::firstShellWord(e.command), programPath); });
        file.setValue("mode", QStringLiteral("one"));
        file.setValue("selected", QStringLiteral("0"));
    });
}

WriteResult setScreenSaverMode(const QString& mode)
{
    return modify([&](xss::PreferencesFile& file) { file.setValue("mode", mode); });
}

WriteResult setScreenSaverLock(bool on)
{
    return modify([&](xss::PreferencesFile& file) {
        file.setValue("lock", on ? QStringLiteral("True") : QStringLiteral("False"));
    });
}

WriteResult setScreenSaverTimeout(qint64 seconds)
{
    return modify([&](xss::PreferencesFile& file) { file.setValue("timeout", xss::timeText(seconds)); });
}

bool screenSaverDaemonAnswers()
{
    // Without a display there is no daemon to ask.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    const ProcessRunner::Result result = processRunner().run(kCommand, {QStringLiteral("-version")}, kCommandTimeoutMs);
    return result.finished && result.exitCode == 0;
}

QString windowsPathOf(const QString& hostFilePath)
{
    if (hostFilePath.isEmpty())
        return {};
    const QString driveC = hostPath(QStringLiteral("C:"));
    const QString drivePrefix = driveC.left(driveC.size() - 1); // ".../drive_"
    const QString path = QDir::cleanPath(hostFilePath);
    if (!path.startsWith(drivePrefix) || path.size() < drivePrefix.size() + 1)
        return {};
    const QChar letter = path[drivePrefix.size()];
    const QString rest = path.mid(drivePrefix.size() + 1);
    if (!letter.isLetter() || !letter.isLower() || (!rest.isEmpty() && !rest.startsWith(QLatin1Char('/'))))
        return {};
    return QString(letter.toUpper()) + QLatin1Char(':')
        + QString(rest.isEmpty() ? QStringLiteral("/") : rest).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace platform
