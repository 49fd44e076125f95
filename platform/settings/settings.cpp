#include "platform/settings/settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>

namespace platform {
namespace {

using Section = QMap<QString, QString>;
using Sections = QMap<QString, Section>;

// How long a writer waits for another, live writer to finish.
constexpr int lockWaitMs = 10000;
constexpr int lockPollMs = 2;
// Larger files are not settings this program wrote: they read as damaged.
constexpr qint64 maxFileSize = 16 * 1024 * 1024;

// What tells one version of the file from another without reading it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool isLater(const timespec& a, const timespec& b)
{
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

timespec plusNanoseconds(timespec t, long long ns)
{
    const long long total = t.tv_nsec + ns;
    t.tv_sec += static_cast<time_t>(total / 1000000000);
    t.tv_nsec = static_cast<long>(total % 1000000000);
    return t;
}

bool operator==(const FileStamp& a, const FileStamp& b)
{
    if (a.exists != b.exists)
        return false;
    return !a.exists
        || (a.device == b.device && a.inode == b.inode && a.size == b.size && sameTime(a.modified, b.modified)
            && sameTime(a.changed, b.changed));
}

FileStamp stampOf(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

FileStamp stampOfPath(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 ? stampOf(st) : FileStamp{};
}

FileStamp stampOfHandle(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 ? stampOf(st) : FileStamp{};
}

// Readers notice a new version by its stamp. Two writes within one tick of the
// file system's clock would otherwise share a modification time (and, with equal
// sizes and a reused inode, the whole stamp), so every version is given a
// modification time later than the one it replaces. The steps cover file
// systems that keep whole seconds or two-second times.
void makeNewerThan(int fd, const FileStamp& previous)
{
    if (!previous.exists)
        return;
    for (long long step : {1000LL, 1000000000LL, 2000000000LL}) {
        if (isLater(stampOfHandle(fd).modified, previous.modified))
            return;
        const timespec times[2] = {{0, UTIME_OMIT}, plusNanoseconds(previous.modified, step)};
        if (::futimens(fd, times) != 0)
            return;
    }
}

// The writers' exclusive lock: flock() on a lock file beside the store that is
// never removed. The kernel drops the lock with the process holding it, so a
// writer that is killed never leaves the store locked (a lock file that only
// exists, as QLockFile makes, can be left empty by a kill and then looks live).
class WriterLock {
public:
    explicit WriterLock(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        if (m_fd < 0)
            return;
        QElapsedTimer waited;
        waited.start();
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || waited.hasExpired(lockWaitMs))
                return;
            QThread::msleep(lockPollMs);
        }
    }
    ~WriterLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    const int m_fd;
};

// File format: UTF-8 lines, "[section]" headers followed by "key=value" lines.
// Backslash escapes keep every text on one line and keep '=' out of keys and
// ']' out of section names; nothing is trimmed, so blanks round-trip.
QString escaped(const QString& text, QStringView special)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (special.contains(c))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

std::optional<QString> unescaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\': case u'=': case u'[': case u']': out += text[i]; break;
        case u'n': out += QLatin1Char('\n'); break;
        case u'r': out += QLatin1Char('\r'); break;
        case u'x': {
            const QStringView hex = text.sliced(i + 1).left(2);
            if (hex.size() != 2 || !isHexDigit(hex[0]) || !isHexDigit(hex[1]))
                return std::nullopt;
            out += QChar(hex.toUShort(nullptr, 16));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

// Position of the first '=' that is not escaped, or -1.
qsizetype separatorIndex(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

struct Contents {
    Sections sections;
    bool clean = true;
};

Contents parsed(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return {{}, false};
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {{}, false};
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);

    Contents result;
    std::optional<QString> section;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            section = line.endsWith(u']') ? unescaped(line.sliced(1, line.size() - 2)) : std::nullopt;
            if (!section || section->isEmpty()) {
                result.clean = false;
                section.reset();
            }
            continue;
        }
        const qsizetype at = separatorIndex(line);
        const auto key = at > 0 ? unescaped(line.first(at)) : std::nullopt;
        const auto value = at > 0 ? unescaped(line.sliced(at + 1)) : std::nullopt;
        if (!section || !key || !value) {
            result.clean = false;
            continue;
        }
        result.sections[*section][*key] = *value;
    }
    return result;
}

QByteArray serialized(const Sections& sections)
{
    QString text;
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        if (s->isEmpty())
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + escaped(s.key(), u"[]") + QLatin1String("]\n");
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            text += escaped(k.key(), u"=[") + QLatin1Char('=') + escaped(k.value(), {}) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

// The file and this process's parsed copy of it.
class Store {
public:
    Store()
        : m_path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/VN/VN.conf"))
        , m_nativePath(QFile::encodeName(m_path))
    {
    }

    const QString& path() const { return m_path; }

    QString value(const QString& section, const QString& key, const QString& defaultValue)
    {
        QMutexLocker locker(&m_mutex);
        refresh();
        const auto s = m_sections.constFind(section);
        if (s == m_sections.cend())
            return defaultValue;
        const auto k = s->constFind(key);
        return k == s->cend() ? defaultValue : *k;
    }

    // Runs edit on the current content of the file under the writers' lock and
    // stores the result when edit reports a change (or the file was damaged).
    void change(const std::function<bool(Sections&)>& edit)
    {
        QMutexLocker locker(&m_mutex);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        // Without the lock (none to be had within lockWaitMs) the change is still
        // written: losing another writer's change is the lesser harm than
        // dropping this one.
        const WriterLock lock(m_nativePath + ".lock");
        load();
        if (!edit(m_sections) && m_clean)
            return;
        if (!write())
            m_loaded = false; // the next read takes the file as it is
    }

private:
    void refresh()
    {
        if (!m_loaded || !(stampOfPath(m_nativePath) == m_stamp))
            load();
    }

    void load()
    {
        m_loaded = true;
        m_sections.clear();
        m_clean = true;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_stamp = stampOfPath(m_nativePath);
            return;
        }
        // The stamp of the open file, so content and stamp belong together
        // even when another process replaces the file meanwhile.
        m_stamp = stampOfHandle(file.handle());
        if (m_stamp.size > maxFileSize) {
            m_clean = false;
            return;
        }
        Contents contents = parsed(file.readAll());
        m_sections = std::move(contents.sections);
        m_clean = contents.clean;
    }

    bool write()
    {
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        const QByteArray bytes = serialized(m_sections);
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            file.cancelWriting();
            return false;
        }
        makeNewerThan(file.handle(), m_stamp);
        if (!file.commit())
            return false;
        m_stamp = stampOfPath(m_nativePath);
        m_clean = true;
        return true;
    }

