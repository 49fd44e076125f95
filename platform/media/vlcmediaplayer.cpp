#include "platform/media/vlcmediaplayer.h"

#include "platform/base/background.h"
#include "platform/media/soundoutput.h"
#include "platform/media/vlcsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <utility>

namespace platform {

namespace {

constexpr qint32 SilentVolume = -10000;
constexpr int RefreshIntervalMs = 250;
constexpr int DefaultOpenTimeoutMs = 30000;
constexpr int NetworkCachingMs = 2000;
constexpr int FileCachingMs = 300;
constexpr qint64 QualityWindowMs = 10000;
// A playing network source that delivers nothing for this long has no reception
// at all; for the stall timeout it is given up.
constexpr qint64 SilenceMs = 1000;
constexpr int DefaultStallTimeoutMs = 20000;
// Playlists naming playlists: how deep to follow them, and how many entries to try.
constexpr int MaxPlaylistDepth = 4;
constexpr int MaxAttempts = 32;

// The libVLC meta field behind each media information item.
const QHash<qint32, libvlc_meta_t>& metaFields()
{
    static const QHash<qint32, libvlc_meta_t> fields{
        {VlcMediaPlayer::InfoTitle, libvlc_meta_Title},
        {VlcMediaPlayer::InfoAuthor, libvlc_meta_Artist},
        {VlcMediaPlayer::InfoCopyright, libvlc_meta_Copyright},
        {VlcMediaPlayer::InfoRating, libvlc_meta_Rating},
        {VlcMediaPlayer::InfoDescription, libvlc_meta_Description},
        {VlcMediaPlayer::InfoNowPlaying, libvlc_meta_NowPlaying},
        {VlcMediaPlayer::InfoAlbum, libvlc_meta_Album},
        {VlcMediaPlayer::InfoGenre, libvlc_meta_Genre},
        {VlcMediaPlayer::InfoDate, libvlc_meta_Date},
        {VlcMediaPlayer::InfoPublisher, libvlc_meta_Publisher},
        {VlcMediaPlayer::InfoEncodedBy, libvlc_meta_EncodedBy},
    };
    return fields;
}

// "scheme://..." with a scheme of two letters or more; "C:\..." stays a path.
bool isUrl(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(text).hasMatch();
}

vlc::MediaRef makeMedia(libvlc_instance_t* instance, const QString& source)
{
    const QString text = source.trimmed();
    if (text.isEmpty())
        return {};
    if (isUrl(text)) {
        const QUrl url(text, QUrl::TolerantMode);
        const QByteArray location = url.isValid() ? url.toEncoded() : text.toUtf8();
        return vlc::MediaRef::adopt(libvlc_media_new_location(instance, location.constData()));
    }
    const QByteArray path = QFile::encodeName(QFileInfo(text).absoluteFilePath());
    return vlc::MediaRef::adopt(libvlc_media_new_path(instance, path.constData()));
}

QString mrlOf(libvlc_media_t* media) { return vlc::takeString(libvlc_media_get_mrl(media)); }

bool isNetworkMrl(const QString& mrl) { return !mrl.startsWith(QLatin1String("file:"), Qt::CaseInsensitive); }

// The entries libVLC's playlist reader found in a media that has ended.
std::vector<vlc::MediaRef> entriesOf(libvlc_media_t* media)
{
    std::vector<vlc::MediaRef> entries;
    const auto list = vlc::MediaListRef::adopt(libvlc_media_subitems(media));
    if (!list)
        return entries;
    libvlc_media_list_lock(list.get());
    const int count = std::min(libvlc_media_list_count(list.get()), MaxAttempts);
    for (int i = 0; i < count; ++i) {
        auto entry = vlc::MediaRef::adopt(libvlc_media_list_item_at_index(list.get(), i));
        if (entry)
            entries.push_back(std::move(entry));
    }
    libvlc_media_list_unlock(list.get());
    return entries;
}

qint32 clampToInt(double value)
{
    constexpr double top = std::numeric_limits<qint32>::max();
    return qint32(std::clamp(value, 0.0, top));
}

} // namespace

struct VlcMediaPlayer::Candidate {
    vlc::MediaRef media;
    int depth = 0;
};

struct VlcMediaPlayer::Private {
    vlc::InstanceRef instance;
    vlc::PlayerRef player;
    std::unique_ptr<vlc::EventRelay> relay;
    // Bumped whenever the media in the player is stopped or replaced.
    std::atomic<quint64> generation{0};

