#pragma once

#include <QString>

namespace platform {

// The main program keeps its options in one section of the settings store.
inline const QString kOptions = QStringLiteral("Options");

// The option keys that more than one window reads or writes.
namespace optionkeys {

inline const QString kDefaultRadio = QStringLiteral("DefaultRadio");
inline const QString kFirstUse2 = QStringLiteral("FirstUse2");
inline const QString kLastTZAdd = QStringLiteral("LastTZAdd");
inline const QString kTZFormat = QStringLiteral("TZFormat");
inline const QString kNetAutoSync = QStringLiteral("NetAutoSync");
inline const QString kCLHighContrast = QStringLiteral("CLHighContrast");
inline const QString kNextAutoSyncTime = QStringLiteral("VNNetAutoSyncTimeMain");

// Station slot 1..12 of the station table.
inline QString stationName(int slot) { return QStringLiteral("Radioname%1").arg(slot); }
inline QString stationUrl(int slot) { return QStringLiteral("RadioURL%1").arg(slot); }

// Digit 1..6 of the daily synchronisation time "hhmmss".
inline QString syncDigit(int digit) { return QStringLiteral("DefaultTimeSync%1").arg(digit); }

} // namespace optionkeys

} // namespace platform
