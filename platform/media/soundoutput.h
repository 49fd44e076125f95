#pragma once

#include <QString>

namespace platform {

// The places a sound output can be found on Linux.
struct SoundOutputPlaces {
    QString pulseServer;                              // $PULSE_SERVER: a sound server named by the user
    QString runtimeFolder;                            // $XDG_RUNTIME_DIR: PulseAudio's or PipeWire's socket
    QString alsaDevices = QStringLiteral("/dev/snd"); // ALSA's playback devices (pcmC<card>D<dev>p)
};

// Whether any of the places offers a sound output.
bool hasSoundOutput(const SoundOutputPlaces& places);

// The answer for this machine, looked at once per run: libVLC's audio output
// is chosen once, when its instance starts. Without one, sounds and streams
// play to libVLC's silent output (no ALSA errors on the terminal) and the
// windows say "No sound output".
bool soundOutputAvailable();

} // namespace platform