    const QString m_path;
    const QByteArray m_nativePath;
    QMutex m_mutex;
    Sections m_sections;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_clean = true;
};

Store& store()
{
    static Store instance;
    return instance;
}

} // namespace

QString getSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    if (section.isEmpty() || key.isEmpty())
        return defaultValue;
    return store().value(section, key, defaultValue);
}

void saveSetting(const QString& section, const QString& key, const QString& value)
{
    if (section.isEmpty() || key.isEmpty())
        return;
    store().change([&](Sections& sections) {
        Section& s = sections[section];
        const auto k = s.constFind(key);
        if (k != s.cend() && *k == value)
            return false;
        s.insert(key, value);
        return true;
    });
}

void saveSettings(const QString& section, const QList<QPair<QString, QString>>& values)
{
    if (section.isEmpty())
        return;
    store().change([&](Sections& sections) {
        Section& s = sections[section];
        bool changed = false;
        for (const auto& [key, value] : values) {
            if (key.isEmpty())
                continue;
            const auto k = s.constFind(key);
            if (k != s.cend() && *k == value)
                continue;
            s.insert(key, value);
            changed = true;
        }
        return changed;
    });
}

void deleteSetting(const QString& section, const QString& key)
{
    if (section.isEmpty())
        return;
    store().change([&](Sections& sections) {
        const auto s = sections.find(section);
        if (s == sections.end())
            return false;
        if (key.isEmpty()) {
            sections.erase(s);
            return true;
        }
        if (s->remove(key) == 0)
            return false;
        if (s->isEmpty())
            sections.erase(s);
        return true;
    });
}

QString settingsFilePath() { return store().path(); }

} // namespace platform
