#include "platform/base/storefile.h"

#include "platform/base/clock.h"
#include "platform/base/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kMaxDamagedCopies = 100;

StoreFileRead refused(const QString& reason)
{
    StoreFileRead r;
    r.outcome = StoreFileRead::Outcome::Refused;
    r.reason = reason;
    return r;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a file");
    return QStringLiteral("it is not a regular file");
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads at most `limit` + 1 bytes, so that a file that grew past the limit
// while it was read is noticed.
bool readBounded(int fd, qint64 limit, QByteArray& out, int& err)
{
    out.clear();
    constexpr qint64 kChunk = qint64{64} * 1024;
    for (;;) {
        const qint64 want = qMin(kChunk, limit + 1 - out.size());
        if (want <= 0)
            return true;
        const qsizetype at = out.size();
        out.resize(at + want);
        const ssize_t n = ::read(fd, out.data() + at, static_cast<size_t>(want));
        if (n < 0) {
            out.resize(at);
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        out.resize(at + n);
        if (n == 0)
            return true;
    }
}

struct Told {
    QMutex mutex;
    QSet<QString> keys;
    bool quiet = false;
};

Told& told()
{
    static Told* const t = new Told; // notices may come during static destruction
    return *t;
}

} // namespace

QString sizeText(qint64 bytes)
{
    constexpr qint64 kMiB = qint64{1024} * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0)
        return QStringLiteral("%1 MiB").arg(bytes / kMiB);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

StoreFileRead readStoreFile(const QString& path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer.
    const Descriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENOENT && ::stat(native.constData(), &st) != 0)
            return StoreFileRead{};
        return refused(qt_error_string(err));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return refused(qt_error_string(errno));
    if (!S_ISREG(st.st_mode))
        return refused(kindOf(st.st_mode));
    const QString tooLarge = QStringLiteral("it is larger than %1").arg(sizeText(maxBytes));
    if (st.st_size > maxBytes)
        return refused(tooLarge);
    StoreFileRead r;
    int err = 0;
    if (!readBounded(fd.get(), maxBytes, r.bytes, err))
        return refused(qt_error_string(err));
    if (r.bytes.size() > maxBytes)
        return refused(tooLarge);
    r.outcome = StoreFileRead::Outcome::Read;
    r.stamp = FileStamp::of(st);
    return r;
}

QString keepDamagedCopy(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const QString base = path + QStringLiteral(".damaged-") + clock().now().date().toString(Qt::ISODate);
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        QString name = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        if (::link(native.constData(), QFile::encodeName(name).constData()) == 0)
            return name;
        if (errno == EEXIST)
            continue;
        return QFile::copy(path, name) ? name : QString(); // a file system without hard links
    }
    return {};
}

void tellStoreProblem(StoreProblem kind, const QString& path, const QString& message)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    {
        Told& t = told();
        QMutexLocker locker(&t.mutex);
        const QString key = QString::number(static_cast<int>(kind)) + QLatin1Char(':') + path;
        if (t.quiet || t.keys.contains(key))
            return;
        t.keys.insert(key);
    }
    QTimer::singleShot(
        0, app, [message] { dialogs().msgBox(message, mb::OkOnly | mb::Exclamation, QStringLiteral("Vantora")); });
}

void tellUnreadable(const QString& what, const QString& path, const QString& reason)
{
    tellStoreProblem(StoreProblem::Unreadable, path,
                     QStringLiteral("Vantora cannot read %1\r\n%2\r\n(%3).\r\n\r\n"
                                    "It leaves that file as it is and keeps running with what it has in memory; "
                                    "changes made now are not stored there.")
                         .arg(what, QDir::toNativeSeparators(path), reason));
}

void tellDamaged(const QString& what, const QString& path)
{
    tellStoreProblem(StoreProblem::Damaged, path,
                     QStringLiteral("Part of %1\r\n%2\r\ncould not be read: it is damaged.\r\n\r\n"
                                    "Vantora uses what could be read, and keeps the damaged file beside it "
                                    "(\"%3.damaged-<date>\") before it is next written.")
                         .arg(what, QDir::toNativeSeparators(path), QFileInfo(path).fileName()));
}

void keepStoreProblemsQuiet()
{
    Told& t = told();
    QMutexLocker locker(&t.mutex);
    t.quiet = true;
}

void forgetStoreProblemsTold()
{
    Told& t = told();
    QMutexLocker locker(&t.mutex);
    t.keys.clear();
}

} // namespace platform
