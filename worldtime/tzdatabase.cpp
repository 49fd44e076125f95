#include "worldtime/tzdatabase.h"

#include "platform/base/background.h"
#include "platform/base/clock.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <future>
#include <memory>
#include <optional>
#include <utility>

namespace worldtime {

namespace {

constexpr int kMoreCities = 3;
constexpr int kRecordSize = 44;

const QString kUtcId = QStringLiteral("UTC");

// The zone names of the files below the folder, without the folders of
// other kinds of data ("posix/", "right/") and files that are not zones.
QStringList zoneFileNames(const QString& tzDir, TzLinks& links)
{
    QStringList names;
    const QString root = QDir(tzDir).canonicalPath();
    if (root.isEmpty())
        return names;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = path.mid(root.size() + 1);
        if (name.startsWith(QLatin1String("posix/")) || name.startsWith(QLatin1String("right/")) || !isZoneName(name))
            continue;
        names.append(name);
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            const QString target = info.canonicalFilePath();
            if (target.startsWith(root + QLatin1Char('/')) && links.canonical(name) == name)
                links.addLink(target.mid(root.size() + 1), name);
        }
    }
    return names;
}

// The Windows id of a zone name, trying its linked names when the mapping
// does not know the name itself (it knows "Asia/Calcutta", not "Asia/Kolkata").
QString windowsIdOf(const QString& name, const TzLinks& links)
{
    const QByteArray direct = QTimeZone::ianaIdToWindowsId(name.toUtf8());
    if (!direct.isEmpty())
        return QString::fromUtf8(direct);
    for (const QString& other : links.namesOf(name)) {
        const QByteArray id = QTimeZone::ianaIdToWindowsId(other.toUtf8());
        if (!id.isEmpty())
            return QString::fromUtf8(id);
    }
    return {};
}

// The city of a zone name: its last part with blanks for underscores; none
// for the "Etc/" zones and for names of one part ("EST5EDT"). A name that the
// tz database has renamed ("Asia/Calcutta" is now "Asia/Kolkata") shows the
// current name.
QString cityOf(const QString& name, const TzLinks& links)
{
    QString shown = name;
    const QString current = links.canonical(name);
    if (current != name && QTimeZone::ianaIdToWindowsId(current.toUtf8()).isEmpty())
        shown = current;
    if (!shown.contains(u'/') || shown.startsWith(QLatin1String("Etc/")))
        return {};
    QString city = shown.section(u'/', -1);
    city.replace(u'_', u' ');
    return city;
}

QString displayOf(const QString& windowsId, const QString& defaultName, const QStringList& members, int offset,
                  const TzLinks& links)
{
    if (windowsId == kUtcId)
        return QStringLiteral("(UTC) Coordinated Universal Time");
    QStringList cities;
    const QString first = cityOf(defaultName, links);
    if (!first.isEmpty())
        cities.append(first);
    QStringList others;
    for (const QString& member : members) {
        const QString city = cityOf(member, links);
        if (!city.isEmpty() && !cities.contains(city) && !others.contains(city))
            others.append(city);
    }
    std::sort(others.begin(), others.end());
    cities += others.mid(0, kMoreCities);
    return offsetText(offset) + QLatin1Char(' ') + (cities.isEmpty() ? windowsId : cities.join(QLatin1String(", ")));
}

// The first zone Qt can open among the candidates.
std::optional<std::pair<QByteArray, QTimeZone>> openZone(const QStringList& candidates)
{
    for (const QString& name : candidates) {
        const QByteArray id = name.toUtf8();
        QTimeZone zone(id);
        if (zone.isValid())
            return std::make_pair(id, zone);
    }
    return std::nullopt;
}

