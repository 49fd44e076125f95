#pragma once

#include "platform/media/sound.h"

#include <QByteArray>
#include <QList>

namespace platform {

// For tests: plays nothing, remembers every buffer it was asked to play.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void playMemory(const QByteArray& wav) override;
    void stop() override;

    int playCount() const { return int(m_played.size()); }
    int stopCount() const { return m_stops; }
    // The last buffer asked for; empty before the first.
    QByteArray lastPlayed() const { return m_played.isEmpty() ? QByteArray() : m_played.last(); }
    const QList<QByteArray>& played() const { return m_played; }
    void clear();

private:
    QList<QByteArray> m_played;
    int m_stops = 0;
};

} // namespace platform
