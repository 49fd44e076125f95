#include "platform/media/vlcsoundplayer.h"

#include "platform/base/background.h"
#include "platform/media/vlcsupport.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace platform {

namespace {

// One opening of a sound by libVLC's input thread: its own copy (shared, not
// duplicated) of the bytes and its own read position.
struct Reader {
    QByteArray data;
    qint64 position = 0;
};

int openReader(void* opaque, void** datap, uint64_t* sizep)
{
    auto* reader = new Reader{*static_cast<const QByteArray*>(opaque), 0};
    *datap = reader;
    *sizep = uint64_t(reader->data.size());
    return 0;
}

ssize_t readReader(void* opaque, unsigned char* buf, size_t len)
{
    auto* reader = static_cast<Reader*>(opaque);
    const qint64 left = reader->data.size() - reader->position;
    const qint64 count = std::min<qint64>(left, qint64(std::min<size_t>(len, 1 << 20)));
    std::memcpy(buf, reader->data.constData() + reader->position, size_t(count));
    reader->position += count;
    return ssize_t(count);
}

int seekReader(void* opaque, uint64_t offset)
{
    auto* reader = static_cast<Reader*>(opaque);
    if (offset > uint64_t(reader->data.size()))
        return -1;
    reader->position = qint64(offset);
    return 0;
}

void closeReader(void* opaque) { delete static_cast<Reader*>(opaque); }

} // namespace

struct VlcSoundPlayer::Private {
    vlc::InstanceRef instance;
    vlc::PlayerRef player;
    std::unique_ptr<vlc::EventRelay> relay;
    std::atomic<quint64> generation{0};
    // The sound in hand. Replaced only after a stop, when libVLC no longer reads it.
    std::unique_ptr<QByteArray> data;
    vlc::MediaRef media;
    bool playing = false;
    bool triedInstance = false;
};

VlcSoundPlayer::VlcSoundPlayer(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

VlcSoundPlayer::~VlcSoundPlayer()
{
    d->relay.reset();
    if (d->player)
        libvlc_media_player_stop(d->player.get());
    d->player.reset();
    d->media.reset();
}

bool VlcSoundPlayer::isWave(const QByteArray& data)
{
    return data.size() >= 12 && data.startsWith("RIFF") && data.mid(8, 4) == "WAVE";
}

bool VlcSoundPlayer::isPlaying() const { return d->playing; }

void VlcSoundPlayer::playMemory(const QByteArray& wav)
{
    cutOff();
    if (!isWave(wav))
        return;
    if (!d->player && !d->triedInstance && !vlc::sharedInstanceTried()) {
        playOnceLibVlcIsUp(wav);
        return;
    }
    playNow(wav);
}

// The first sound of the process: libVLC loads its plugins on a thread of its
// own, so the clock does not stop while the alarm starts; the sound plays when
// it is up, unless it was cut off meanwhile.
void VlcSoundPlayer::playOnceLibVlcIsUp(const QByteArray& wav)
{
    d->playing = true;
    const quint64 generation = d->generation;
    runInBackground(
        this, [] { return vlc::sharedInstance(); },
        [this, generation, wav](const vlc::InstanceRef&) {
            if (generation != d->generation)
                return;
            d->playing = false;
            playNow(wav);
        });
}

void VlcSoundPlayer::playNow(const QByteArray& wav)
{
    if (!ensurePlayer())
        return;
    d->data = std::make_unique<QByteArray>(wav);
    d->media = vlc::MediaRef::adopt(
        libvlc_media_new_callbacks(d->instance.get(), openReader, readReader, seekReader, closeReader, d->data.get()));
    if (!d->media)
        return;
    libvlc_media_add_option(d->media.get(), ":demux=wav");
    libvlc_media_player_set_media(d->player.get(), d->media.get());
    d->playing = libvlc_media_player_play(d->player.get()) == 0;
}

void VlcSoundPlayer::stop() { cutOff(); }

void VlcSoundPlayer::cutOff()
{
    if (d->player)
        libvlc_media_player_stop(d->player.get());
    ++d->generation;
    d->playing = false;
}

bool VlcSoundPlayer::ensurePlayer()
{
    if (d->player)
        return true;
    if (d->triedInstance)
        return false;
    d->triedInstance = true;
    d->instance = vlc::sharedInstance();
    if (!d->instance)
        return false;
    d->player = vlc::PlayerRef::adopt(libvlc_media_player_new(d->instance.get()));
    if (!d->player)
        return false;
    d->relay = std::make_unique<vlc::EventRelay>(
        libvlc_media_player_event_manager(d->player.get()),
        std::initializer_list<libvlc_event_e>{libvlc_MediaPlayerPlaying, libvlc_MediaPlayerEndReached,
                                              libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerStopped},
        &d->generation, this, [this](const vlc::Event& e) {
            if (e.generation == d->generation)
                handleEvent(e.type);
        });
    return true;
}

void VlcSoundPlayer::handleEvent(int type)
{
    if (type == libvlc_MediaPlayerPlaying) {
        emit started();
        return;
    }
    // End, error or a stop of libVLC's own: the sound is over. Stopping the player
    // first makes sure its last events are raised before the generation changes.
    cutOff();
    emit finished();
}

} // namespace platform
