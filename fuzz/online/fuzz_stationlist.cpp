#include "online/stationlist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<OnlineStation> stations = parseStationList(bytes);
    const QStringList lines = splitTextLines(decodeListText(bytes));
    // Every pair is two whole lines; nothing holds a line end.
    if (stations.size() != lines.size() / 2)
        std::abort();
    for (qsizetype i = 0; i < stations.size(); ++i) {
        const OnlineStation& s = stations[i];
        if (s.name != lines[2 * i] || s.url != lines[2 * i + 1])
            std::abort();
        if (s.name.contains(QLatin1Char('\n')) || s.url.contains(QLatin1Char('\r')))
            std::abort();
    }
    return 0;
}
