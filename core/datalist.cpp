#include "core/datalist.h"

#include "compat/vb/conversions.h"

#include <array>

QString DefStation;

namespace DataList {
namespace {

struct FactoryStation {
    const char* name;
    const char* url;
};

// Slots 1-9 are internet stations; their addresses are direct streams that the
// player opens through the same call as playlists.
constexpr std::array<FactoryStation, 13> kFactory{{
    {"", ""},
    {"Top Radio - Audio 96kbps", "https://str.topradio.be/topradio.mp3"},
    {"Top Radio - Audio/Video 220kbps",
     "https://playerservices.streamtheworld.com/api/livestream-redirect/TOP_RADIO.mp3"},
    {"Radio Contact - Audio", "https://radiocontact.ice.infomaniak.ch/radiocontact-mp3-192.mp3"},
    {"Fun Radio - FR", "https://icecast.funradio.fr/fun-1-44-128"},
    {"Radio Donna", "http://icecast.vrtcdn.be/mnm-high.mp3"},
    {"Studio Brussel", "http://icecast.vrtcdn.be/stubru-high.mp3"},
    {"Radio Tel-Aviv", "https://102.livecdn.biz/102fm_aac"},
    {"40 Principales - Spain", "https://playerservices.streamtheworld.com/api/livestream-redirect/LOS40.mp3"},
    {"NRJ - Be", "https://stream.rcs.revma.com/xh00fwuptg0uv"},
    {"-", ""},
    {"MP3 - MPG - MPEG - AVI - WMV", ""},
    {"MP3 Directory", ""},
}};

const FactoryStation& slotRow(int slot)
{
    if (slot < FirstSlot || slot > LastSlot)
        throw platform::RuntimeError(9, QStringLiteral("Subscript out of range"));
    return kFactory[static_cast<size_t>(slot)];
}

} // namespace

QString factoryName(int slot) { return QString::fromUtf8(slotRow(slot).name); }
QString factoryURL(int slot) { return QString::fromUtf8(slotRow(slot).url); }

void InitDefRadio() { DefStation = QStringLiteral("2"); }

} // namespace DataList
