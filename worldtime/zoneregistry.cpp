#include "worldtime/zoneregistry.h"

#include "platform/base/clock.h"
#include "compat/win32/registry.h"
#include "worldtime/tzdatabase.h"

#include <QTimeZone>

namespace worldtime {

namespace {

const QString kNtKey = QStringLiteral("SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\TIME ZONES");
const QString k9xKey = QStringLiteral("SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\TIME ZONES");

class TzRegistryProvider : public platform::RegistryProvider {
public:
    bool hasKey(const QString& path) const override { return path.isEmpty() || zoneAt(path) != nullptr; }

    QStringList subKeys(const QString& path) const override
    {
        QStringList names;
        if (!path.isEmpty())
            return names;
        for (const TzZone& zone : tzDatabase().zones())
            names.append(zone.windowsId);
        return names;
    }

    std::optional<platform::RegistryValue> value(const QString& path, const QString& name) const override
    {
        const TzZone* zone = zoneAt(path);
        if (!zone)
            return std::nullopt;
        if (name.compare(QLatin1String("Display"), Qt::CaseInsensitive) == 0)
            return platform::RegistryValue{platform::REG_SZ, zone->display.toUtf8() + '\0'};
        if (name.compare(QLatin1String("TZI"), Qt::CaseInsensitive) == 0)
            return platform::RegistryValue{platform::REG_BINARY, tzDatabase().tzi(*zone)};
        return std::nullopt;
    }

private:
    // A zone's key is one level below the database key.
    static const TzZone* zoneAt(const QString& path)
    {
        if (path.isEmpty() || path.contains(u'\\'))
            return nullptr;
        return tzDatabase().find(path);
    }
};

QString daylightNameOf(const QString& standardName)
{
    QString name = standardName;
    name.replace(QLatin1String("Standard Time"), QLatin1String("Daylight Time"));
    return name;
}

} // namespace

QString zoneDatabaseKeyFor(int platformId) { return platformId == kPlatformIdNT ? kNtKey : k9xKey; }

QString zoneDatabaseKey() { return zoneDatabaseKeyFor(kPlatformIdNT); }

void installZoneDatabase()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const auto provider = std::make_shared<TzRegistryProvider>();
    platform::registerRegistryProvider(platform::HKEY_LOCAL_MACHINE, kNtKey, provider);
    platform::registerRegistryProvider(platform::HKEY_LOCAL_MACHINE, k9xKey, provider);
}

quint32 GetTimeZoneInformation(TIME_ZONE_INFORMATION* info)
{
    if (!info)
        return TIME_ZONE_ID_INVALID;
    // The chooser asks every second: the answer is kept while the computer's
    // zone and the year stay the same.
    struct Answer {
        QByteArray zoneId;
        int year = 0;
        TIME_ZONE_INFORMATION info;
    };
    static Answer last;
    const QDateTime now = platform::clock().now();
    const QTimeZone system = QTimeZone::systemTimeZone();
    const int year = now.date().year();
    if (last.year != year || last.zoneId != system.id() || last.zoneId.isEmpty()) {
        const QByteArray record = tziRecord(system.isValid() ? system : QTimeZone::utc(), now);
        const TzZone* zone = tzDatabase().zoneOf(system);
        Answer fresh;
        fresh.zoneId = system.id();
        fresh.year = year;
        fresh.info.StandardName = zone ? zone->windowsId : QStringLiteral("UTC");
        fresh.info.DaylightName = daylightNameOf(fresh.info.StandardName);
        fresh.info.Bias = tziBias(record);
        fresh.info.StandardBias = tziBias(record.mid(4, 4));
        fresh.info.DaylightBias = tziBias(record.mid(8, 4));
        fresh.info.StandardDate = record.mid(12, 16);
        fresh.info.DaylightDate = record.mid(28, 16);
        last = fresh;
    }
    *info = last.info;
    if (info->DaylightDate == QByteArray(16, '\0'))
        return TIME_ZONE_ID_UNKNOWN;
    return system.isDaylightTime(now) ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

} // namespace worldtime
