#include "reminders/modmemo.h"

#include "platform/base/filelock.h"
#include "platform/base/filestamp.h"
#include "platform/base/atomicfile.h"
#include "platform/base/storefile.h"
#include "platform/base/clock.h"
#include "platform/system/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <optional>
#include <utility>

namespace ModMemo {

namespace {

constexpr int kLockWaitMs = 10000;
constexpr int kMaxDamagedCopies = 100;

using platform::FileStamp;

// The records of a clean file as last read or written, with the stamp they
// belong to: a change of an unchanged file needs no second read.
struct Snapshot {
    FileStamp stamp;
    QList<MemoRec> records;
};

struct Store {
    bool initialised = false;
    QString folder;
    QList<MemoRec> memos;
    FileStamp loaded;
    bool clean = true;
    QString problem;
    QHash<QString, Snapshot> snapshots;
    QList<Damage> damage;
    QSet<QString> damageNoted; // copies already in `damage` or taken
};

Store& store()
{
    static Store s;
    return s;
}

void ensureInitialised()
{
    if (!store().initialised)
        MemoInit();
}

QString lockPath() { return store().folder + QStringLiteral("/VNMemo.lock"); }

// Both files share one lock against other copies of the program (a FileLock).
// Nested use inside one process counts up instead of locking again.
class StoreLock {
public:
    StoreLock()
    {
        if (s_depth++ == 0)
            s_lock.emplace(lockPath(), kLockWaitMs);
        m_ok = s_lock->held();
    }
    ~StoreLock()
    {
        if (--s_depth == 0)
            s_lock.reset();
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
    static inline int s_depth = 0;
    static inline std::optional<platform::FileLock> s_lock;
};

Result failed(const QString& error) { return Result{false, error}; }

const QString kLockError = QStringLiteral("The reminder files are in use by another copy of Vantora");

// A larger reminder file is not one this program wrote.
constexpr qint64 kMaxMemoFileBytes = 16 * 1024 * 1024;

// The bytes of a file as one read of one version of it; a missing file is
// empty. A file that cannot be read whole (a folder, a FIFO or a device in
// its place, one too large) is told once and never written over.
bool readWhole(const QString& path, QByteArray& bytes, FileStamp* stamp = nullptr, QString* error = nullptr)
{
    platform::StoreFileRead read = platform::readStoreFile(path, kMaxMemoFileBytes);
    bytes = std::move(read.bytes);
    if (stamp)
        *stamp = read.stamp;
    if (!read.refused())
        return true;
    platform::tellUnreadable(QStringLiteral("the reminder file"), path, read.reason);
    if (error)
        *error = QStringLiteral("%1 cannot be read (%2)").arg(QFileInfo(path).fileName(), read.reason);
    return false;
}

// Creates the file empty when it is missing.
// A link, even one that leads nowhere or in a loop, is the user's: left as it is.
bool isThere(const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); }

void ensureExists(const QString& path)
{
    if (isThere(path))
        return;
    const StoreLock lock;
    if (lock.ok() && !isThere(path))
        platform::writeFileAtomically(path, {});
}

// Keeps a damaged file beside itself; `copy` receives the copy's name (an
// earlier copy of the same bytes serves again).
Result keepDamagedCopy(const QString& path, const QByteArray& bytes, QString* copy = nullptr)
{
    const QString base = path + QStringLiteral(".damaged-")
        + platform::clock().now().date().toString(QStringLiteral("yyyy-MM-dd"));
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        const QString name = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        QByteArray existing;
        if (QFileInfo::exists(name)) {
            if (readWhole(name, existing) && existing == bytes) {
                if (copy)
                    *copy = name;
                return {};
            }
            continue;
        }
        const platform::WriteResult w = platform::writeFileAtomically(name, bytes);
        if (w.ok && copy)
            *copy = name;
        return w.ok ? Result{} : failed(w.error);
    }
    return failed(QStringLiteral("Too many damaged copies of %1").arg(QFileInfo(path).fileName()));
}

// A file that read uncleanly: copied at once and noted for the user. A file
// whose copy could not be made must not be rewritten.
Result noteDamage(const QString& path, const QByteArray& bytes, const QString& problem)
{
    const StoreLock lock;
    Damage d{path, {}, problem};
    Result kept = lock.ok() ? keepDamagedCopy(path, bytes, &d.copy) : failed(kLockError);
    if (!kept)
        d.problem = problem + QStringLiteral("; no copy could be made: ") + kept.error;
    Store& s = store();
    const QString key = d.copy.isEmpty() ? path : d.copy;
    if (!s.damageNoted.contains(key)) {
        s.damageNoted.insert(key);
        s.damage.append(d);
    }
    return kept;
}

// Reads a file under the lock, lets `change` edit its records and writes the
// result when it differs. `after` receives the records the file now holds.
// The records of a file as it is now, read again only when it changed.
// `old` holds its bytes when they were read (always for a damaged file).
bool currentRecords(const QString& path, MemoParse& parsed, QByteArray& old, QString& error)
{
    Store& s = store();
    const FileStamp now = FileStamp::ofPath(path);
    const auto cached = s.snapshots.constFind(path);
    if (now.exists && cached != s.snapshots.cend() && cached->stamp == now) {
        parsed = MemoParse{cached->records, true, {}};
        return true;
    }
    FileStamp stamp;
    if (!readWhole(path, old, &stamp, &error))
        return false;
    parsed = parseMemoFile(old);
    if (parsed.clean && stamp.exists)
        s.snapshots.insert(path, Snapshot{stamp, parsed.records});
    else
        s.snapshots.remove(path);
    return true;
}

// What the writer keeps of a list.
QList<MemoRec> storedRecords(const QList<MemoRec>& records)
{
    QList<MemoRec> kept;
    kept.reserve(records.size());
    for (const MemoRec& rec : records)
        if (isStorableMemo(rec))
            kept.append(normalisedMemo(rec));
    return kept;
}

// Reads a file under the lock, lets `change` edit its records and writes the
// result when it differs. `after` receives the records the file now holds.
Result changeFile(const QString& path, bool sorted, const std::function<void(QList<MemoRec>&)>& change,
                  QList<MemoRec>* after = nullptr)
{
    const StoreLock lock;
    if (!lock.ok())
        return failed(kLockError);
    MemoParse parsed;
    QByteArray old;
    QString readError;
    if (!currentRecords(path, parsed, old, readError))
        return failed(readError);
    QList<MemoRec> records = parsed.records;
    change(records);
    if (sorted)
        sortMemos(records);
    records = storedRecords(records);
    if (records == parsed.records) {
        if (after)
            *after = parsed.records;
        return {};
    }
    if (!parsed.clean) {
        Result kept = noteDamage(path, old, parsed.problem);
        if (!kept)
            return kept;
    }
    const platform::WriteResult w = platform::writeFileAtomically(path, writeMemoFile(records));
    store().snapshots.remove(path);
    if (!w.ok)
        return failed(w.error);
    const FileStamp stamp = FileStamp::ofPath(path);
    if (stamp.exists)
        store().snapshots.insert(path, Snapshot{stamp, records});
    if (after)
        *after = records;
    return {};
}

// After a change of "VNMemo.log": the list takes what the file holds.
void takeMemos(const Result& result, const QList<MemoRec>& after)
{
    Store& s = store();
    if (result.ok) {
        s.memos = after;
        s.clean = true;
        s.problem.clear();
        s.loaded = FileStamp::ofPath(memoFilePath());
        return;
    }
    s.loaded = FileStamp{};
    MemoLoad();
}

Result changeMemosFile(const std::function<void(QList<MemoRec>&)>& change)
{
    ensureInitialised();
    QList<MemoRec> after;
    Result r = changeFile(memoFilePath(), true, change, &after);
    takeMemos(r, after);
    return r;
}

Result changePendingFile(const std::function<void(QList<MemoRec>&)>& change)
{
    ensureInitialised();
    return changeFile(tempFilePath(), false, change);
}

MemoRec storedForm(const QDate& date, const QString& time, const QString& text)
{
    return normalisedMemo(MemoRec{date, time, text});
}

Result refuseUnstorable(const MemoRec& rec)
{
    if (!rec.MemDate.isValid())
        return failed(QStringLiteral("The reminder has no valid date"));
    if (storableMemoText(rec.MemText).isEmpty())
        return failed(QStringLiteral("The reminder has no message"));
    return failed(QStringLiteral("The reminder has no valid time"));
}

} // namespace

