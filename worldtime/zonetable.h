#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace worldtime {

// The zones of the registry's zone database, ascending by display name
// (binary comparison, so upper case sorts first). Index i is the same in all
// three lists and in the list boxes filled from them. A zone whose "Display"
// or "TZI" value cannot be read is left out.
struct ZoneTable {
    QStringList TZKeyNames;
    QStringList TZDisplayNames;
    QList<qint32> biases; // first field of each zone's "TZI": minutes, UTC = local + bias
    bool opened = false;  // whether the database key could be opened

    int size() const { return static_cast<int>(TZKeyNames.size()); }
    int indexOfKey(const QString& keyName) const { return static_cast<int>(TZKeyNames.indexOf(keyName)); }
    int indexOfDisplay(const QString& display) const { return static_cast<int>(TZDisplayNames.indexOf(display)); }
};

// The text before the first NUL; "" when the text starts with NUL; the whole
// text trimmed of blanks when it holds none.
QString StripNul(const QString& text);

// Reads the zone database (zoneDatabaseKey() under the local machine).
ZoneTable LoadZoneTable();

// The bias of a zone: its "TZI" value's first field read from the database;
// nullopt when the zone or its value cannot be read.
std::optional<qint32> readZoneBias(const QString& keyName);

// The two default zones kept under "SOFTWARE\VN\TimeConverter" of the local
// machine. Opening creates "SOFTWARE\VN" (its default value set to
// "Orvane's Applications" when new) and "TimeConverter".
struct DefaultZones {
    QString source; // "DefaultSourceZone", else the computer's zone
    QString target; // "DefaultTargetZone", empty when missing
    bool hasTarget = false;
};
DefaultZones readDefaultZones();
// The home zone alone, read without creating any key (asked every second).
QString readDefaultSourceZone();

// Stores "DefaultTargetZone"; returns the registry's result (0 on success).
qint32 saveDefaultTarget(const QString& keyName);

} // namespace worldtime
