#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

// Volume in hundredths of a decibel (0 loudest, negative quieter, -10000 silent)
// and libVLC's volume in percent. libVLC's percentage is perceptual: its software
// mixer and PulseAudio both turn p % into an amplitude of (p/100)^3, that is
// 60·log10(p/100) dB. So p = 100·10^(v/6000), rounded; -10000 and below give 0.
// -2410 gives 40 %, -4820 gives 16 %.
int volumeToVlcPercent(qint32 hundredthsDb);
// The inverse, clamped to -10000..0; 0 % gives -10000.
qint32 vlcPercentToVolume(int percent);

// The media player control of the radio window: opens and plays an internet
// stream, an HTTP playlist or a local media file through libVLC, reports its state
// through the signals below and answers statistic reads from a cache, so they cost
// nothing at any time.
//
// Playlists (.asx, .wax, .pls, .m3u, local or over HTTP) are read by libVLC's own
// playlist readers; the player then opens their entries in order and plays the
// first one that can be played. Later entries are only fallbacks: the end of the
// entry that played is the end of the item. HTTP redirects are followed; https
// goes through libVLC's own TLS.
//
// Play states keep the numbering of the Windows Media Player 6 control (State).
// Open and Play go to Waiting, then to Playing once sound or pictures flow; the end
// of an item is Playing -> Stopped. Open, Play, Stop and Close report their own
// change from inside the call; everything libVLC reports arrives later through the
// event loop, never from libVLC's threads. Opening a new source while one plays
// replaces it without reporting an end (Playing -> Waiting).
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    enum State : qint32 {
        Stopped = 0,
        Paused = 1,
        Playing = 2,
        Waiting = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Closed = 6,
    };

    // Disconnect results.
    enum DisconnectResult : qint32 {
        StreamEnded = 0,  // the far end closed the broadcast
        StreamFailed = 1, // reading or decoding the broadcast failed
    };

    // Media information items of GetMediaInfoString.
    enum MediaInfoItem : qint32 {
        InfoSource = 0,       // the text given to Open
        InfoTitle = 1,        // title (the name of the entry when it has none)
        InfoAuthor = 2,       // artist
        InfoCopyright = 3,
        InfoRating = 4,
        InfoDescription = 5,
        InfoEntryAddress = 7, // address or path of the entry actually playing
        InfoNowPlaying = 8,   // the stream's current track (ICY title)
        InfoAlbum = 9,
        InfoGenre = 10,
        InfoDate = 11,
        InfoPublisher = 12,
        InfoEncodedBy = 16,
    };

    explicit MediaPlayer(QObject* parent = nullptr);
    ~MediaPlayer() override;

    // libVLC arguments for the process's instance; see vlcArguments(). Must be set
    // before the first player or sound starts; later calls have no effect.
    static void setVlcArguments(const QStringList& args);
    // The arguments the instance is (or will be) made with: those given to
    // setVlcArguments, else the blank-separated VANTORA_VLC_ARGS, else a quiet default.
    static QStringList vlcArguments();

    // --- methods ---
    // Opens and plays a URL (http, https, mms, file, ...), a playlist or a local path.
    void Open(const QString& urlOrPath);
    // Plays the last opened source again after a stop or an end, without a new
    // Open: the source is opened afresh (a playlist is read again). Does nothing
    // while waiting or playing, and after Close().
    void Play();
    // Stops playback; the opened source is kept for Play().
    void Stop();
    // Stops, lets go of the source and of libVLC's player and audio output, and
    // goes to Closed. Play() does nothing until the next Open().
    void Close();

    // --- properties ---
    qint32 PlayState() const;

    // Hundredths of a decibel, clamped to -10000..0; kept across opens.
    qint32 Volume() const;
    void setVolume(qint32 hundredthsDb);
    bool Mute() const;
    void setMute(bool on);

    // Playback position of the item in seconds. Setting it seeks there; while the
    // item is not yet playing the position is applied when it starts. Sources that
    // cannot seek (broadcasts) ignore it.
    double CurrentPosition() const;
    void setCurrentPosition(double seconds);

    // Display parts. The player draws no controls of its own: these are flags for
    // the window that shows it, announced by displayChanged().
    bool ShowControls() const;         // the control bar
    void setShowControls(bool on);
    bool ShowDisplay() const;          // the information panel (title, author, ...)
    void setShowDisplay(bool on);
    bool ShowStatusBar() const;        // the status line
    void setShowStatusBar(bool on);
    bool ShowTracker() const;          // the position slider
    void setShowTracker(bool on);

    // Statistics, read from a cache refreshed four times a second while a source is
    // open; with nothing playing they are 0 / false.
    qint32 BufferingProgress() const; // percent, 100 when buffering is done
    qint32 ReceptionQuality() const;  // percent of packets that arrived over the last 10 s
    qint32 Bandwidth() const;         // bits per second of the item being played
    qint32 ReceivedPackets() const;   // audio blocks and video frames decoded
    qint32 RecoveredPackets() const;  // damaged blocks the demultiplexer still passed on
    qint32 LostPackets() const;       // audio blocks and frames dropped, plus gaps in the data
    bool IsBroadcast() const;         // a network source that cannot seek: a live stream
    double BufferingTime() const;     // seconds buffered before playing (network 2, file 0.3)

    // Item by MediaInfoItem number; other numbers, and missing items, give "".
    QString GetMediaInfoString(qint32 item) const;

    // --- container properties ---
    bool Visible() const;
    void setVisible(bool on);
    // Whether the control takes the user's input (the window showing it honours it).
    bool Enabled() const;
    void setEnabled(bool on);
    QString ToolTipText() const;
    void setToolTipText(const QString& text);

    // Renders video into this X11 window (0: libVLC opens a window of its own).
    void setVideoWindow(quint32 xid);
    // Longest wait from an open to playing before the open counts as failed.
    void setOpenTimeout(int ms);
    int openTimeout() const;

signals:
    void Buffering(bool Start);
    void PlayStateChange(qint32 OldState, qint32 NewState);
    void Disconnect(qint32 Result);
    void Error();
    // A display part, Visible, Enabled or ToolTipText changed.
    void displayChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;

    struct Candidate;
    void handleEvent(int type, float cache, int value);
    void startChain();
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
