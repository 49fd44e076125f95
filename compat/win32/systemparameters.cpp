#include "compat/win32/systemparameters.h"

#include "platform/system/xscreensaver.h"

#include <limits>

namespace platform {

bool SystemParametersInfo(quint32 uiAction, quint32 uiParam, void* pvParam, quint32 /*fWinIni*/)
{
    switch (uiAction) {
    case SPI_GETSCREENSAVETIMEOUT:
        if (!pvParam)
            return false;
        *static_cast<qint32*>(pvParam) = static_cast<qint32>(
            std::min<qint64>(screenSaverPrefs().timeoutSeconds, std::numeric_limits<qint32>::max()));
        return true;
    case SPI_SETSCREENSAVETIMEOUT:
        if (uiParam == 0 || uiParam > MaxScreenSaveTimeoutSeconds)
            return false;
        return static_cast<bool>(setScreenSaverTimeout(uiParam));
    case SPI_GETSCREENSAVEACTIVE:
        if (!pvParam)
            return false;
        *static_cast<qint32*>(pvParam) = screenSaverPrefs().mode != QLatin1String("off") ? 1 : 0;
        return true;
    case SPI_SETSCREENSAVEACTIVE:
        return static_cast<bool>(setScreenSaverMode(uiParam != 0 ? QStringLiteral("one") : QStringLiteral("off")));
    default: return false;
    }
}

} // namespace platform
