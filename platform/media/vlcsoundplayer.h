#pragma once

#include "platform/media/sound.h"

#include <QObject>

#include <memory>

namespace platform {

// Plays a WAV file held in memory through libVLC: libVLC reads the bytes through
// callbacks from a copy the player keeps, so nothing is written to disk and the
// caller's buffer may go away at once. Starting and stopping return without waiting
// for the sound; the end arrives later as finished(). With no sound device libVLC
// finds no audio output and the sound plays silently to its end.
class VlcSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit VlcSoundPlayer(QObject* parent = nullptr);
    ~VlcSoundPlayer() override;

    void playMemory(const QByteArray& wav) override;
    void stop() override;

    // From playMemory of a WAV file until its end, an error or a stop.
    bool isPlaying() const;

    // A RIFF file of form WAVE with at least its header.
    static bool isWave(const QByteArray& data);

signals:
    // libVLC has begun to play the sound.
    void started();
    // The sound played to its end or could not be played (not sent when cut off).
    void finished();

private:
    struct Private;
    std::unique_ptr<Private> d;

    void cutOff();
    void playOnceLibVlcIsUp(const QByteArray& wav);
    void playNow(const QByteArray& wav);
    bool ensurePlayer();
    void handleEvent(int type);
};

} // namespace platform
