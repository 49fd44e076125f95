#include "platform/settings/settings.h"

#include "platform/base/filestamp.h"
#include "platform/base/atomicfile.h"
#include "platform/base/clock.h"
#include "platform/base/filelock.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "platform/base/storefile.h"
#include "platform/settings/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QStandardPaths>
#include <QCoreApplication>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

namespace platform {
namespace {

using Section = SettingsSection;
using Sections = SettingsSections;
using Edit = std::function<bool(Sections&)>;

// How long a write waits for another, live writer to finish: briefly where an
// event loop can try again later (the window thread must stay responsive),
// longer where nothing could (no application object, the program's end).
constexpr int shortLockWaitMs = 100;
constexpr int longLockWaitMs = 10000;
// When the lock was busy or the write failed, the queued changes are tried again.
constexpr int busyRetryMs = 250;
constexpr int failedRetryMs = 10000;

using platform::FileStamp;

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
        if (isLater(FileStamp::ofHandle(fd).modified, previous.modified))
            return;
        const timespec times[2] = {{0, UTIME_OMIT}, plusNanoseconds(previous.modified, step)};
        if (::futimens(fd, times) != 0)
            return;
    }
}

// Temporaries of the writer of earlier versions (QSaveFile: "VN.conf.Ab3xYz",
// mode 0600) that a kill left behind. Six letters or digits that are not all
// lower-case letters, so that a user's "VN.conf.backup" is never taken for one.
bool isLegacyTemporarySuffix(const QString& suffix)
{
    if (suffix.size() != 6)
        return false;
    bool allLowerCase = true;
    for (const QChar c : suffix) {
        const bool lower = c >= QLatin1Char('a') && c <= QLatin1Char('z');
        if (!lower && !(c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
        allLowerCase = allLowerCase && lower;
    }
    return !allLowerCase;
}

void removeLegacyTemporaries(const QString& path)
{
    const QFileInfo info(path);
    QDir folder(info.absolutePath());
    const QString prefix = info.fileName() + QLatin1Char('.');
    // Matched by hand: a name filter or a pattern would bring in the regular
    // expression engine at every start for a folder of a few files.
    for (const QFileInfo& candidate : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        const QString name = candidate.fileName();
        if (!name.startsWith(prefix) || !isLegacyTemporarySuffix(name.mid(prefix.size())))
            continue;
        struct stat st;
        if (::lstat(QFile::encodeName(candidate.absoluteFilePath()).constData(), &st) == 0 && S_ISREG(st.st_mode)
            && (st.st_mode & 07777) == 0600 && st.st_uid == ::getuid())
            QFile::remove(candidate.absoluteFilePath());
    }
}

void showFailure(const QString& message)
{
    dialogs().msgBox(message, mb::OkOnly | mb::Exclamation, QStringLiteral("Vantora"));
}

// The file and this process's parsed copy of it, with the changes of this
// process that are not in the file yet.
class Store {
public:
    Store()
        : m_path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/VN/VN.conf"))
    {
        atProgramEnd([this] { flushQueued(longLockWaitMs); });
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

    // Applies edit to what this process knows of the store; when it changes
    // something, the change is queued and written (with the changes queued
    // before it, in order) as soon as the writers' lock can be had.
    void change(const Edit& edit)
    {
        QMutexLocker locker(&m_mutex);
        refresh();
        if (!edit(m_sections))
            return;
        m_queued.append(edit);
        if (m_batchDepth == 0)
            flush(lockWaitHere());
    }

    void beginReadScope()
    {
        QMutexLocker locker(&m_mutex);
        if (m_readScopeDepth++ == 0)
            m_checkedInScope = false;
    }

    void endReadScope()
    {
        QMutexLocker locker(&m_mutex);
        --m_readScopeDepth;
    }

    void beginBatch()
    {
        QMutexLocker locker(&m_mutex);
        ++m_batchDepth;
    }

    void endBatch()
    {
        QMutexLocker locker(&m_mutex);
        if (--m_batchDepth == 0 && !m_queued.isEmpty())
            flush(lockWaitHere());
    }

    void flushQueued(int waitMs)
    {
        QMutexLocker locker(&m_mutex);
        if (!m_queued.isEmpty())
            flush(waitMs);
    }

    bool hasQueued()
    {
        QMutexLocker locker(&m_mutex);
        return !m_queued.isEmpty();
    }

    QString lastError()
    {
        QMutexLocker locker(&m_mutex);
        return m_lastError;
    }

    void setFailureNotice(std::function<void(const QString&)> notice)
    {
        QMutexLocker locker(&m_mutex);
        m_notice = std::move(notice);
        m_failureTold = false;
    }

private:
    static int lockWaitHere() { return QCoreApplication::instance() ? shortLockWaitMs : longLockWaitMs; }

    void refresh()
    {
        // Within a read scope the file is looked at once.
        if (m_loaded && m_readScopeDepth > 0 && m_checkedInScope)
            return;
        m_checkedInScope = m_readScopeDepth > 0;
        if (m_loaded && FileStamp::ofPath(m_path) == m_stamp)
            return;
        load();
        for (const Edit& edit : std::as_const(m_queued))
            edit(m_sections);
    }

    void load()
    {
        m_loaded = true;
        m_sections.clear();
        m_clean = true;
        const StoreFileRead read = readStoreFile(m_path, kMaxSettingsFileBytes);
        m_refusal = read.reason;
        if (read.refused()) {
            m_stamp = FileStamp::ofPath(m_path);
            tellUnreadable(QStringLiteral("its settings file"), m_path, read.reason);
            return;
        }
        // The stamp of the file read, so content and stamp belong together
        // even when another process replaces the file meanwhile.
        m_stamp = read.stamp;
        SettingsFileContents contents = parseSettingsFile(read.bytes);
        m_sections = std::move(contents.sections);
        m_clean = contents.clean;
        if (!m_clean)
            tellDamaged(QStringLiteral("its settings file"), m_path);
    }

    // Writes the queued changes over the file as it is now. Without the lock
    // (another writer is busy), they stay queued and are tried again from the
    // event loop; a write that fails keeps them in memory and says so once.
    void flush(int waitMs)
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        const FileLock lock(m_path + QStringLiteral(".lock"), waitMs);
        if (!lock.held() && lock.busy()) {
            scheduleRetry(busyRetryMs);
            return;
        }
        load();
        for (const Edit& edit : std::as_const(m_queued))
            edit(m_sections);
        if (!m_refusal.isEmpty()) {
            // Never written over: the changes live in memory (the user was told).
            m_lastError = m_refusal;
            scheduleRetry(failedRetryMs);
            return;
        }
        const WriteResult result = write();
        if (!result) {
            m_loaded = false; // the next read takes the file as it is, plus the queue
            reportFailure(result.error);
            scheduleRetry(failedRetryMs);
            return;
        }
        m_queued.clear();
        m_lastError.clear();
    }

    void scheduleRetry(int ms)
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || m_retryScheduled)
            return;
        if (!m_flushAtQuit) {
            m_flushAtQuit = true;
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { flushQueued(longLockWaitMs); });
        }
        m_retryScheduled = true;
        QTimer::singleShot(ms, app, [this] {
            {
                QMutexLocker locker(&m_mutex);
                m_retryScheduled = false;
            }
            flushQueued(shortLockWaitMs);
        });
    }

    void reportFailure(const QString& reason)
    {
        m_lastError = reason;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || m_failureTold)
            return; // without an event loop there is nobody to tell
        m_failureTold = true;
        const QString message = QStringLiteral("Vantora cannot store its settings in\r\n%1\r\n(%2).\r\n\r\n"
                                               "It keeps running with the settings it has in memory.")
                                    .arg(QDir::toNativeSeparators(m_path), reason);
        auto notice = m_notice ? m_notice : std::function<void(const QString&)>(showFailure);
        QTimer::singleShot(0, app, [notice, message] { notice(message); }); // never inside the caller
    }

    WriteResult write()
    {
        removeLegacyTemporaries(m_path);
        if (!m_clean)
            keepDamagedCopy(m_path);
        const FileStamp previous = m_stamp;
        WriteResult result = writeFileAtomically(m_path, formatSettingsFile(m_sections), 0,
                                                 [&previous](int fd) { makeNewerThan(fd, previous); });
        if (!result)
            return result;
        m_stamp = FileStamp::ofPath(m_path);
        m_clean = true;
        return result;
    }

    const QString m_path;
    QRecursiveMutex m_mutex;
    Sections m_sections;
    QList<Edit> m_queued;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_clean = true;
    // Why the file could not be read ("it is a folder"), or "" when it could.
    QString m_refusal;
    int m_batchDepth = 0;
    int m_readScopeDepth = 0;
    bool m_checkedInScope = false;
    bool m_retryScheduled = false;
    bool m_flushAtQuit = false;
    bool m_failureTold = false;
    QString m_lastError;
    std::function<void(const QString&)> m_notice;
};

Store& store()
{
    static Store instance;
    return instance;
}

} // namespace

QString fitSettingValue(const QString& value)
{
    if (value.size() <= kMaxSettingValue)
        return value;
    QString cut = value.left(kMaxSettingValue);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

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
    store().change([section, key, value = fitSettingValue(value)](Sections& sections) {
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
    store().change([section, values](Sections& sections) {
        Section& s = sections[section];
        bool changed = false;
        for (const auto& [key, text] : values) {
            if (key.isEmpty())
                continue;
            const QString value = fitSettingValue(text);
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
    store().change([section, key](Sections& sections) {
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

SettingsReadScope::SettingsReadScope() { store().beginReadScope(); }
SettingsReadScope::~SettingsReadScope() { store().endReadScope(); }

SettingsBatch::SettingsBatch() { store().beginBatch(); }
SettingsBatch::~SettingsBatch() { store().endBatch(); }

bool settingsWritesPending() { return store().hasQueued(); }

void flushSettings() { store().flushQueued(longLockWaitMs); }

QString lastSettingsWriteError() { return store().lastError(); }

void setSettingsFailureNotice(std::function<void(const QString&)> notice)
{
    store().setFailureNotice(std::move(notice));
}

} // namespace platform
