#include "worldtime/zonetable.h"

#include "compat/win32/registry.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneregistry.h"

#include <algorithm>
#include <numeric>

namespace worldtime {

namespace {

using namespace platform;

constexpr quint32 kAllAccess = 63;
const QString kVnKey = QStringLiteral("SOFTWARE\\VN");
const QString kConverterKey = QStringLiteral("TimeConverter");

// Closes a key when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = 0;
};

std::optional<QString> readText(HKEY key, const QString& name)
{
    QByteArray data;
    quint32 type = 0;
    if (RegQueryValueEx(key, name, &type, &data) != ERROR_SUCCESS)
        return std::nullopt;
    return StripNul(QString::fromUtf8(data));
}

std::optional<qint32> readBias(HKEY key)
{
    QByteArray data;
    if (RegQueryValueEx(key, QStringLiteral("TZI"), nullptr, &data) != ERROR_SUCCESS || data.size() < 4)
        return std::nullopt;
    return tziBias(data);
}

// Opens (creating when missing) "SOFTWARE\VN\TimeConverter".
bool openConverterKey(KeyHandle& converter)
{
    // Made on the first run: the keys and the maker's name go to disk in one write.
    const RegistryWriteBatch oneWrite;
    KeyHandle vn;
    quint32 disposition = 0;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kVnKey, 0, kAllAccess, vn.out(), &disposition) != ERROR_SUCCESS)
        return false;
    if (disposition == REG_CREATED_NEW_KEY) {
        const QByteArray maker("Orvane's Applications");
        RegSetValueEx(vn.get(), QString(), 0, REG_SZ, maker.constData(), static_cast<quint32>(maker.size()));
        RegFlushKey(vn.get());
    }
    return RegCreateKeyEx(vn.get(), kConverterKey, 0, kAllAccess, converter.out(), nullptr) == ERROR_SUCCESS;
}

// The standard-time name of the computer's zone, as GetTimeZoneInformation gives it.
QString computersZone()
{
    TIME_ZONE_INFORMATION info;
    if (GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID)
        return {};
    return StripNul(info.StandardName);
}

} // namespace

QString StripNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul < 0)
        return text.trimmed();
    return text.left(nul);
}

ZoneTable LoadZoneTable()
{
    ZoneTable table;
    KeyHandle root;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, zoneDatabaseKey(), 0, kAllAccess, root.out()) != ERROR_SUCCESS)
        return table;
    table.opened = true;

    ZoneTable unsorted;
    QString name;
    for (quint32 i = 0; RegEnumKey(root.get(), i, &name) == ERROR_SUCCESS; ++i) {
        KeyHandle zone;
        if (RegOpenKeyEx(root.get(), StripNul(name), 0, kAllAccess, zone.out()) != ERROR_SUCCESS)
            continue;
        const auto display = readText(zone.get(), QStringLiteral("Display"));
        const auto bias = readBias(zone.get());
        if (!display || !bias)
            continue;
        unsorted.TZKeyNames.append(StripNul(name));
        unsorted.TZDisplayNames.append(*display);
        unsorted.biases.append(*bias);
    }

    std::vector<int> order(static_cast<size_t>(unsorted.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return unsorted.TZDisplayNames[a] < unsorted.TZDisplayNames[b]; });
    for (const int i : order) {
        table.TZKeyNames.append(unsorted.TZKeyNames[i]);
        table.TZDisplayNames.append(unsorted.TZDisplayNames[i]);
        table.biases.append(unsorted.biases[i]);
    }
    return table;
}

std::optional<qint32> readZoneBias(const QString& keyName)
{
    KeyHandle zone;
    if (keyName.isEmpty()
        || RegOpenKeyEx(HKEY_LOCAL_MACHINE, zoneDatabaseKey() + QLatin1Char('\\') + keyName, 0, kAllAccess, zone.out())
            != ERROR_SUCCESS)
        return std::nullopt;
    return readBias(zone.get());
}

DefaultZones readDefaultZones()
{
    DefaultZones zones;
    KeyHandle converter;
    if (openConverterKey(converter)) {
        if (const auto source = readText(converter.get(), QStringLiteral("DefaultSourceZone")))
            zones.source = *source;
        if (const auto target = readText(converter.get(), QStringLiteral("DefaultTargetZone"))) {
            zones.target = *target;
            zones.hasTarget = true;
        }
    }
    if (zones.source.isEmpty())
        zones.source = computersZone();
    return zones;
}

QString readDefaultSourceZone()
{
    KeyHandle converter;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kVnKey + QLatin1Char('\\') + kConverterKey, 0, KEY_QUERY_VALUE,
                     converter.out())
        == ERROR_SUCCESS) {
        const auto source = readText(converter.get(), QStringLiteral("DefaultSourceZone"));
        if (source && !source->isEmpty())
            return *source;
    }
    return computersZone();
}

qint32 saveDefaultTarget(const QString& keyName)
{
    KeyHandle converter;
    if (!openConverterKey(converter))
        return ERROR_ACCESS_DENIED;
    const QByteArray text = keyName.toUtf8();
    const qint32 result = RegSetValueEx(converter.get(), QStringLiteral("DefaultTargetZone"), 0, REG_SZ,
                                        text.constData(), static_cast<quint32>(text.size()));
    if (result == ERROR_SUCCESS)
        RegFlushKey(converter.get());
    return result;
}

} // namespace worldtime
