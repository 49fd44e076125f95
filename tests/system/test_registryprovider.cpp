#include "compat/win32/registry.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace platform;

namespace {

const QString kZones = QStringLiteral("SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\TIME ZONES");

// A small zone database: two zones with a display name and a 172-byte record.
class FakeZones : public RegistryProvider {
public:
    bool hasKey(const QString& path) const override
    {
        asked.append(QStringLiteral("key:") + path);
        return path.isEmpty() || zone(path) >= 0;
    }
    QStringList subKeys(const QString& path) const override
    {
        asked.append(QStringLiteral("subkeys:") + path);
        return path.isEmpty() ? QStringList{"Tokyo Standard Time", "GMT Standard Time"} : QStringList{};
    }
    std::optional<RegistryValue> value(const QString& path, const QString& name) const override
    {
        asked.append(QStringLiteral("value:") + path + '/' + name);
        const int index = zone(path);
        if (index < 0)
            return std::nullopt;
        if (name.compare("Display", Qt::CaseInsensitive) == 0)
            return RegistryValue{REG_SZ,
                                 index == 0 ? QByteArray("(GMT+09:00) Osaka, Sapporo, Tokyo")
                                            : QByteArray("(GMT) London\0", 13)};
        if (name.compare("TZI", Qt::CaseInsensitive) == 0) {
            QByteArray record(172, '\0');
            record[0] = static_cast<char>(index == 0 ? 0xe4 : 0x00); // -540 = 0xfffffde4
            record[1] = static_cast<char>(index == 0 ? 0xfd : 0x00);
            record[2] = static_cast<char>(index == 0 ? 0xff : 0x00);
            record[3] = static_cast<char>(index == 0 ? 0xff : 0x00);
            return RegistryValue{REG_BINARY, record};
        }
        return std::nullopt;
    }

    mutable QStringList asked;

private:
    static int zone(const QString& path)
    {
        if (path.compare("Tokyo Standard Time", Qt::CaseInsensitive) == 0)
            return 0;
        if (path.compare("GMT Standard Time", Qt::CaseInsensitive) == 0)
            return 1;
        return -1;
    }
};

HKEY openKey(HKEY root, const QString& path, qint32* result, quint32 sam = 63)
{
    HKEY key = 0;
    *result = RegOpenKeyEx(root, path, 0, sam, &key);
    return key;
}

} // namespace

