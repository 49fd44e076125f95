#include "platform/media/soundoutput.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

bool hasSoundOutput(const SoundOutputPlaces& places)
{
    if (!places.pulseServer.isEmpty())
        return true;
    if (!places.runtimeFolder.isEmpty()) {
        const QDir runtime(places.runtimeFolder);
        for (const char* socket : {"pulse/native", "pipewire-0"})
            if (QFileInfo::exists(runtime.filePath(QLatin1String(socket))))
                return true;
    }
    const QStringList playback =
        QDir(places.alsaDevices).entryList({QStringLiteral("pcmC*D*p")}, QDir::Files | QDir::System);
    return !playback.isEmpty();
}

bool soundOutputAvailable()
{
    static const bool available = hasSoundOutput(
        {qEnvironmentVariable("PULSE_SERVER"), qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/dev/snd")});
    return available;
}

} // namespace platform
