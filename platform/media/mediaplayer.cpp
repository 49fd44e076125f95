#include "platform/media/mediaplayer.h"

#include "platform/media/vlcmediaplayer.h"
#include "platform/media/vlcsupport.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {

constexpr qint32 SilentVolume = -10000;

std::function<std::unique_ptr<MediaPlayer>()>& factory()
{
    static std::function<std::unique_ptr<MediaPlayer>()> f;
    return f;
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

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent) {}

MediaPlayer::~MediaPlayer() = default;

void MediaPlayer::setVlcArguments(const QStringList& args) { vlc::setArguments(args); }

QStringList MediaPlayer::vlcArguments() { return vlc::arguments(); }

void MediaPlayer::startEngine() { vlc::sharedInstance(); }

bool MediaPlayer::engineStarted() { return vlc::sharedInstanceTried(); }

std::unique_ptr<MediaPlayer> createMediaPlayer()
{
    if (factory())
        return factory()();
    return std::make_unique<VlcMediaPlayer>();
}

void setMediaPlayerFactory(std::function<std::unique_ptr<MediaPlayer>()> f) { factory() = std::move(f); }

} // namespace platform
