#pragma once

#include <QString>

// The registration of the screensaver file with the desktop's screensaver:
// the values under the current user's "Control Panel\Desktop" and the
// system parameters for activation and idle time (on the desktop these are
// XScreenSaver's preferences, see platform/system/xscreensaver.h).
namespace modSS {

// The path the main program writes the screensaver file to and registers.
inline const QString SaverFile = QStringLiteral("C:\\Windows\\VN.scr");

// The idle minutes the system accepts.
constexpr qint32 MinIdleMinutes = 1;
constexpr qint32 MaxIdleMinutes = 24 * 60;

// Switches the screensaver on or off; false when that could not be stored.
bool SetSSActive(bool flag);
// The registered screensaver file ("" when none); the menu state follows it.
QString CheckSSInstalled();
// Whether that value names this program's screensaver file.
bool IsVNInstalled(const QString& registered);
// Registers path as the screensaver; false when it could not be stored.
bool SetSSFile(const QString& path);
// Whether a password is asked on resume; a value that is not a number reads as off.
bool GetSSSecure();
bool ToggleSSSecure();
// The idle time in whole minutes.
qint32 GetSSTimeout();
// Sets the idle time; minutes outside MinIdleMinutes..MaxIdleMinutes are
// refused (false) and change nothing.
bool SetSSTimeout(qint32 minutes);
// Whether a screensaver that can run the file answers on this desktop.
bool SaverServiceAvailable();

// Reads a text value; the default when the key or value is missing or the
// value is not text. The text ends at its terminator, then loses the blanks
// at both ends.
QString RegReadStr(quint32 rootKey, const QString& subKey, const QString& valueName, const QString& defaultValue);
bool RegWriteStr(quint32 rootKey, const QString& subKey, const QString& valueName, const QString& value);

} // namespace modSS
