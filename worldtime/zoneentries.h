#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace worldtime {

// The user's chosen zones as the settings store keeps them (section
// "Options"): the count `LastTZAdd` and, for entry i = 1..5, the five keys
// `LastTZAdd<i>`, `LastTZAddID<i>`, `LastTZAddName<i>`, `VNTZval<i>` and
// `VNTZname<i>` (prefix and number without a blank).

inline constexpr int kMaxZones = 5;

// The stored count, read so that it can always be used: clamped to 0..5, and
// 0 when it is missing or not a number.
int storedZoneCount();
// The zone count that the stored text `stored` of that setting stands for.
int zoneCountOf(const QString& stored);

// Where the functions below write a value: writeOption, or a test's recorder.
using OptionWriter = std::function<void(const QString& key, const QString& value)>;

void saveZoneCount(int count, const OptionWriter& write);

// The five keys of entry i, in the order above.
QStringList entryKeys(int i);

QString readOption(const QString& key, const QString& defaultValue = {});
// Writes a value only when it differs from the stored one.
void writeOption(const QString& key, const QString& value);

// One entry's values, keyed like entryKeys().
struct ZoneEntry {
    QString number;    // LastTZAdd<i>
    QString listIndex; // LastTZAddID<i>
    QString shortName; // LastTZAddName<i>
    QString bias;      // VNTZval<i>
    QString display;   // VNTZname<i>
};
ZoneEntry readEntry(int i);
void writeEntry(int i, const ZoneEntry& entry, const OptionWriter& write);

// Appends an entry after the `count` stored ones, as one change of the store:
// a crash leaves the table as it was or with the entry. Returns the new
// count; nothing is written when 5 entries exist.
int appendEntry(int count, const ZoneEntry& entry, const OptionWriter& write = writeOption);

// Removes entry k of `count` (1-based): the later entries move down one, the
// count goes down and the freed last slot is emptied, all as one change of
// the store, so a crash leaves the old table or the new one. Returns the new
// count; nothing changes when k is not an entry.
int removeEntry(int k, int count, const OptionWriter& write = writeOption);

} // namespace worldtime
