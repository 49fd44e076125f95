#include "tests/support/doubles/recordingmediaplayer.h"

#include <algorithm>

namespace platform {

RecordingMediaPlayer::RecordingMediaPlayer(QObject* parent) : MediaPlayer(parent) {}

RecordingMediaPlayer::~RecordingMediaPlayer() = default;

void RecordingMediaPlayer::Open(const QString& urlOrPath)
{
    m_calls << QStringLiteral("Open ") + urlOrPath;
    m_source = urlOrPath;
    m_info.clear();
    setState(Waiting);
}

void RecordingMediaPlayer::Play()
{
    m_calls << QStringLiteral("Play");
    if (m_state == Waiting || m_state == Playing || m_state == Closed || m_source.isEmpty())
        return;
    setState(Waiting);
}

void RecordingMediaPlayer::Stop()
{
    m_calls << QStringLiteral("Stop");
    if (m_state != Waiting && m_state != Playing && m_state != Paused)
        return;
    endSession();
    setState(Stopped);
}

void RecordingMediaPlayer::Close()
{
    m_calls << QStringLiteral("Close");
    endSession();
    m_source.clear();
    m_info.clear();
    setState(Closed);
}

void RecordingMediaPlayer::setVolume(qint32 hundredthsDb) { m_volume = std::clamp(hundredthsDb, -10000, 0); }

QString RecordingMediaPlayer::GetMediaInfoString(qint32 item) const
{
    ++m_reads;
    if (item == InfoSource)
        return m_source;
    return m_info.value(item);
}

void RecordingMediaPlayer::setToolTipText(const QString& text)
{
    if (m_toolTip == text)
        return;
    m_toolTip = text;
    emit displayChanged();
}

void RecordingMediaPlayer::startPlaying()
{
    beginBuffering();
    endBuffering();
    setState(Playing);
}

void RecordingMediaPlayer::beginBuffering()
{
    if (m_buffering)
        return;
    m_buffering = true;
    emit Buffering(true);
}

void RecordingMediaPlayer::endBuffering()
{
    if (!m_buffering)
        return;
    m_buffering = false;
    emit Buffering(false);
}

void RecordingMediaPlayer::endItem()
{
    endSession();
    setState(Stopped);
}

void RecordingMediaPlayer::failOpen()
{
    endSession();
    setState(Stopped);
    emit Error();
}

void RecordingMediaPlayer::loseStream(qint32 result)
{
    endSession();
    setState(Stopped);
    emit Disconnect(result);
}

QStringList RecordingMediaPlayer::opens() const
{
    QStringList list;
    for (const QString& call : m_calls)
        if (call.startsWith(QLatin1String("Open ")))
            list << call.mid(5);
    return list;
}

void RecordingMediaPlayer::setState(qint32 state)
{
    const qint32 old = m_state;
    if (old == state)
        return;
    m_state = state;
    emit PlayStateChange(old, state);
}

void RecordingMediaPlayer::setFlag(bool& flag, bool on)
{
    if (flag == on)
        return;
    flag = on;
    emit displayChanged();
}

void RecordingMediaPlayer::endSession()
{
    if (m_buffering) {
        m_buffering = false;
        emit Buffering(false);
    }
}

} // namespace platform