    QString source;
    std::deque<Candidate> pending;
    vlc::MediaRef current;
    QString currentMrl;
    int currentDepth = 0;
    int attempts = 0;
    bool currentIsNetwork = false;
    bool vlcPlaying = false;
    bool streamsSeen = false;
    bool seekable = false;

    qint32 state = Closed;
    qint32 volume = 0;
    bool mute = false;
    double pendingPosition = -1;
    quint32 videoWindow = 0;
    int openTimeoutMs = DefaultOpenTimeoutMs;
    int stallTimeoutMs = DefaultStallTimeoutMs;
    qint64 lastArrivalMs = 0;

    bool buffering = false;
    qint32 bufferingPercent = 0;
    qint32 bandwidth = 0;
    qint32 received = 0;
    qint32 recovered = 0;
    qint32 lost = 0;
    qint32 quality = 0;
    bool broadcast = false;
    double bufferingTime = 0;
    double position = 0;
    struct Sample {
        qint64 atMs;
        qint64 received;
        qint64 lost;
    };
    std::deque<Sample> samples;
    QHash<qint32, QString> info;

    bool showControls = true;
    bool showDisplay = false;
    bool showStatusBar = false;
    bool showTracker = true;
    bool visible = true;
    bool enabled = true;
    QString toolTip;

    QTimer refreshTimer;
    QTimer openTimer;
    QElapsedTimer clock;
};

VlcMediaPlayer::VlcMediaPlayer(QObject* parent) : MediaPlayer(parent), d(std::make_unique<Private>())
{
    d->refreshTimer.setInterval(RefreshIntervalMs);
    connect(&d->refreshTimer, &QTimer::timeout, this, &VlcMediaPlayer::refreshStatistics);
    d->clock.start();
    d->openTimer.setSingleShot(true);
    connect(&d->openTimer, &QTimer::timeout, this, &VlcMediaPlayer::onOpenTimeout);
}

VlcMediaPlayer::~VlcMediaPlayer()
{
    d->relay.reset();
    if (d->player)
        libvlc_media_player_stop(d->player.get());
}

// --- methods ---

void VlcMediaPlayer::Open(const QString& urlOrPath)
{
    stopEngine();
    d->source = urlOrPath;
    d->info.clear();
    startChain();
}

void VlcMediaPlayer::Play()
{
    if (d->state == Waiting || d->state == Playing || d->state == Closed || d->source.isEmpty())
        return;
    stopEngine();
    startChain();
}

void VlcMediaPlayer::Stop()
{
    if (d->state != Waiting && d->state != Playing && d->state != Paused)
        return;
    finishSession(Stopped, false, false);
}

void VlcMediaPlayer::Close() { finishSession(Closed, false, false); }

// --- the opening chain ---

// Opens the source from the start: the source itself is the first candidate, and
// every playlist met on the way puts its entries in front of the remaining ones.
// A Buffering(true) already reported stays open until the new source has buffered.
void VlcMediaPlayer::startChain()
{
    if (!d->instance && !engineStarted()) {
        startChainOnceLibVlcIsUp();
        return;
    }
    ensureEngine();
    resetStatistics();
    d->pending.clear();
    d->attempts = 0;
    if (d->player) {
        if (auto media = makeMedia(d->instance.get(), d->source))
            d->pending.push_back({std::move(media), 0});
    }
    d->openTimer.start(d->openTimeoutMs);
    d->refreshTimer.start();

    quint64 generation = d->generation;
    setState(Waiting);
    if (generation != d->generation)
        return;
    if (startCandidate())
        return;
    generation = d->generation;
    // Report the failure from the event loop, as libVLC's own failures arrive.
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == d->generation)
                finishSession(Stopped, true, false);
        },
        Qt::QueuedConnection);
}

// Starting libVLC loads its plugins, which takes the better part of a second
// on a busy computer: it is done on a thread of its own while the player waits,
// and the chain starts when it is done, unless Stop, Close or another Open came
// first. The open deadline runs meanwhile.
void VlcMediaPlayer::startChainOnceLibVlcIsUp()
{
    resetStatistics();
    d->pending.clear();
    d->attempts = 0;
    d->openTimer.start(d->openTimeoutMs);
    setState(Waiting);
    const quint64 generation = d->generation;
    runInBackground(
        this, [] { return vlc::sharedInstance(); },
        [this, generation](const vlc::InstanceRef&) {
            if (generation == d->generation && d->state == Waiting)
                startChain();
        });
}

