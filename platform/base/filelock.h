#pragma once

#include <QString>

namespace platform {

// An exclusive lock between processes: flock() on a lock file that is never
// removed. The kernel drops the lock with the process that holds it, so a
// holder that is killed never leaves the file locked (a lock file that only
// exists, as QLockFile makes, can be left behind by a kill and then looks
// live, or be taken for stale while its holder still works). Two FileLocks on
// one file exclude each other within one process too.
class FileLock {
public:
    // Takes the lock, waiting at most waitMs while another holder has it.
    FileLock(const QString& path, int waitMs);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return m_held; }
    // Not held because another holder kept it for the whole wait (rather
    // than because the lock file cannot be opened).
    bool busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_held = false;
    bool m_busy = false;
};

} // namespace platform
