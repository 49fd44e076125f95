#pragma once

#include <QtGlobal>

// The system-parameters call of the Windows user interface, for the
// screensaver's idle time and activation, on the desktop screensaver's
// preferences (see xscreensaver.h).
namespace platform {

inline constexpr quint32 SPI_GETSCREENSAVETIMEOUT = 14; // pvParam: qint32*, receives seconds
inline constexpr quint32 SPI_SETSCREENSAVETIMEOUT = 15; // uiParam: seconds
inline constexpr quint32 SPI_GETSCREENSAVEACTIVE = 16;  // pvParam: qint32*, receives 1 or 0
inline constexpr quint32 SPI_SETSCREENSAVEACTIVE = 17;  // uiParam: 1 on, 0 off

// The longest idle time the stand-in accepts: a day.
inline constexpr quint32 MaxScreenSaveTimeoutSeconds = 24 * 60 * 60;

// Returns false for an unknown action, a missing pvParam where one is
// needed, a timeout of 0 or beyond MaxScreenSaveTimeoutSeconds, or a change
// that could not be stored. fWinIni (profile update flags) has no effect:
// every change is stored.
bool SystemParametersInfo(quint32 uiAction, quint32 uiParam, void* pvParam, quint32 fWinIni);

} // namespace platform
