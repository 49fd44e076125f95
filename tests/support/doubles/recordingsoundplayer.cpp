#include "tests/support/doubles/recordingsoundplayer.h"

namespace platform {

void RecordingSoundPlayer::playMemory(const QByteArray& wav) { m_played.append(wav); }

void RecordingSoundPlayer::stop() { ++m_stops; }

void RecordingSoundPlayer::clear()
{
    m_played.clear();
    m_stops = 0;
}

} // namespace platform
