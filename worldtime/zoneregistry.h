#pragma once

#include <QByteArray>
#include <QString>

namespace worldtime {

// Where the zone database lies in the local-machine registry. This system
// reports itself as an NT system (platform id 2), so the NT path is the one
// the program opens; the provider answers under both.
QString zoneDatabaseKey();
inline constexpr int kPlatformIdNT = 2;
QString zoneDatabaseKeyFor(int platformId);

// Serves the registry's zone database from the system's tz database (see
// TzDatabase), read-only: one subkey per Windows zone id with the values
// "Display" (REG_SZ) and "TZI" (REG_BINARY, 44 bytes). The program's start
// installs it; calling it again changes nothing.
void installZoneDatabase();

// The answer of GetTimeZoneInformation: the system zone under its Windows id.
struct TIME_ZONE_INFORMATION {
    qint32 Bias = 0;
    QString StandardName;    // the Windows id ("Tokyo Standard Time"), "UTC" when no zone matches
    QByteArray StandardDate; // SYSTEMTIME, 16 bytes
    qint32 StandardBias = 0;
    QString DaylightName;
    QByteArray DaylightDate;
    qint32 DaylightBias = 0;
};

inline constexpr quint32 TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr quint32 TIME_ZONE_ID_STANDARD = 1;
inline constexpr quint32 TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr quint32 TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// The computer's zone ($TZ, else /etc/localtime): its Windows id (found by its
// name, its linked names, or equal offset and rules; "UTC" when nothing
// matches) and its own bias and change dates at the clock's now. Returns
// TIME_ZONE_ID_DAYLIGHT or _STANDARD for a zone with daylight saving this
// year, TIME_ZONE_ID_UNKNOWN for one without, TIME_ZONE_ID_INVALID when
// info is null.
quint32 GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);

} // namespace worldtime
