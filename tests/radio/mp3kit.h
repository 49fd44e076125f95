#pragma once

// MP3 files made by the tests themselves: silent MPEG-1 Layer III frames (mono,
// 44.1 kHz, 128 kbit/s) behind an ID3v2.3 tag with a title and an artist.

#include <QByteArray>
#include <QString>

namespace mp3kit {

constexpr int FrameBytes = 417; // 144 x 128000 / 44100, no padding
constexpr int SamplesPerFrame = 1152;
constexpr int SampleRate = 44100;

inline QByteArray syncSafe(quint32 n)
{
    QByteArray b(4, '\0');
    for (int i = 3; i >= 0; --i) {
        b[i] = char(n & 0x7F);
        n >>= 7;
    }
    return b;
}

inline QByteArray bigEndian32(quint32 n)
{
    QByteArray b(4, '\0');
    for (int i = 3; i >= 0; --i) {
        b[i] = char(n & 0xFF);
        n >>= 8;
    }
    return b;
}

inline QByteArray textFrame(const char* id, const QString& text)
{
    const QByteArray body = QByteArray(1, '\0') + text.toLatin1();
    return QByteArray(id) + bigEndian32(quint32(body.size())) + QByteArray(2, '\0') + body;
}

inline QByteArray id3Tag(const QString& title, const QString& artist)
{
    QByteArray frames;
    if (!title.isEmpty())
        frames += textFrame("TIT2", title);
    if (!artist.isEmpty())
        frames += textFrame("TPE1", artist);
    if (frames.isEmpty())
        return {};
    return QByteArray("ID3\x03\x00\x00", 6) + syncSafe(quint32(frames.size())) + frames;
}

// One silent frame: its header, then an empty side information and main data.
inline QByteArray silentFrame()
{
    QByteArray frame(FrameBytes, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB); // MPEG-1, Layer III, no CRC
    frame[2] = char(0x90); // 128 kbit/s, 44.1 kHz, no padding
    frame[3] = char(0xC0); // mono
    return frame;
}

inline QByteArray silentMp3(double seconds, const QString& title = {}, const QString& artist = {})
{
    const int frames = std::max(1, int(seconds * SampleRate / SamplesPerFrame));
    QByteArray data = id3Tag(title, artist);
    const QByteArray frame = silentFrame();
    data.reserve(data.size() + frames * FrameBytes);
    for (int i = 0; i < frames; ++i)
        data += frame;
    return data;
}

} // namespace mp3kit
