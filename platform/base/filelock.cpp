#include "platform/base/filelock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

// How often a waiting taker tries again: holders keep the lock for a few
// milliseconds at most.
constexpr int kPollMs = 2;

} // namespace

FileLock::FileLock(const QString& path, int waitMs)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
{
    if (m_fd < 0)
        return;
    QElapsedTimer waited;
    waited.start();
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        if (waited.hasExpired(waitMs)) {
            m_busy = true;
            return;
        }
        QThread::msleep(kPollMs);
    }
    m_held = true;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace platform
