#pragma once

#include "platform/media/mediaplayer.h"

#include <memory>

namespace platform {

// The media player control on libVLC: statistic reads are answered from a cache
// refreshed four times a second while a source is open.
//
// Playlists (.asx, .wax, .pls, .m3u, local or over HTTP) are read by libVLC's own
// playlist readers; the player then opens their entries in order and plays the
// first one that can be played. Later entries are only fallbacks: the end of the
// entry that played is the end of the item. HTTP redirects are followed; https
// goes through libVLC's own TLS. Everything libVLC reports arrives through the
// event loop, never from libVLC's threads.
//
// A network source that stops delivering while it plays (a stalled stream) loses
// its reception quality at once (no packet arrives) and is given up as a
// Disconnect(StreamFailed) when nothing arrived for the stall timeout.
class VlcMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit VlcMediaPlayer(QObject* parent = nullptr);
    ~VlcMediaPlayer() override;

    void Open(const QString& urlOrPath) override;
    void Play() override;
    void Stop() override;
    void Close() override;

    qint32 PlayState() const override;
    qint32 Volume() const override;
    void setVolume(qint32 hundredthsDb) override;
    bool Mute() const override;
    void setMute(bool on) override;
    double CurrentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double Duration() const override;

    bool ShowControls() const override;
    void setShowControls(bool on) override;
    bool ShowDisplay() const override;
    void setShowDisplay(bool on) override;
    bool ShowStatusBar() const override;
    void setShowStatusBar(bool on) override;
    bool ShowTracker() const override;
    void setShowTracker(bool on) override;

    qint32 BufferingProgress() const override;
    qint32 ReceptionQuality() const override;
    qint32 Bandwidth() const override;
    qint32 ReceivedPackets() const override;
    qint32 RecoveredPackets() const override;
    qint32 LostPackets() const override;
    bool IsBroadcast() const override;
    double BufferingTime() const override; // network 2, file 0.3

    QString GetMediaInfoString(qint32 item) const override;

    bool Visible() const override;
    void setVisible(bool on) override;
    bool Enabled() const override;
    void setEnabled(bool on) override;
    QString ToolTipText() const override;
    void setToolTipText(const QString& text) override;

    void setVideoWindow(quint32 xid) override;
    bool HasSoundOutput() const override;

    // Longest wait from an open to playing before the open counts as failed.
    void setOpenTimeout(int ms);
    int openTimeout() const;
    // How long a playing network source may deliver nothing before it counts as lost.
    void setStallTimeout(int ms);
    int stallTimeout() const;

private:
    struct Private;
    std::unique_ptr<Private> d;

    struct Candidate;
    void handleEvent(int type, float cache, int value);
    void startChain();
    void startChainOnceLibVlcIsUp();
    void tryNextCandidate();
    bool startCandidate();
    void setCurrent(Candidate candidate);
    void onItemEnded(bool failed);
    void maybeReportPlaying();
    void finishSession(qint32 newState, bool failed, bool broadcastLost);
    void stopEngine();
    void ensureEngine();
    void releaseEngine();
    void refreshStatistics();
    void refreshMeta();
    void resetStatistics();
    void applyAudio();
    void applyPosition();
    void onOpenTimeout();
    void setState(qint32 state);
    void setFlag(bool& flag, bool on);
};

} // namespace platform