void MemoInit() { MemoInit(platform::appPath()); }

void MemoInit(const QString& folder)
{
    Store& s = store();
    QString f = folder.trimmed();
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    s = Store{};
    s.initialised = true;
    s.folder = f;
}

QString memoFilePath()
{
    ensureInitialised();
    return store().folder + QStringLiteral("/VNMemo.log");
}

QString tempFilePath()
{
    ensureInitialised();
    return store().folder + QStringLiteral("/VNTemp.log");
}

const QList<MemoRec>& Memos() { return store().memos; }

int MemoCount() { return static_cast<int>(store().memos.size()); }

bool lastLoadWasClean() { return store().clean; }

QString lastLoadProblem() { return store().problem; }

bool MemoLoad()
{
    ensureInitialised();
    Store& s = store();
    const QString path = memoFilePath();
    ensureExists(path);
    const FileStamp now = FileStamp::ofPath(path);
    if (now.exists && s.loaded == now)
        return true;
    MemoParse parsed;
    QByteArray bytes;
    QString error;
    if (!currentRecords(path, parsed, bytes, error)) {
        s.memos.clear();
        s.loaded = FileStamp{};
        s.clean = false;
        s.problem = error;
        return false;
    }
    s.memos = parsed.records;
    sortMemos(s.memos);
    s.clean = parsed.clean;
    s.problem = parsed.problem;
    s.loaded = now;
    if (!parsed.clean)
        noteDamage(path, bytes, parsed.problem);
    return true;
}

