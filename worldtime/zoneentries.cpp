#include "worldtime/zoneentries.h"

#include "compat/vb/conversions.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"

#include <algorithm>

namespace worldtime {

namespace {

using platform::kOptions;

} // namespace

QString readOption(const QString& key, const QString& defaultValue)
{
    return platform::getSetting(kOptions, key, defaultValue);
}

void writeOption(const QString& key, const QString& value)
{
    // A missing key reads as empty text: emptying it needs no write.
    if (platform::getSetting(kOptions, key, QString()) != value)
        platform::saveSetting(kOptions, key, value);
}

int storedZoneCount() { return zoneCountOf(readOption(platform::optionkeys::kLastTZAdd, QStringLiteral("0"))); }

int zoneCountOf(const QString& stored)
{
    try {
        return std::clamp(platform::toInt32(stored), 0, kMaxZones);
    } catch (const platform::RuntimeError&) {
        return 0;
    }
}

void saveZoneCount(int count, const OptionWriter& write)
{
    write(platform::optionkeys::kLastTZAdd, platform::intText(count));
}

QStringList entryKeys(int i)
{
    const QString n = QString::number(i);
    return {QStringLiteral("LastTZAdd") + n, QStringLiteral("LastTZAddID") + n, QStringLiteral("LastTZAddName") + n,
            QStringLiteral("VNTZval") + n, QStringLiteral("VNTZname") + n};
}

ZoneEntry readEntry(int i)
{
    const QStringList keys = entryKeys(i);
    return ZoneEntry{readOption(keys[0]), readOption(keys[1]), readOption(keys[2]), readOption(keys[3]),
                     readOption(keys[4])};
}

void writeEntry(int i, const ZoneEntry& entry, const OptionWriter& write)
{
    const QStringList keys = entryKeys(i);
    write(keys[0], entry.number);
    write(keys[1], entry.listIndex);
    write(keys[2], entry.shortName);
    write(keys[3], entry.bias);
    write(keys[4], entry.display);
}

int appendEntry(int count, const ZoneEntry& entry, const OptionWriter& write)
{
    if (count < 0 || count >= kMaxZones)
        return count;
    const platform::SettingsBatch batch;
    writeEntry(count + 1, entry, write);
    saveZoneCount(count + 1, write);
    return count + 1;
}

int removeEntry(int k, int count, const OptionWriter& write)
{
    if (k < 1 || k > count || count > kMaxZones)
        return count;
    const platform::SettingsBatch batch;
    for (int i = k; i < count; ++i)
        writeEntry(i, readEntry(i + 1), write);
    saveZoneCount(count - 1, write);
    writeEntry(count, ZoneEntry{}, write);
    return count - 1;
}

} // namespace worldtime
