#include "timesync/timereply.h"

#include <cmath>

namespace timesync {

std::optional<quint32> readTimeValue(const QByteArray& reply)
{
    if (reply.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (char octet : reply)
        value = (value << 8) | static_cast<quint8>(octet);
    return value;
}

qint64 secondsSince1900(quint32 value)
{
    const qint64 seconds = value;
    return seconds < kSeconds1900To1990 ? seconds + kEra : seconds;
}

qint64 roundedDelay(double halfTripSeconds)
{
    if (!(halfTripSeconds > 0.0) || halfTripSeconds > 86400.0)
        return 0;
    // rint rounds halves to the even neighbour in the default rounding mode.
    return static_cast<qint64>(std::rint(halfTripSeconds));
}

std::optional<QDateTime> decodeTimeReply(const QByteArray& reply, double halfTripSeconds, const QDateTime& earliest)
{
    const std::optional<quint32> value = readTimeValue(reply);
    if (!value || *value == 0)
        return std::nullopt;
    const qint64 unixSeconds = secondsSince1900(*value) - kSeconds1900To1970 + roundedDelay(halfTripSeconds);
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC);
    if (earliest.isValid() && utc < earliest)
        return std::nullopt;
    return utc;
}

QDateTime earliestTrustedTime()
{
    return QDateTime(QDate::fromString(QStringLiteral(VANTORA_BUILD_DATE), Qt::ISODate), QTime(0, 0), Qt::UTC);
}

qint64 toUsecSinceEpoch(const QDateTime& utc) { return utc.toMSecsSinceEpoch() * 1000; }

} // namespace timesync
