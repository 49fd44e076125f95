#include "platform/media/mediaplayer.h"

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
// Playlists naming playlists: how deep to follow them, and how many entries to try.
constexpr int MaxPlaylistDepth = 4;
constexpr int MaxAttempts = 32;

// The libVLC meta field behind each media information item.
const QHash<qint32, libvlc_meta_t>& metaFields()
{
    static const QHash<qint32, libvlc_meta_t> fields{
        {MediaPlayer::InfoTitle, libvlc_meta_Title},
        {MediaPlayer::InfoAuthor, libvlc_meta_Artist},
        {MediaPlayer::InfoCopyright, libvlc_meta_Copyright},
        {MediaPlayer::InfoRating, libvlc_meta_Rating},
        {MediaPlayer::InfoDescription, libvlc_meta_Description},
        {MediaPlayer::InfoNowPlaying, libvlc_meta_NowPlaying},
        {MediaPlayer::InfoAlbum, libvlc_meta_Album},
        {MediaPlayer::InfoGenre, libvlc_meta_Genre},
        {MediaPlayer::InfoDate, libvlc_meta_Date},
        {MediaPlayer::InfoPublisher, libvlc_meta_Publisher},
        {MediaPlayer::InfoEncodedBy, libvlc_meta_EncodedBy},
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

QString mrlOf(libvlc_media_t* media)
{
    return vlc::takeString(libvlc_media_get_mrl(media));
}

bool isNetworkMrl(const QString& mrl)
{
    return !mrl.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

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

int volumeToVlcPercent(qint32 hundredthsDb)
{
    if (hundredthsDb <= SilentVolume)
        return 0;
    const double db = std::min<qint32>(hundredthsDb, 0) / 100.0;
    return int(std::lround(100.0 * std::pow(10.0, db / 60.0)));
}

qint32 vlcPercentToVolume(int percent)
{
    if (percent <= 0)
        return SilentVolume;
    const double hundredths = 6000.0 * std::log10(std::min(percent, 100) / 100.0);
    return std::max(SilentVolume, qint32(std::lround(hundredths)));
}

struct MediaPlayer::Candidate {
    vlc::MediaRef media;
    int depth = 0;
};

struct MediaPlayer::Private {
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

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->refreshTimer.setInterval(RefreshIntervalMs);
    connect(&d->refreshTimer, &QTimer::timeout, this, &MediaPlayer::refreshStatistics);
    d->clock.start();
    d->openTimer.setSingleShot(true);
    connect(&d->openTimer, &QTimer::timeout, this, &MediaPlayer::onOpenTimeout);
}

MediaPlayer::~MediaPlayer()
{
    d->relay.reset();
    if (d->player)
        libvlc_media_player_stop(d->player.get());
}

void MediaPlayer::setVlcArguments(const QStringList& args) { vlc::setArguments(args); }

QStringList MediaPlayer::vlcArguments() { return vlc::arguments(); }

// --- methods ---

void MediaPlayer::Open(const QString& urlOrPath)
{
    stopEngine();
    d->source = urlOrPath;
    d->info.clear();
    startChain();
}

void MediaPlayer::Play()
{
    if (d->state == Waiting || d->state == Playing || d->state == Closed || d->source.isEmpty())
        return;
    stopEngine();
    startChain();
}

void MediaPlayer::Stop()
{
    if (d->state != Waiting && d->state != Playing && d->state != Paused)
        return;
    finishSession(Stopped, false, false);
}

void MediaPlayer::Close()
{
    finishSession(Closed, false, false);
}

// --- the opening chain ---

// Opens the source from the start: the source itself is the first candidate, and
// every playlist met on the way puts its entries in front of the remaining ones.
// A Buffering(true) already reported stays open until the new source has buffered.
void MediaPlayer::startChain()
{
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

// Hands the next candidate to libVLC; false when none is left that starts.
bool MediaPlayer::startCandidate()
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

void MediaPlayer::setCurrent(Candidate candidate)
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

void MediaPlayer::tryNextCandidate()
{
    if (!startCandidate())
        finishSession(Stopped, true, false);
}

void MediaPlayer::onItemEnded(bool failed)
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
void MediaPlayer::maybeReportPlaying()
{
    if (!d->vlcPlaying || !d->streamsSeen || d->state == Playing)
        return;
    d->openTimer.stop();
    d->broadcast = d->currentIsNetwork && !d->seekable;
    d->samples.clear();
    d->samples.push_back({d->clock.elapsed(), 0, 0});
    applyAudio();
    applyPosition();
    refreshMeta();
    setState(Playing);
}

void MediaPlayer::onOpenTimeout()
{
    if (d->state == Waiting)
        finishSession(Stopped, true, false);
}

// Ends the session and reports it. Every report is skipped once a handler has
// started something new (Open or Stop from inside a signal).
void MediaPlayer::finishSession(qint32 newState, bool failed, bool broadcastLost)
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

void MediaPlayer::stopEngine()
{
    if (d->player)
        libvlc_media_player_stop(d->player.get());
    ++d->generation;
    d->pending.clear();
    d->openTimer.stop();
    d->refreshTimer.stop();
}

// Lets go of libVLC's player (and with it the audio output) and of the source.
void MediaPlayer::releaseEngine()
{
    d->relay.reset();
    d->player.reset();
    d->current.reset();
    d->currentMrl.clear();
    d->source.clear();
    d->info.clear();
}

void MediaPlayer::ensureEngine()
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

void MediaPlayer::handleEvent(int type, float cache, int value)
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
    case libvlc_MediaPlayerEndReached:
        onItemEnded(false);
        break;
    case libvlc_MediaPlayerEncounteredError:
        onItemEnded(true);
        break;
    case libvlc_MediaPlayerStopped:
        // A stop nobody asked for: ours change the generation once libVLC has stopped.
        if (d->state == Waiting || d->state == Playing)
            onItemEnded(d->state == Waiting);
        break;
    default:
        break;
    }
}

// --- statistics ---

void MediaPlayer::refreshStatistics()
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
        d->samples.push_back({now, d->received, d->lost});
        while (d->samples.size() > 2 && now - d->samples[1].atMs >= QualityWindowMs)
            d->samples.pop_front();
        const qint64 gotten = d->samples.back().received - d->samples.front().received;
        const qint64 missed = d->samples.back().lost - d->samples.front().lost;
        d->quality = gotten + missed > 0 ? qint32(100 * gotten / (gotten + missed)) : 100;
        const libvlc_time_t ms = libvlc_media_player_get_time(d->player.get());
        if (ms >= 0)
            d->position = ms / 1000.0;
    }
    refreshMeta();
}