void putInt32(QByteArray& out, qint32 v)
{
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void putWord(QByteArray& out, int v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

// A SYSTEMTIME in the "n-th weekday of the month" form; all zero for an invalid time.
void putChangeDate(QByteArray& out, const QDateTime& local)
{
    if (!local.isValid()) {
        for (int i = 0; i < 8; ++i)
            putWord(out, 0);
        return;
    }
    const QDate d = local.date();
    const QTime t = local.time();
    const int week = d.day() + 7 > d.daysInMonth() ? 5 : (d.day() - 1) / 7 + 1;
    putWord(out, 0);
    putWord(out, d.month());
    putWord(out, d.dayOfWeek() % 7);
    putWord(out, week);
    putWord(out, t.hour());
    putWord(out, t.minute());
    putWord(out, t.second());
    putWord(out, 0);
}

// The wall clock just before a change, as a plain date and time.
QDateTime wallClockBefore(const QTimeZone& zone, const QDateTime& atUtc)
{
    const int before = zone.offsetFromUtc(atUtc.addSecs(-1));
    const QDateTime wall = atUtc.toUTC().addSecs(before);
    return QDateTime(wall.date(), wall.time(), Qt::UTC);
}

std::shared_ptr<const TzDatabase>& sharedDatabase()
{
    static std::shared_ptr<const TzDatabase> db;
    return db;
}

// A build on a worker thread and the window-thread steps waiting for it.
struct BackgroundBuild {
    struct Waiting {
        QPointer<QObject> context;
        std::function<void()> whenBuilt;
    };
    bool running = false;
    std::shared_future<std::shared_ptr<const TzDatabase>> result;
    QList<Waiting> waiting;
};

BackgroundBuild& backgroundBuild()
{
    static BackgroundBuild build;
    return build;
}

// Takes over the worker's database (waiting for it when it is not done yet)
// and lets the waiting steps run from the event loop.
void adoptBackgroundBuild()
{
    BackgroundBuild& build = backgroundBuild();
    if (!build.running)
        return;
    build.running = false;
    sharedDatabase() = build.result.get();
    for (BackgroundBuild::Waiting& w : std::exchange(build.waiting, {}))
        if (w.context)
            QTimer::singleShot(0, w.context, std::move(w.whenBuilt));
}

} // namespace

QString tzFolder()
{
    const QString dir = qEnvironmentVariable("TZDIR");
    return dir.isEmpty() ? QStringLiteral("/usr/share/zoneinfo") : dir;
}

QString offsetText(int secondsEastOfUtc)
{
    const int minutes = std::abs(secondsEastOfUtc) / 60;
    return QStringLiteral("(UTC%1%2:%3)")
        .arg(QChar(secondsEastOfUtc < 0 ? u'-' : u'+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray tziRecord(const QTimeZone& zone, const QDateTime& reference)
{
    const int standard = zone.standardTimeOffset(reference);
    const int year = reference.toUTC().date().year();
    const QDateTime from(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC);

    // A change to an offset above the standard one starts daylight saving; a
    // change back to the standard offset ends it.
    QDateTime toDaylight;
    QDateTime toStandard;
    int daylight = standard;
    for (const QTimeZone::OffsetData& change : zone.transitions(from, to)) {
        const int before = zone.offsetFromUtc(change.atUtc.addSecs(-1));
        if (change.offsetFromUtc > standard && before <= standard && !toDaylight.isValid()) {
            toDaylight = wallClockBefore(zone, change.atUtc);
            daylight = change.offsetFromUtc;
        } else if (change.offsetFromUtc == standard && before > standard && !toStandard.isValid()) {
            toStandard = wallClockBefore(zone, change.atUtc);
        }
    }
    if (!toDaylight.isValid() || !toStandard.isValid()) {
        toDaylight = toStandard = QDateTime();
        daylight = standard;
    }

    QByteArray out;
    out.reserve(kRecordSize);
    putInt32(out, -standard / 60);
    putInt32(out, 0);
    putInt32(out, -(daylight - standard) / 60);
    putChangeDate(out, toStandard);
    putChangeDate(out, toDaylight);
    return out;
}

qint32 tziBias(const QByteArray& record)
{
    if (record.size() < 4)
        return 0;
    quint32 u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | static_cast<quint8>(record[i]);
    return static_cast<qint32>(u);
}

TzDatabase TzDatabase::build(const QString& tzDir, const QDateTime& reference)
{
    TzDatabase db;
    db.m_reference = reference;
    QFile zi(tzDir + QStringLiteral("/tzdata.zi"));
    if (zi.open(QIODevice::ReadOnly))
        db.m_links = TzLinks::parse(zi.readAll());
    const QStringList files = zoneFileNames(tzDir, db.m_links);

    // Windows id -> the names of the folder that belong to it (CLDR's
    // spelling where it differs from the file's).
    QMap<QString, QSet<QString>> present;
    for (const QString& name : files) {
        const QString id = windowsIdOf(name, db.m_links);
        if (!id.isEmpty())
            present[id].insert(name);
    }

    for (auto it = present.cbegin(); it != present.cend(); ++it) {
        const QString& id = it.key();
        const QSet<QString>& names = it.value();
        const auto isPresent = [&](const QString& cldrName) {
            for (const QString& n : db.m_links.namesOf(cldrName))
                if (names.contains(n))
                    return true;
            return false;
        };
        QStringList members;
        for (const QByteArray& m : QTimeZone::windowsIdToIanaIds(id.toUtf8()))
            if (isPresent(QString::fromUtf8(m)))
                members.append(QString::fromUtf8(m));
        const QString defaultName = QString::fromUtf8(QTimeZone::windowsIdToDefaultIanaId(id.toUtf8()));

        QStringList candidates;
        if (!defaultName.isEmpty() && isPresent(defaultName))
            candidates += db.m_links.namesOf(defaultName);
        for (const QString& m : members)
            candidates += db.m_links.namesOf(m);
        QStringList sortedNames(names.cbegin(), names.cend());
        std::sort(sortedNames.begin(), sortedNames.end());
        candidates += sortedNames;
        const auto opened = openZone(candidates);
        if (!opened)
            continue;

        TzZone zone;
        zone.windowsId = id;
        zone.ianaId = opened->first;
        zone.zone = opened->second;
        zone.memberCount = static_cast<int>(std::max<qsizetype>(members.size(), names.size()));
        zone.record = tziRecord(zone.zone, reference);
        const QString shownDefault = isPresent(defaultName) ? defaultName : QString::fromUtf8(zone.ianaId);
        zone.display = displayOf(id, shownDefault, members, zone.zone.standardTimeOffset(reference), db.m_links);
        db.m_byId.insert(id.toLower(), static_cast<int>(db.m_zones.size()));
        db.m_zones.append(zone);
    }
    return db;
}

const TzZone* TzDatabase::find(const QString& windowsId) const
{
    const auto it = m_byId.constFind(windowsId.toLower());
    return it == m_byId.cend() ? nullptr : &m_zones[*it];
}

const TzZone* TzDatabase::zoneOf(const QTimeZone& zone) const
{
    if (!zone.isValid())
        return nullptr;
    const QString name = QString::fromUtf8(zone.id());
    if (isZoneName(name)) {
        if (const TzZone* byName = find(windowsIdOf(name, m_links)))
            return byName;
    }
    const QByteArray rules = tziRecord(zone, m_reference);
    const TzZone* best = nullptr;
    for (const TzZone& candidate : m_zones)
        if (tzi(candidate) == rules && (!best || candidate.memberCount > best->memberCount))
            best = &candidate;
    return best;
}

QByteArray TzDatabase::tzi(const TzZone& zone) const
{
    return zone.record.isEmpty() ? tziRecord(zone.zone, m_reference) : zone.record;
}

const TzDatabase& tzDatabase()
{
    adoptBackgroundBuild();
    auto& db = sharedDatabase();
    if (!db)
        db = std::make_shared<const TzDatabase>(TzDatabase::build(tzFolder(), platform::clock().now()));
    return *db;
}

bool tzDatabaseReady(QObject* context, std::function<void()> whenBuilt)
{
    if (sharedDatabase())
        return true;
    BackgroundBuild& build = backgroundBuild();
    build.waiting.append(BackgroundBuild::Waiting{context, std::move(whenBuilt)});
    if (build.running)
        return false;
    build.running = true;
    // The folder and the instant are the window thread's, taken now.
    auto promise = std::make_shared<std::promise<std::shared_ptr<const TzDatabase>>>();
    build.result = promise->get_future().share();
    platform::runInBackground(
        QCoreApplication::instance(),
        [promise, folder = tzFolder(), now = platform::clock().now()] {
            promise->set_value(std::make_shared<const TzDatabase>(TzDatabase::build(folder, now)));
            return true;
        },
        [](bool) { adoptBackgroundBuild(); });
    return false;
}

void forgetTzDatabase()
{
    adoptBackgroundBuild();
    sharedDatabase().reset();
}

} // namespace worldtime
