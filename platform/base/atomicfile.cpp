#include "platform/base/atomicfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <climits>
#include <limits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The temporaries of one target are named "<target>.vantora-tmp-<pid>-XXXXXX":
// a later write finds the ones whose writer is gone and removes them.
constexpr QLatin1StringView kTempMarker(".vantora-tmp-");
constexpr int kMaxLinkDepth = 40;

// Temporaries this process is writing now (other threads' ones must not be
// taken for litter). Made on first use and never destroyed: writes may come
// before main() and after the end of static destruction has begun.
struct ActiveSet {
    QMutex mutex;
    QSet<QString> paths;
};
ActiveSet& activeSet()
{
    static ActiveSet* const set = new ActiveSet;
    return *set;
}

WriteResult failure(int err) { return WriteResult{false, qt_error_string(err)}; }

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The process's umask, read without changing it (umask() would change it for
// every thread for a moment).
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return static_cast<mode_t>(mask);
            }
        }
    }
    return 022;
}

mode_t modeFor(const QByteArray& target, unsigned permissions)
{
    if (permissions != 0)
        return static_cast<mode_t>(permissions & 07777);
    struct stat st {};
    if (::stat(target.constData(), &st) == 0)
        return st.st_mode & 07777;
    return 0666 & ~currentUmask();
}

bool processIsGone(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

class ActiveTemporary {
public:
    explicit ActiveTemporary(const QString& path) : m_path(path)
    {
        QMutexLocker locker(&activeSet().mutex);
        activeSet().paths.insert(m_path);
    }
    ~ActiveTemporary()
    {
        QMutexLocker locker(&activeSet().mutex);
        activeSet().paths.remove(m_path);
    }
    ActiveTemporary(const ActiveTemporary&) = delete;
    ActiveTemporary& operator=(const ActiveTemporary&) = delete;

private:
    QString m_path;
};

} // namespace

QString atomicWriteTarget(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        const QByteArray native = QFile::encodeName(current);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(native.constData(), link.data(), static_cast<size_t>(link.size()));
        if (n <= 0)
            return current;
        link.truncate(n);
        const QString next = QFile::decodeName(link);
        current = QDir::cleanPath(
            QFileInfo(next).isAbsolute() ? next : QFileInfo(current).absolutePath() + QLatin1Char('/') + next);
    }
    return current;
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions)
{
    return writeFileAtomically(path, data, permissions, {});
}

WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions,
                                const std::function<void(int fd)>& beforeReplace)
{
    const QString target = atomicWriteTarget(path);
    const QByteArray nativeTarget = QFile::encodeName(target);
    struct stat existing {};
    if (::stat(nativeTarget.constData(), &existing) == 0 && S_ISDIR(existing.st_mode))
        return failure(EISDIR);
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    removeStaleTemporaries(target);

    QByteArray pattern = QFile::encodeName(folder + QLatin1Char('/') + info.fileName() + kTempMarker
                                           + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    const ActiveTemporary active(QFile::decodeName(pattern));

    int err = 0;
    if (::fchmod(fd, modeFor(nativeTarget, permissions)) != 0 || !writeAll(fd, data) || ::fsync(fd) != 0)
        err = errno;
    if (err == 0 && beforeReplace)
        beforeReplace(fd);
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(pattern.constData(), nativeTarget.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(pattern.constData());
        return failure(err);
    }
    syncFolder(folder);
    return WriteResult{true, {}};
}

void removeStaleTemporaries(const QString& path)
{
    const QFileInfo info(path);
    QDir folder(info.absolutePath());
    const QString prefix = info.fileName() + kTempMarker;
    // A plain prefix test: a name filter would compile a pattern at every write.
    QDirIterator entries(folder.path(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString name = entries.nextFileInfo().fileName();
        if (!name.startsWith(prefix))
            continue;
        const QString rest = name.mid(prefix.size());
        const qsizetype dash = rest.indexOf(QLatin1Char('-'));
        bool ok = false;
        const qint64 pid = dash > 0 ? rest.left(dash).toLongLong(&ok) : 0;
        if (!ok || rest.size() != dash + 7)
            continue; // not a name this writer makes
        const QString full = folder.absoluteFilePath(name);
        if (pid == ::getpid()) {
            QMutexLocker locker(&activeSet().mutex);
            if (activeSet().paths.contains(full))
                continue;
        } else if (!processIsGone(pid)) {
            continue;
        }
        QFile::remove(full);
    }
}

} // namespace platform
