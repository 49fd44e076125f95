#include "platform/media/sound.h"

#include "platform/media/vlcsoundplayer.h"

#include <QCoreApplication>

namespace platform {

namespace {

SoundPlayer* g_replacement = nullptr;
VlcSoundPlayer* g_real = nullptr;

void deleteRealPlayer()
{
    delete g_real;
    g_real = nullptr;
}

} // namespace

SoundPlayer& soundPlayer()
{
    if (g_replacement)
        return *g_replacement;
    if (!g_real) {
        g_real = new VlcSoundPlayer;
        if (QCoreApplication::instance())
            qAddPostRoutine(deleteRealPlayer);
    }
    return *g_real;
}

void setSoundPlayer(SoundPlayer* player) { g_replacement = player; }

} // namespace platform
