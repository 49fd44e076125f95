#pragma once

#include "platform/media/mediaplayer.h"

#include <QHash>
#include <QStringList>

namespace platform {

// A media player for tests: plays nothing, records every method call as text
// ("Open <source>", "Play", "Stop", "Close") and reports the same changes the real
// player reports from inside those calls. What the real player reports later
// (buffering, playing, the end of an item, errors, a lost stream) the test makes
// happen with the methods below.
class RecordingMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit RecordingMediaPlayer(QObject* parent = nullptr);
    ~RecordingMediaPlayer() override;

    void Open(const QString& urlOrPath) override;
    void Play() override;
    void Stop() override;
    void Close() override;

    qint32 PlayState() const override { return m_state; }
    qint32 Volume() const override { return m_volume; }
    void setVolume(qint32 hundredthsDb) override;
    bool Mute() const override { return m_mute; }
    void setMute(bool on) override { m_mute = on; }
    double CurrentPosition() const override { return m_position; }
    void setCurrentPosition(double seconds) override { m_position = seconds; }
    double Duration() const override { return m_duration; }

    bool ShowControls() const override { return m_controls; }
    void setShowControls(bool on) override { setFlag(m_controls, on); }
    bool ShowDisplay() const override { return m_display; }
    void setShowDisplay(bool on) override { setFlag(m_display, on); }
    bool ShowStatusBar() const override { return m_statusBar; }
    void setShowStatusBar(bool on) override { setFlag(m_statusBar, on); }
    bool ShowTracker() const override { return m_tracker; }
    void setShowTracker(bool on) override { setFlag(m_tracker, on); }

    qint32 BufferingProgress() const override { return read(stats.bufferingProgress); }
    qint32 ReceptionQuality() const override { return read(stats.receptionQuality); }
    qint32 Bandwidth() const override { return read(stats.bandwidth); }
    qint32 ReceivedPackets() const override { return read(stats.received); }
    qint32 RecoveredPackets() const override { return read(stats.recovered); }
    qint32 LostPackets() const override { return read(stats.lost); }
    bool IsBroadcast() const override { return read(stats.broadcast); }
    double BufferingTime() const override { return read(stats.bufferingTime); }
    QString GetMediaInfoString(qint32 item) const override;

    bool Visible() const override { return m_visible; }
    void setVisible(bool on) override { setFlag(m_visible, on); }
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool on) override { setFlag(m_enabled, on); }
    QString ToolTipText() const override { return m_toolTip; }
    void setToolTipText(const QString& text) override;
    void setVideoWindow(quint32 xid) override { m_videoWindow = xid; }
    bool HasSoundOutput() const override { return m_soundOutput; }
    // What HasSoundOutput answers (a machine with a sound device by default).
    void setSoundOutput(bool on) { m_soundOutput = on; }

    // --- what the test makes happen ---
    // Buffering(true), Buffering(false), then Waiting -> Playing.
    void startPlaying();
    void beginBuffering();
    void endBuffering();
    // Playing -> Stopped: the item played to its end.
    void endItem();
    // The open failed: -> Stopped, then Error.
    void failOpen();
    // The broadcast was lost: -> Stopped, then Disconnect(result).
    void loseStream(qint32 result = StreamFailed);
    void setMediaInfo(qint32 item, const QString& text) { m_info.insert(item, text); }
    void setDuration(double seconds) { m_duration = seconds; }

    // Statistic values to report; read counts every statistic read.
    struct Statistics {
        qint32 bufferingProgress = 0;
        qint32 receptionQuality = 0;
        qint32 bandwidth = 0;
        qint32 received = 0;
        qint32 recovered = 0;
        qint32 lost = 0;
        bool broadcast = false;
        double bufferingTime = 0;
    } stats;

    // --- what the test reads back ---
    const QStringList& calls() const { return m_calls; }
    // The calls that start or stop something: "Open ...", "Play", "Stop", "Close".
    QStringList opens() const;
    void clearCalls() { m_calls.clear(); }
    QString source() const { return m_source; }
    quint32 videoWindow() const { return m_videoWindow; }
    int statisticReads() const { return m_reads; }

private:
    bool m_soundOutput = true;
    template <typename T>
    T read(T value) const
    {
        ++m_reads;
        return value;
    }
    void setState(qint32 state);
    void setFlag(bool& flag, bool on);
    void endSession();

    QStringList m_calls;
    QString m_source;
    QHash<qint32, QString> m_info;
    qint32 m_state = Closed;
    qint32 m_volume = 0;
    bool m_mute = false;
    bool m_buffering = false;
    double m_position = 0;
    double m_duration = 0;
    bool m_controls = true;
    bool m_display = false;
    bool m_statusBar = false;
    bool m_tracker = true;
    bool m_visible = true;
    bool m_enabled = true;
    QString m_toolTip;
    quint32 m_videoWindow = 0;
    mutable int m_reads = 0;
};

} // namespace platform
