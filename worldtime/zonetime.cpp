#include "worldtime/zonetime.h"

#include "compat/vb/conversions.h"

#include <limits>

namespace worldtime {

namespace {

constexpr qint64 kSecondsPerMinute = 60;
// How far ahead a zone without further changes keeps its offset remembered.
constexpr qint64 kRecheckMsecs = 24LL * 3600 * 1000;

} // namespace

QDateTime wallClock(const QDateTime& t) { return QDateTime(t.date(), t.time(), Qt::UTC); }

QDateTime addWallMinutes(const QDateTime& wall, qint64 minutes)
{
    return wallClock(wall).addSecs(minutes * kSecondsPerMinute);
}

QDateTime zoneTimeByBias(const QDateTime& now, qint32 homeBias, qint32 zoneBias)
{
    return addWallMinutes(wallClock(now), static_cast<qint64>(homeBias) - static_cast<qint64>(zoneBias));
}

QDateTime zoneTimeByRules(const QDateTime& now, const QTimeZone& zone)
{
    const QDateTime utc = now.toUTC();
    return utc.addSecs(zone.offsetFromUtc(utc));
}

std::optional<qint32> parseBias(const QString& text)
{
    try {
        const qint32 bias = platform::toInt32(text);
        if (bias < -kMaxBias || bias > kMaxBias)
            return std::nullopt;
        return bias;
    } catch (const platform::RuntimeError&) {
        return std::nullopt;
    }
}

int ZoneOffsetCache::offsetAt(qint64 msecsSinceEpoch)
{
    if (msecsSinceEpoch >= m_from && msecsSinceEpoch < m_until)
        return m_offset;
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC);
    m_offset = m_zone.offsetFromUtc(at);
    const QTimeZone::OffsetData previous = m_zone.previousTransition(at.addMSecs(1));
    const QTimeZone::OffsetData next = m_zone.nextTransition(at);
    m_from = previous.atUtc.isValid() ? previous.atUtc.toMSecsSinceEpoch() : msecsSinceEpoch;
    m_from = std::min(m_from, msecsSinceEpoch);
    m_until = next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : msecsSinceEpoch + kRecheckMsecs;
    m_until = std::min(m_until, msecsSinceEpoch + kRecheckMsecs);
    return m_offset;
}

QDateTime ZoneOffsetCache::wallClockAt(const QDateTime& now) { return wallClockAtMsecs(now.toMSecsSinceEpoch()); }

QDateTime ZoneOffsetCache::wallClockAtMsecs(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch + offsetAt(msecsSinceEpoch) * 1000LL, Qt::UTC);
}

} // namespace worldtime