// Hands the next candidate to libVLC; false when none is left that starts.
bool VlcMediaPlayer::startCandidate()
{
    while (!d->pending.empty() && d->attempts < MaxAttempts) {
        Candidate next = std::move(d->pending.front());
        d->pending.pop_front();
        ++d->attempts;

        libvlc_media_player_stop(d->player.get());
        ++d->generation;
        setCurrent(std::move(next));
        libvlc_media_player_set_media(d->player.get(), d->current.get());
        applyAudio();
        if (libvlc_media_player_play(d->player.get()) == 0)
            return true;
    }
    return false;
}

void VlcMediaPlayer::setCurrent(Candidate candidate)
{
    d->current = std::move(candidate.media);
    d->currentDepth = candidate.depth;
    d->currentMrl = mrlOf(d->current.get());
    d->currentIsNetwork = isNetworkMrl(d->currentMrl);
    d->vlcPlaying = false;
    d->streamsSeen = false;
    d->seekable = false;
    const int cachingMs = d->currentIsNetwork ? NetworkCachingMs : FileCachingMs;
    const QByteArray option = (d->currentIsNetwork ? ":network-caching=" : ":file-caching=")
        + QByteArray::number(cachingMs);
    libvlc_media_add_option(d->current.get(), option.constData());
    d->bufferingTime = cachingMs / 1000.0;
}

void VlcMediaPlayer::tryNextCandidate()
{
    if (!startCandidate())
        finishSession(Stopped, true, false);
}

void VlcMediaPlayer::onItemEnded(bool failed)
{
    if (d->state == Playing || d->state == Paused) {
        const bool lostBroadcast = d->broadcast;
        finishSession(Stopped, failed, lostBroadcast);
        return;
    }
    // Nothing played yet: a playlist has ended into its entries, or this candidate failed.
    if (!failed && d->currentDepth < MaxPlaylistDepth) {
        auto entries = entriesOf(d->current.get());
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            d->pending.push_front({std::move(*it), d->currentDepth + 1});
    }
    tryNextCandidate();
}

// libVLC says "playing" for a playlist too, while it is only being read; the item
// plays once a sound or picture stream exists as well.
void VlcMediaPlayer::maybeReportPlaying()
{
    if (!d->vlcPlaying || !d->streamsSeen || d->state == Playing)
        return;
    d->openTimer.stop();
    d->broadcast = d->currentIsNetwork && !d->seekable;
    d->samples.clear();
    d->lastArrivalMs = d->clock.elapsed();
    d->samples.push_back({d->lastArrivalMs, 0, 0});
    applyAudio();
    applyPosition();
    refreshMeta();
    setState(Playing);
}

void VlcMediaPlayer::onOpenTimeout()
{
    if (d->state == Waiting)
        finishSession(Stopped, true, false);
}

// Ends the session and reports it. Every report is skipped once a handler has
// started something new (Open or Stop from inside a signal).
void VlcMediaPlayer::finishSession(qint32 newState, bool failed, bool broadcastLost)
{
    const bool wasBuffering = std::exchange(d->buffering, false);
    stopEngine();
    resetStatistics();
    if (newState == Closed)
        releaseEngine();
    const quint64 generation = d->generation;
    if (wasBuffering) {
        emit Buffering(false);
        if (generation != d->generation)
            return;
    }
    setState(newState);
    if (generation != d->generation)
        return;
    if (broadcastLost)
        emit Disconnect(failed ? StreamFailed : StreamEnded);
    else if (failed)
        emit Error();
}

void VlcMediaPlayer::stopEngine()
{
    if (d->player)
        libvlc_media_player_stop(d->player.get());
    ++d->generation;
    d->pending.clear();
    d->openTimer.stop();
    d->refreshTimer.stop();
}

// Lets go of libVLC's player (and with it the audio output) and of the source.
void VlcMediaPlayer::releaseEngine()
{
    d->relay.reset();
    d->player.reset();
    d->current.reset();
    d->currentMrl.clear();
    d->source.clear();
    d->info.clear();
}

void VlcMediaPlayer::ensureEngine()
{
    if (d->player)
        return;
    if (!d->instance)
        d->instance = vlc::sharedInstance();
    if (!d->instance)
        return;
    d->player = vlc::PlayerRef::adopt(libvlc_media_player_new(d->instance.get()));
    if (!d->player)
        return;
    d->relay = std::make_unique<vlc::EventRelay>(
        libvlc_media_player_event_manager(d->player.get()),
        std::initializer_list<libvlc_event_e>{libvlc_MediaPlayerBuffering, libvlc_MediaPlayerPlaying,
                                              libvlc_MediaPlayerStopped, libvlc_MediaPlayerEndReached,
                                              libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerESAdded,
                                              libvlc_MediaPlayerSeekableChanged},
        &d->generation, this, [this](const vlc::Event& e) {
            if (e.generation == d->generation)
                handleEvent(e.type, e.cache, e.value);
        });
    if (d->videoWindow)
        libvlc_media_player_set_xwindow(d->player.get(), d->videoWindow);
    applyAudio();
}

