#pragma once

#include "worldtime/tzlinks.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <functional>

class QObject;

namespace worldtime {

// One zone of the Windows-style zone database, made from the system's tz
// database: its Windows id ("Tokyo Standard Time"), the tz zone whose rules
// it follows, and its display text ("(UTC+09:00) Tokyo, Dili, Jayapura, Palau").
struct TzZone {
    QString windowsId;
    QByteArray ianaId;
    QString display;
    QTimeZone zone;
    int memberCount = 0; // tz names of this Windows zone found in the zone folder
    QByteArray record;   // its "TZI" record at the database's reference instant
};

// The zone table built from the zone files of a tz folder. Every zone file
// that Qt's Windows-id mapping knows, under its own name or one of its links,
// contributes its Windows zone; every Windows zone appears once. Offsets and
// daylight-saving rules are those in force at the reference instant.
class TzDatabase {
public:
    TzDatabase() = default;
    static TzDatabase build(const QString& tzDir, const QDateTime& reference);

    const QList<TzZone>& zones() const { return m_zones; }
    // The zone of a Windows id (compared without regard to case); null when unknown.
    const TzZone* find(const QString& windowsId) const;
    const TzLinks& links() const { return m_links; }
    QDateTime reference() const { return m_reference; }

    // The Windows zone that a tz zone (an id or a POSIX rule) belongs to: by
    // its id, then by the ids linked with it, then the zone of equal standard
    // offset and equal rules this year (of several, the one with most names);
    // null when none matches.
    const TzZone* zoneOf(const QTimeZone& zone) const;

    // The zone's "TZI" record at the reference instant.
    QByteArray tzi(const TzZone& zone) const;

private:
    QList<TzZone> m_zones;
    QHash<QString, int> m_byId; // lower-case Windows id -> index
    TzLinks m_links;
    QDateTime m_reference;
};

// The folder of the tz database: $TZDIR, or /usr/share/zoneinfo.
QString tzFolder();

// "(UTC+09:00)", "(UTC-03:30)", "(UTC+00:00)" for an offset east of UTC in seconds.
QString offsetText(int secondsEastOfUtc);

// The 44-byte Windows zone record of a zone for the year of `reference`
// (little-endian): Bias, StandardBias, DaylightBias (minutes, UTC = local +
// bias), then the two change dates as SYSTEMTIME in their "n-th weekday of the
// month" form (year 0; day 1-4, 5 = last), first the change back to standard
// time, then the change to daylight time; both zero for a zone without
// daylight saving that year. Bias is minus the standard offset at `reference`.
QByteArray tziRecord(const QTimeZone& zone, const QDateTime& reference);

// The first field of a zone record (the bias); 0 for a record shorter than 4 bytes.
qint32 tziBias(const QByteArray& record);

// The shared database of tzFolder(), built on first use at the clock's now
// (or taken from the build tzDatabaseReady started, waiting for its end).
const TzDatabase& tzDatabase();
// Whether the shared database is built. When it is not, it is built on a
// worker thread (building it reads hundreds of zone files) and `whenBuilt`
// runs from the window thread's event loop once it is, unless `context` is
// gone by then.
bool tzDatabaseReady(QObject* context, std::function<void()> whenBuilt);
// Builds the shared database again on its next use (after TZDIR changed).
void forgetTzDatabase();

} // namespace worldtime
