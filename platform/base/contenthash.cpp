#include "platform/base/contenthash.h"

#include <QFile>

#include <array>
#include <bit>
#include <cstring>

namespace platform {

quint64 contentHash(QByteArrayView bytes)
{
    // Four lanes of xor, multiply and rotate over 8-byte words: well under an
    // instruction per byte, and the same in every process (Qt's own hash is
    // seeded anew in each one).
    constexpr quint64 kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::array<quint64, 4> lanes{0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL, 0xA4093822299F31D0ULL,
                                 0x082EFA98EC4E6C89ULL};
    const auto mix = [](quint64 lane, quint64 word) { return std::rotl((lane ^ word) * kMultiplier, 31); };
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    for (; left >= 32; p += 32, left -= 32)
        for (size_t i = 0; i < lanes.size(); ++i) {
            quint64 word = 0;
            std::memcpy(&word, p + 8 * i, 8);
            lanes[i] = mix(lanes[i], word);
        }
    for (size_t i = 0; left > 0; i = (i + 1) % lanes.size()) {
        quint64 word = 0;
        const qsizetype n = std::min<qsizetype>(left, 8);
        std::memcpy(&word, p, static_cast<size_t>(n));
        lanes[i] = mix(lanes[i], word);
        p += n;
        left -= n;
    }
    quint64 hash = static_cast<quint64>(bytes.size()) * kMultiplier;
    for (const quint64 lane : lanes) {
        hash = (hash ^ lane) * kMultiplier;
        hash ^= hash >> 29;
    }
    return hash;
}

std::optional<quint64> fileContentHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size == 0)
        return contentHash({});
    const uchar* bytes = file.map(0, size);
    if (!bytes)
        return std::nullopt;
    const quint64 hash = contentHash(QByteArrayView(bytes, size));
    file.unmap(const_cast<uchar*>(bytes));
    return hash;
}

} // namespace platform