void MediaPlayer::refreshMeta()
{
    if (!d->current)
        return;
    const auto& fields = metaFields();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        d->info[it.key()] = vlc::takeString(libvlc_media_get_meta(d->current.get(), it.value()));
    const QUrl url(d->currentMrl);
    d->info[InfoEntryAddress] = url.isLocalFile() ? url.toLocalFile() : url.toString();
}

void MediaPlayer::resetStatistics()
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

void MediaPlayer::applyAudio()
{
    if (!d->player)
        return;
    libvlc_audio_set_volume(d->player.get(), volumeToVlcPercent(d->volume));
    libvlc_audio_set_mute(d->player.get(), d->mute ? 1 : 0);
}

void MediaPlayer::applyPosition()
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

qint32 MediaPlayer::PlayState() const { return d->state; }

void MediaPlayer::setState(qint32 state)
{
    const qint32 old = d->state;
    if (old == state)
        return;
    d->state = state;
    emit PlayStateChange(old, state);
}

qint32 MediaPlayer::Volume() const { return d->volume; }

void MediaPlayer::setVolume(qint32 hundredthsDb)
{
    d->volume = std::clamp(hundredthsDb, SilentVolume, 0);
    applyAudio();
}

bool MediaPlayer::Mute() const { return d->mute; }

void MediaPlayer::setMute(bool on)
{
    d->mute = on;
    applyAudio();
}

double MediaPlayer::CurrentPosition() const { return d->position; }

void MediaPlayer::setCurrentPosition(double seconds)
{
    d->pendingPosition = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
    if (d->state == Playing)
        applyPosition();
}

void MediaPlayer::setFlag(bool& flag, bool on)
{
    if (flag == on)
        return;
    flag = on;
    emit displayChanged();
}

bool MediaPlayer::ShowControls() const { return d->showControls; }
void MediaPlayer::setShowControls(bool on) { setFlag(d->showControls, on); }
bool MediaPlayer::ShowDisplay() const { return d->showDisplay; }
void MediaPlayer::setShowDisplay(bool on) { setFlag(d->showDisplay, on); }
bool MediaPlayer::ShowStatusBar() const { return d->showStatusBar; }
void MediaPlayer::setShowStatusBar(bool on) { setFlag(d->showStatusBar, on); }
bool MediaPlayer::ShowTracker() const { return d->showTracker; }
void MediaPlayer::setShowTracker(bool on) { setFlag(d->showTracker, on); }

qint32 MediaPlayer::BufferingProgress() const { return d->bufferingPercent; }
qint32 MediaPlayer::ReceptionQuality() const { return d->quality; }
qint32 MediaPlayer::Bandwidth() const { return d->bandwidth; }
qint32 MediaPlayer::ReceivedPackets() const { return d->received; }
qint32 MediaPlayer::RecoveredPackets() const { return d->recovered; }
qint32 MediaPlayer::LostPackets() const { return d->lost; }
bool MediaPlayer::IsBroadcast() const { return d->broadcast; }
double MediaPlayer::BufferingTime() const { return d->bufferingTime; }

QString MediaPlayer::GetMediaInfoString(qint32 item) const
{
    if (item == InfoSource)
        return d->source;
    return d->info.value(item);
}

bool MediaPlayer::Visible() const { return d->visible; }
void MediaPlayer::setVisible(bool on) { setFlag(d->visible, on); }
bool MediaPlayer::Enabled() const { return d->enabled; }
void MediaPlayer::setEnabled(bool on) { setFlag(d->enabled, on); }
QString MediaPlayer::ToolTipText() const { return d->toolTip; }

void MediaPlayer::setToolTipText(const QString& text)
{
    if (d->toolTip == text)
        return;
    d->toolTip = text;
    emit displayChanged();
}

void MediaPlayer::setVideoWindow(quint32 xid)
{
    d->videoWindow = xid;
    if (d->player)
        libvlc_media_player_set_xwindow(d->player.get(), xid);
}

void MediaPlayer::setOpenTimeout(int ms) { d->openTimeoutMs = std::max(1, ms); }
int MediaPlayer::openTimeout() const { return d->openTimeoutMs; }

} // namespace platform