void VlcMediaPlayer::handleEvent(int type, float cache, int value)
{
    switch (type) {
    case libvlc_MediaPlayerBuffering: {
        d->bufferingPercent = qBound(0, int(cache), 100);
        if (d->bufferingPercent < 100 && !d->buffering) {
            d->buffering = true;
            emit Buffering(true);
        } else if (d->bufferingPercent >= 100 && d->buffering) {
            d->buffering = false;
            emit Buffering(false);
        }
        break;
    }
    case libvlc_MediaPlayerPlaying:
        d->vlcPlaying = true;
        maybeReportPlaying();
        break;
    case libvlc_MediaPlayerESAdded:
        d->streamsSeen = true;
        maybeReportPlaying();
        break;
    case libvlc_MediaPlayerSeekableChanged:
        d->seekable = value != 0;
        if (d->state == Playing)
            d->broadcast = d->currentIsNetwork && !d->seekable;
        break;
    case libvlc_MediaPlayerEndReached: onItemEnded(false); break;
    case libvlc_MediaPlayerEncounteredError: onItemEnded(true); break;
    case libvlc_MediaPlayerStopped:
        // A stop nobody asked for: ours change the generation once libVLC has stopped.
        if (d->state == Waiting || d->state == Playing)
            onItemEnded(d->state == Waiting);
        break;
    default: break;
    }
}

// --- statistics ---

void VlcMediaPlayer::refreshStatistics()
{
    if (!d->player || !d->current)
        return;
    libvlc_media_stats_t stats{};
    if (libvlc_media_get_stats(d->current.get(), &stats)) {
        // libVLC's rates are in bytes per microsecond.
        const double rate = stats.f_demux_bitrate > 0 ? stats.f_demux_bitrate : stats.f_input_bitrate;
        d->bandwidth = clampToInt(double(rate) * 8e6);
        d->received = stats.i_decoded_audio + stats.i_decoded_video;
        d->lost = stats.i_lost_abuffers + stats.i_lost_pictures + stats.i_demux_discontinuity;
        d->recovered = stats.i_demux_corrupted;
    }
    if (d->state == Playing) {
        const qint64 now = d->clock.elapsed();
        if (d->samples.empty() || d->received != d->samples.back().received)
            d->lastArrivalMs = now;
        d->samples.push_back({now, d->received, d->lost});
        while (d->samples.size() > 2 && now - d->samples[1].atMs >= QualityWindowMs)
            d->samples.pop_front();
        const qint64 gotten = d->samples.back().received - d->samples.front().received;
        const qint64 missed = d->samples.back().lost - d->samples.front().lost;
        d->quality = gotten + missed > 0 ? qint32(100 * gotten / (gotten + missed)) : 100;
        const libvlc_time_t ms = libvlc_media_player_get_time(d->player.get());
        if (ms >= 0)
            d->position = ms / 1000.0;
        if (d->currentIsNetwork && now - d->lastArrivalMs >= SilenceMs) {
            d->quality = 0;
            if (now - d->lastArrivalMs >= d->stallTimeoutMs) {
                finishSession(Stopped, true, true);
                return;
            }
        }
    }
    refreshMeta();
}

void VlcMediaPlayer::refreshMeta()
{
    if (!d->current)
        return;
    const auto& fields = metaFields();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        d->info[it.key()] = vlc::takeString(libvlc_media_get_meta(d->current.get(), it.value()));
    const QUrl url(d->currentMrl);
    d->info[InfoEntryAddress] = url.isLocalFile() ? url.toLocalFile() : url.toString();
}

void VlcMediaPlayer::resetStatistics()
{
    d->bufferingPercent = 0;
    d->bandwidth = 0;
    d->received = 0;
    d->recovered = 0;
    d->lost = 0;
    d->quality = 0;
    d->broadcast = false;
    d->bufferingTime = 0;
    d->position = 0;
    d->samples.clear();
}

// --- audio and position ---

void VlcMediaPlayer::applyAudio()
{
    if (!d->player)
        return;
    libvlc_audio_set_volume(d->player.get(), volumeToVlcPercent(d->volume));
    libvlc_audio_set_mute(d->player.get(), d->mute ? 1 : 0);
}

