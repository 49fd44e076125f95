#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>

// The TIME protocol's reply: four octets, most significant first, counting
// the seconds since 1900-01-01 00:00:00 UTC. The count wraps every 2^32 s
// (next in 2036); a value below the start of 1990 is taken to belong to the
// following era, so the replies cover 1990 to 2126.
namespace timesync {

constexpr quint16 kTimePort = 37;
// Seconds from 1900-01-01 to 1990-01-01, the start of the window of years read.
constexpr qint64 kSeconds1900To1990 = 2840140800LL;
// Seconds from 1900-01-01 to 1970-01-01.
constexpr qint64 kSeconds1900To1970 = 2208988800LL;
constexpr qint64 kEra = 4294967296LL;

// The 32-bit count of a reply, or nothing unless it is exactly four octets.
std::optional<quint32> readTimeValue(const QByteArray& reply);

// Seconds since 1900 of a count, its era resolved.
qint64 secondsSince1900(quint32 value);

// Half a round trip in whole seconds: to the nearest, halves to the even
// neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2). Negative or absurd measurements
// (beyond a day, or not a number) count as 0.
qint64 roundedDelay(double halfTripSeconds);

// Replies of more octets than this are not read any further.
constexpr int kLongestReadReply = 5;

// The UTC time a reply stands for once the half round trip has been added, or
// nothing when it cannot be true: not exactly four octets, four zero octets (a
// server that has no time to give), or a time before `earliest` (when valid).
std::optional<QDateTime> decodeTimeReply(const QByteArray& reply, double halfTripSeconds,
                                         const QDateTime& earliest = {});

// The earliest time a server may give: the day this program was built.
QDateTime earliestTrustedTime();

// Microseconds since 1970-01-01 UTC of a time (what the clock service takes).
qint64 toUsecSinceEpoch(const QDateTime& utc);

} // namespace timesync
