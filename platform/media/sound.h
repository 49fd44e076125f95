#pragma once

#include <QByteArray>
#include <QList>

namespace platform {

// Short sounds held in memory (the alarm and the hourly beep): played at once,
// without waiting for them, a new sound cutting off the one that still plays.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Starts playing a WAV file held in memory and returns at once. A sound still
    // playing is cut off first. Data that is not a WAV file plays nothing.
    virtual void playMemory(const QByteArray& wav) = 0;
    // Cuts off the sound that plays, if any.
    virtual void stop() = 0;
};

// The sound player in use: the real one (VlcSoundPlayer) until setSoundPlayer is called.
SoundPlayer& soundPlayer();
// Replaces the sound player; nullptr restores the real one. The caller keeps ownership.
void setSoundPlayer(SoundPlayer* player);

} // namespace platform