void VlcMediaPlayer::applyPosition()
{
    if (d->pendingPosition < 0 || !d->player)
        return;
    const double target = std::exchange(d->pendingPosition, -1.0);
    if (!d->seekable)
        return;
    const libvlc_time_t nowMs = libvlc_media_player_get_time(d->player.get());
    if (std::abs(nowMs / 1000.0 - target) > 0.25)
        libvlc_media_player_set_time(d->player.get(), libvlc_time_t(target * 1000));
}

// --- properties ---

qint32 VlcMediaPlayer::PlayState() const { return d->state; }

void VlcMediaPlayer::setState(qint32 state)
{
    const qint32 old = d->state;
    if (old == state)
        return;
    d->state = state;
    emit PlayStateChange(old, state);
}

qint32 VlcMediaPlayer::Volume() const { return d->volume; }

void VlcMediaPlayer::setVolume(qint32 hundredthsDb)
{
    d->volume = std::clamp(hundredthsDb, SilentVolume, 0);
    applyAudio();
}

bool VlcMediaPlayer::Mute() const { return d->mute; }

void VlcMediaPlayer::setMute(bool on)
{
    d->mute = on;
    applyAudio();
}

double VlcMediaPlayer::CurrentPosition() const { return d->position; }

void VlcMediaPlayer::setCurrentPosition(double seconds)
{
    d->pendingPosition = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
    if (d->state == Playing)
        applyPosition();
}

void VlcMediaPlayer::setFlag(bool& flag, bool on)
{
    if (flag == on)
        return;
    flag = on;
    emit displayChanged();
}

bool VlcMediaPlayer::ShowControls() const { return d->showControls; }
void VlcMediaPlayer::setShowControls(bool on) { setFlag(d->showControls, on); }
bool VlcMediaPlayer::ShowDisplay() const { return d->showDisplay; }
void VlcMediaPlayer::setShowDisplay(bool on) { setFlag(d->showDisplay, on); }
bool VlcMediaPlayer::ShowStatusBar() const { return d->showStatusBar; }
void VlcMediaPlayer::setShowStatusBar(bool on) { setFlag(d->showStatusBar, on); }
bool VlcMediaPlayer::ShowTracker() const { return d->showTracker; }
void VlcMediaPlayer::setShowTracker(bool on) { setFlag(d->showTracker, on); }

qint32 VlcMediaPlayer::BufferingProgress() const { return d->bufferingPercent; }
qint32 VlcMediaPlayer::ReceptionQuality() const { return d->quality; }
qint32 VlcMediaPlayer::Bandwidth() const { return d->bandwidth; }
qint32 VlcMediaPlayer::ReceivedPackets() const { return d->received; }
qint32 VlcMediaPlayer::RecoveredPackets() const { return d->recovered; }
qint32 VlcMediaPlayer::LostPackets() const { return d->lost; }
bool VlcMediaPlayer::IsBroadcast() const { return d->broadcast; }
double VlcMediaPlayer::BufferingTime() const { return d->bufferingTime; }

QString VlcMediaPlayer::GetMediaInfoString(qint32 item) const
{
    if (item == InfoSource)
        return d->source;
    return d->info.value(item);
}

bool VlcMediaPlayer::Visible() const { return d->visible; }
void VlcMediaPlayer::setVisible(bool on) { setFlag(d->visible, on); }
bool VlcMediaPlayer::Enabled() const { return d->enabled; }
void VlcMediaPlayer::setEnabled(bool on) { setFlag(d->enabled, on); }
QString VlcMediaPlayer::ToolTipText() const { return d->toolTip; }

void VlcMediaPlayer::setToolTipText(const QString& text)
{
    if (d->toolTip == text)
        return;
    d->toolTip = text;
    emit displayChanged();
}

bool VlcMediaPlayer::HasSoundOutput() const { return soundOutputAvailable(); }

void VlcMediaPlayer::setVideoWindow(quint32 xid)
{
    d->videoWindow = xid;
    if (d->player)
        libvlc_media_player_set_xwindow(d->player.get(), xid);
}

void VlcMediaPlayer::setOpenTimeout(int ms) { d->openTimeoutMs = std::max(1, ms); }
int VlcMediaPlayer::openTimeout() const { return d->openTimeoutMs; }
void VlcMediaPlayer::setStallTimeout(int ms) { d->stallTimeoutMs = std::max(1, ms); }
int VlcMediaPlayer::stallTimeout() const { return d->stallTimeoutMs; }

double VlcMediaPlayer::Duration() const
{
    if (!d->player || d->state != Playing)
        return 0;
    const libvlc_time_t ms = libvlc_media_player_get_length(d->player.get());
    return ms > 0 ? ms / 1000.0 : 0;
}

} // namespace platform