QList<Damage> takeDamage() { return std::exchange(store().damage, {}); }

void MemoRecover()
{
    ensureInitialised();
    const StoreLock lock;
    if (!lock.ok())
        return;
    platform::removeStaleTemporaries(memoFilePath());
    platform::removeStaleTemporaries(tempFilePath());
    const QList<MemoRec> pending = pendingMemos();
    if (pending.isEmpty())
        return;
    changeMemosFile([&](QList<MemoRec>& list) {
        for (const MemoRec& rec : pending)
            removeOneMemo(list, rec);
    });
}

Result MemoAdd(const QDate& date, const QString& time, const QString& text)
{
    const MemoRec rec = storedForm(date, time, text);
    if (!isStorableMemo(rec))
        return refuseUnstorable(rec);
    return changeMemosFile([&](QList<MemoRec>& list) { list.append(rec); });
}

Result MemoDelete(int index)
{
    ensureInitialised();
    if (index < 1 || index > MemoCount())
        return {};
    const MemoRec rec = store().memos[index - 1];
    return changeMemosFile([&](QList<MemoRec>& list) { removeOneMemo(list, rec); });
}

Result changeMemos(const std::function<void(QList<MemoRec>&)>& change) { return changeMemosFile(change); }

Result MemoAppend(const QDate& date, const QString& time, const QString& text)
{
    const MemoRec rec = storedForm(date, time, text);
    if (!isStorableMemo(rec))
        return refuseUnstorable(rec);
    return changePendingFile([&](QList<MemoRec>& list) { list.append(rec); });
}

Result MemoDeleteMatch(const QDate& date, const QString& time, const QString& text)
{
    const MemoRec rec = storedForm(date, time, text);
    return changePendingFile([&](QList<MemoRec>& list) { list.removeAll(rec); });
}

QList<MemoRec> pendingMemos()
{
    const QString path = tempFilePath();
    ensureExists(path);
    QByteArray bytes;
    if (!readWhole(path, bytes))
        return {};
    MemoParse parsed = parseMemoFile(bytes);
    if (!parsed.clean)
        noteDamage(path, bytes, parsed.problem);
    return parsed.records;
}

MoveResult moveToPending(const MemoRec& rec)
{
    ensureInitialised();
    const StoreLock lock;
    if (!lock.ok())
        return MoveResult{Move::StayedInMemo, kLockError};
    QByteArray bytes;
    QString readError;
    if (!readWhole(memoFilePath(), bytes, nullptr, &readError))
        return MoveResult{Move::StayedInMemo, readError};
    if (!parseMemoFile(bytes).records.contains(rec)) {
        MemoLoad();
        return MoveResult{Move::Gone, {}};
    }
    const Result added = changePendingFile([&](QList<MemoRec>& list) { list.append(rec); });
    if (!added) {
        MemoLoad();
        return MoveResult{Move::StayedInMemo, added.error};
    }
    const Result removed = changeMemosFile([&](QList<MemoRec>& list) { removeOneMemo(list, rec); });
    if (removed)
        return MoveResult{Move::Moved, {}};
    // Take it back out of the pending file so that it is not shown twice at
    // the next start; if even that fails it stays in both files.
    const Result undone = changePendingFile([&](QList<MemoRec>& list) {
        const qsizetype last = list.lastIndexOf(rec);
        if (last >= 0)
            list.removeAt(last);
    });
    return MoveResult{undone ? Move::StayedInMemo : Move::InBoth, removed.error};
}

bool removeOneMemo(QList<MemoRec>& records, const MemoRec& rec)
{
    const qsizetype i = records.indexOf(rec);
    if (i < 0)
        return false;
    records.removeAt(i);
    return true;
}

} // namespace ModMemo
