#include "platform/base/filestamp.h"

#include <QFile>

namespace platform {

namespace {
bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }
} // namespace

FileStamp FileStamp::of(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

FileStamp FileStamp::ofPath(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? of(st) : FileStamp{};
}

FileStamp FileStamp::ofHandle(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? of(st) : FileStamp{};
}

bool operator==(const FileStamp& a, const FileStamp& b)
{
    if (a.exists != b.exists)
        return false;
    return !a.exists
        || (a.device == b.device && a.inode == b.inode && a.size == b.size && sameTime(a.modified, b.modified)
            && sameTime(a.changed, b.changed));
}

} // namespace platform
