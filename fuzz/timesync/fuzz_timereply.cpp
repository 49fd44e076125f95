// The TIME reply decoder on arbitrary octets and round-trip measurements.
// Input: 8 octets of a double (the half round trip, any bit pattern), then the reply.
#include "timesync/timereply.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    double halfTrip = 0.0;
    if (size >= sizeof(double)) {
        std::memcpy(&halfTrip, data, sizeof(double));
        data += sizeof(double);
        size -= sizeof(double);
    }
    const QByteArray reply(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const qint64 delay = timesync::roundedDelay(halfTrip);
    if (delay < 0 || delay > 86400)
        std::abort();
    const std::optional<quint32> value = timesync::readTimeValue(reply);
    const std::optional<QDateTime> t = timesync::decodeTimeReply(reply, halfTrip);
    if (value.has_value() != (size == 4) || t.has_value() != (value.has_value() && *value != 0))
        std::abort();
    const std::optional<QDateTime> recent = timesync::decodeTimeReply(reply, halfTrip, timesync::earliestTrustedTime());
    if (recent && (!t || *recent != *t || *recent < timesync::earliestTrustedTime()))
        std::abort();
    if (!t)
        return 0;
    const qint64 since1900 = timesync::secondsSince1900(*value);
    if (since1900 < timesync::kSeconds1900To1990 || since1900 >= timesync::kSeconds1900To1990 + timesync::kEra)
        std::abort();
    if (!t->isValid() || t->date().year() < 1990 || t->date().year() > 2127)
        std::abort();
    if (t->toSecsSinceEpoch() != since1900 - timesync::kSeconds1900To1970 + delay)
        std::abort();
    if (timesync::toUsecSinceEpoch(*t) != t->toSecsSinceEpoch() * 1000000)
        std::abort();
    return 0;
}
