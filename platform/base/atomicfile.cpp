#include "platform/base/atomicfile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The temporaries of one target share its name and this marker, so that a later
// write can find and remove the ones a killed writer left behind.
const QString kTempMarker = QStringLiteral(".vantora-tmp-");

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

WriteResult failure(int err) { return WriteResult{false, errnoText(err)}; }

QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

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

} // namespace

WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions)
{
    const QString target = resolvedTarget(path);
    const QFileInfo info(target);
    if (info.isDir())
        return WriteResult{false, QStringLiteral("%1 is a folder").arg(target)};
    const QString folder = info.absolutePath();
    removeStaleTemporaries(target);

    QByteArray pattern = QFile::encodeName(folder + QLatin1Char('/') + info.fileName() + kTempMarker + "XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    const QString temp = QFile::decodeName(pattern);

    mode_t mode = 0;
    if (permissions != 0) {
        mode = static_cast<mode_t>(permissions);
    } else {
        struct stat st {};
        if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
    }

    int err = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, data) || ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(pattern.constData(), QFile::encodeName(target).constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(QFile::encodeName(temp).constData());
        return failure(err);
    }
    syncFolder(folder);
    return WriteResult{true, {}};
}

void removeStaleTemporaries(const QString& path)
{
    const QFileInfo info(path);
    QDir folder(info.absolutePath());
    const QStringList stale =
        folder.entryList({info.fileName() + kTempMarker + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : stale)
        folder.remove(name);
}

} // namespace platform
