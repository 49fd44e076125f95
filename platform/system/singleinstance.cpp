#include "platform/system/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <map>
#include <QStandardPaths>

#include <unistd.h>

#include <memory>

namespace platform {
namespace {

std::map<QString, std::unique_ptr<QLockFile>>& heldLocks()
{
    static std::map<QString, std::unique_ptr<QLockFile>> locks;
    return locks;
}

QString lockFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// A file name made of the program name, whatever characters it holds.
QString safeFileName(const QString& programName)
{
    QString name;
    for (const QChar c : programName)
        name += (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) ? c : QLatin1Char('_');
    return name;
}

} // namespace

QString instanceLockPath(const QString& programName)
{
    // The user id keeps users apart when the lock falls back to the shared temp folder.
    return lockFolder() + QStringLiteral("/vantora-%1-%2.lock").arg(::getuid()).arg(safeFileName(programName));
}

bool isAnotherInstanceRunning(const QString& programName)
{
    const QString path = instanceLockPath(programName);
    if (heldLocks().count(path))
        return false;
    auto lock = std::make_unique<QLockFile>(path);
    // The lock is held for the whole run: only a dead owner makes it stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        heldLocks().emplace(path, std::move(lock));
        return false;
    }
    return lock->error() == QLockFile::LockFailedError;
}

void releaseInstanceLock() { heldLocks().clear(); }

} // namespace platform