class TestRegistryProvider : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::environment().wipe();
        registryReloadForTests();
        m_zones = std::make_shared<FakeZones>();
        registerRegistryProvider(HKEY_LOCAL_MACHINE, kZones, m_zones);
    }
    void cleanup() { unregisterRegistryProvider(HKEY_LOCAL_MACHINE, kZones); }

    void theSubtreeIsReadFromTheProvider()
    {
        qint32 result = -1;
        // Opened with all rights, as the zone chooser does.
        const HKEY zones = openKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
                                   &result);
        QCOMPARE(result, ERROR_SUCCESS);
        QString name;
        QCOMPARE(RegEnumKey(zones, 0, &name), ERROR_SUCCESS);
        QCOMPARE(name, QString("Tokyo Standard Time"));
        QCOMPARE(RegEnumKey(zones, 1, &name), ERROR_SUCCESS);
        QCOMPARE(RegEnumKey(zones, 2, &name), ERROR_NO_MORE_ITEMS);

        HKEY tokyo = 0;
        QCOMPARE(RegOpenKeyEx(zones, "tokyo standard time", 0, 63, &tokyo), ERROR_SUCCESS);
        QVERIFY(m_zones->asked.contains("key:tokyo standard time"));
        quint32 size = 0;
        QCOMPARE(RegQueryValueEx(tokyo, "Display", nullptr, nullptr, &size), ERROR_SUCCESS);
        // The provider gave the text without its NUL; the caller still sees one.
        QCOMPARE(size, 34u);
        QByteArray display(static_cast<qsizetype>(size), ' ');
        QCOMPARE(RegQueryValueEx(tokyo, "Display", nullptr, display.data(), &size), ERROR_SUCCESS);
        QCOMPARE(display, QByteArray("(GMT+09:00) Osaka, Sapporo, Tokyo", 34));

        QByteArray tzi(172, ' ');
        size = 172;
        quint32 type = 0;
        QCOMPARE(RegQueryValueEx(tokyo, "TZI", &type, tzi.data(), &size), ERROR_SUCCESS);
        QCOMPARE(type, REG_BINARY);
        QCOMPARE(qint32(quint8(tzi[0]) | quint8(tzi[1]) << 8 | quint8(tzi[2]) << 16 | quint32(quint8(tzi[3])) << 24),
                 -540);
        QCOMPARE(RegQueryValueEx(tokyo, "Dlt", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

        openKey(zones, "Mars Standard Time", &result);
        QCOMPARE(result, ERROR_FILE_NOT_FOUND);
    }

    void theProvidersParentsExist()
    {
        qint32 result = -1;
        const HKEY current = openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", &result,
                                     KEY_READ);
        QCOMPARE(result, ERROR_SUCCESS);
        QString name;
        QCOMPARE(RegEnumKey(current, 0, &name), ERROR_SUCCESS);
        QCOMPARE(name, QString("TIME ZONES"));
        QCOMPARE(RegEnumKey(current, 1, &name), ERROR_NO_MORE_ITEMS);

        const HKEY microsoft = openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft", &result, KEY_READ);
        QStringList names;
        for (quint32 i = 0; RegEnumKey(microsoft, i, &name) == ERROR_SUCCESS; ++i)
            names.append(name);
        // Stored keys and the way down to the provider, in one list.
        QCOMPARE(names, QStringList({"Windows", "WINDOWS NT"}));
        // Another root does not see it.
        openKey(HKEY_CURRENT_USER, kZones, &result);
        QCOMPARE(result, ERROR_FILE_NOT_FOUND);
    }

    void writesThereAreRefused()
    {
        qint32 result = -1;
        const HKEY zones = openKey(HKEY_LOCAL_MACHINE, kZones, &result, KEY_ALL_ACCESS);
        const HKEY tokyo = openKey(zones, "Tokyo Standard Time", &result, KEY_ALL_ACCESS);
        QCOMPARE(result, ERROR_SUCCESS);
        QCOMPARE(RegSetValueEx(tokyo, "Display", 0, REG_SZ, "x", 2), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteValue(tokyo, "Display"), ERROR_ACCESS_DENIED);
        HKEY created = 0;
        quint32 disposition = 0;
        QCOMPARE(RegCreateKeyEx(zones, "New Zone", 0, KEY_ALL_ACCESS, &created, &disposition), ERROR_ACCESS_DENIED);
        // Creating a key the provider has only opens it.
        QCOMPARE(RegCreateKeyEx(zones, "GMT Standard Time", 0, KEY_ALL_ACCESS, &created, &disposition), ERROR_SUCCESS);
        QCOMPARE(disposition, REG_OPENED_EXISTING_KEY);
        QVERIFY(!QFile::exists(registryFilePath(HKEY_LOCAL_MACHINE)));

        // Next to the subtree, writing goes on as usual.
        const HKEY current = openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", &result);
        QCOMPARE(RegSetValueEx(current, "Owner", 0, REG_SZ, "me", 3), ERROR_SUCCESS);
    }

    void unregisteringRemovesTheSubtree()
    {
        unregisterRegistryProvider(HKEY_LOCAL_MACHINE, kZones.toLower());
        qint32 result = -1;
        openKey(HKEY_LOCAL_MACHINE, kZones, &result);
        QCOMPARE(result, ERROR_FILE_NOT_FOUND);
        openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT", &result);
        QCOMPARE(result, ERROR_FILE_NOT_FOUND);
    }

private:
    std::shared_ptr<FakeZones> m_zones;
};

VANTORA_TEST_MAIN(TestRegistryProvider)
#include "test_registryprovider.moc"
