#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
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
// stream, an HTTP playlist or a local media file, reports its state through the
// signals below and answers statistic reads at any time, cheaply.
//
// Play states keep the numbering of the Windows Media Player 6 control (State).
// Open and Play go to Waiting, then to Playing once sound or pictures flow; the end
// of an item is Playing -> Stopped. Open, Play, Stop and Close report their own
// change from inside the call; everything else arrives later through the event
// loop. Opening a new source while one plays replaces it without reporting an end
// (Playing -> Waiting).
//
// VlcMediaPlayer is the real one; RecordingMediaPlayer stands in for it in tests.
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
        StreamFailed = 1, // reading or decoding the broadcast failed, or it stalled
    };

    // Media information items of GetMediaInfoString.
    enum MediaInfoItem : qint32 {
        InfoSource = 0, // the text given to Open
        InfoTitle = 1,  // title (the name of the entry when it has none)
        InfoAuthor = 2, // artist
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

    // libVLC arguments for the process's instance. Must be set before the first
    // player or sound starts; later calls have no effect.
    static void setVlcArguments(const QStringList& args);
    // The arguments the instance is (or will be) made with: those given to
    // setVlcArguments, else the blank-separated VANTORA_VLC_ARGS, else a quiet default.
    static QStringList vlcArguments();
    // Starts libVLC now, on the calling thread, and returns once it is up (or
    // could not start). Players start it on a thread of their own otherwise;
    // this is for callers whose time limits must not include its start.
    static void startEngine();
    // True once libVLC's start has been tried, whatever came of it.
    static bool engineStarted();

    // --- methods ---
    // Opens and plays a URL (http, https, mms, file, ...), a playlist or a local path.
    virtual void Open(const QString& urlOrPath) = 0;
    // Plays the last opened source again after a stop or an end, without a new
    // Open. Does nothing while waiting or playing, and after Close().
    virtual void Play() = 0;
    // Stops playback; the opened source is kept for Play().
    virtual void Stop() = 0;
    // Stops, lets go of the source and of the audio output, and goes to Closed.
    // Play() does nothing until the next Open().
    virtual void Close() = 0;

    // --- properties ---
    virtual qint32 PlayState() const = 0;

    // Hundredths of a decibel, clamped to -10000..0; kept across opens.
    virtual qint32 Volume() const = 0;
    virtual void setVolume(qint32 hundredthsDb) = 0;
    virtual bool Mute() const = 0;
    virtual void setMute(bool on) = 0;

    // Playback position of the item in seconds; setting it seeks there (sources
    // that cannot seek ignore it).
    virtual double CurrentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // Length of the item in seconds; 0 when unknown (a broadcast).
    virtual double Duration() const = 0;

    // Display parts. The player draws no controls of its own: these are flags for
    // the window that shows it, announced by displayChanged().
    virtual bool ShowControls() const = 0; // the control bar
    virtual void setShowControls(bool on) = 0;
    virtual bool ShowDisplay() const = 0; // the information panel (title, author, ...)
    virtual void setShowDisplay(bool on) = 0;
    virtual bool ShowStatusBar() const = 0; // the status line
    virtual void setShowStatusBar(bool on) = 0;
    virtual bool ShowTracker() const = 0; // the position slider
    virtual void setShowTracker(bool on) = 0;

    // Statistics; with nothing playing they are 0 / false.
    virtual qint32 BufferingProgress() const = 0; // percent, 100 when buffering is done
    virtual qint32 ReceptionQuality() const = 0;  // percent of packets that arrived lately
    virtual qint32 Bandwidth() const = 0;         // bits per second of the item being played
    virtual qint32 ReceivedPackets() const = 0;
    virtual qint32 RecoveredPackets() const = 0;
    virtual qint32 LostPackets() const = 0;
    virtual bool IsBroadcast() const = 0;     // a network source that cannot seek
    virtual double BufferingTime() const = 0; // seconds buffered before playing

    // Item by MediaInfoItem number; other numbers, and missing items, give "".
    virtual QString GetMediaInfoString(qint32 item) const = 0;

    // --- container properties ---
    virtual bool Visible() const = 0;
    virtual void setVisible(bool on) = 0;
    // Whether the control takes the user's input (the window showing it honours it).
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual QString ToolTipText() const = 0;
    virtual void setToolTipText(const QString& text) = 0;

    // Renders video into this X11 window (0: no window of the program's own).
    virtual void setVideoWindow(quint32 xid) = 0;

    // Whether the sound reaches a device; without one items play silently.
    virtual bool HasSoundOutput() const = 0;

signals:
    void Buffering(bool Start);
    void PlayStateChange(qint32 OldState, qint32 NewState);
    void Disconnect(qint32 Result);
    void Error();
    // A display part, Visible, Enabled or ToolTipText changed.
    void displayChanged();
};

// A new player of the kind in use: a VlcMediaPlayer unless a test set a factory.
std::unique_ptr<MediaPlayer> createMediaPlayer();
// Replaces the kind of player createMediaPlayer makes; an empty function restores
// the real one.
void setMediaPlayerFactory(std::function<std::unique_ptr<MediaPlayer>()> factory);

} // namespace platform
