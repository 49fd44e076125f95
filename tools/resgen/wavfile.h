#pragma once

#include <QByteArray>
#include <QtEndian>

#include <vector>

namespace wavfile {

// A 16-bit mono PCM WAV file holding the given samples.
inline QByteArray pcm16Mono(const std::vector<qint16>& samples, quint32 sampleRate)
{
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    auto u32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF", 4);
    u32(36 + dataBytes);
    out.append("WAVEfmt ", 8);
    u32(16); // size of the format chunk
    u16(1);  // PCM
    u16(1);  // mono
    u32(sampleRate);
    u32(sampleRate * 2); // bytes per second
    u16(2);              // bytes per sample frame
    u16(16);             // bits per sample
    out.append("data", 4);
    u32(dataBytes);
    for (qint16 s : samples)
        u16(quint16(s));
    return out;
}

} // namespace wavfile
