#pragma once

#include <QString>

#include <sys/stat.h>

namespace platform {

// What tells one version of a file from another without reading it: a
// replacement is a new inode, a rewrite in place changes the size or the
// times. Two stamps of a missing file are equal.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp of(const struct stat& st);
    static FileStamp ofPath(const QString& path);
    static FileStamp ofHandle(int fd);
};

bool operator==(const FileStamp& a, const FileStamp& b);

} // namespace platform
