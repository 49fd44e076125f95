#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace worldtime {

// Zone arithmetic. A wall-clock time (what a clock in some zone shows) is
// carried as a QDateTime in Qt::UTC, so that no daylight-saving change of the
// computer's own zone can shift or invalidate it.

// The largest bias a zone may have, in minutes either way.
inline constexpr qint32 kMaxBias = 1440;

// The date and time that `t` shows, as a wall-clock time.
QDateTime wallClock(const QDateTime& t);

// A wall-clock time moved by whole minutes (64-bit, no daylight rule applied).
QDateTime addWallMinutes(const QDateTime& wall, qint64 minutes);

// The time in a zone from stored biases alone: now + home bias - zone bias.
QDateTime zoneTimeByBias(const QDateTime& now, qint32 homeBias, qint32 zoneBias);

// The wall clock of a zone at the instant `now`, daylight saving included.
QDateTime zoneTimeByRules(const QDateTime& now, const QTimeZone& zone);

// A stored bias: integer text (as the settings store converts it) within
// ±kMaxBias; nullopt for anything else.
std::optional<qint32> parseBias(const QString& text);

// The offset of a zone at an instant, remembered until the zone's next
// change, so a clock asking every quarter second does not search the zone's
// rules each time.
class ZoneOffsetCache {
public:
    ZoneOffsetCache() = default;
    explicit ZoneOffsetCache(const QTimeZone& zone) : m_zone(zone) {}

    const QTimeZone& zone() const { return m_zone; }
    // Seconds east of UTC at the instant (milliseconds since the epoch).
    int offsetAt(qint64 msecsSinceEpoch);
    // The zone's wall clock at `now`.
    QDateTime wallClockAt(const QDateTime& now);
    QDateTime wallClockAtMsecs(qint64 msecsSinceEpoch);

private:
    QTimeZone m_zone;
    qint64 m_from = 0;
    qint64 m_until = -1; // empty range: nothing remembered
    int m_offset = 0;
};

} // namespace worldtime
