#include "platform/settings/settings.h"
#include "compat/win32/registry.h"
#include "tests/support/testenv.h"
#include "worldtime/zoneentries.h"
#include "worldtime/zoneregistry.h"
#include "worldtime/zonetable.h"
#include "worldtime/zonetime.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace worldtime;

namespace {

QByteArray record(qint32 bias)
{
    QByteArray r(44, '\0');
    const auto u = static_cast<quint32>(bias);
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return r;
}

// A zone database of our own: key -> (display, record); an empty display
// or record stands for a value that is missing.
class FakeZones : public platform::RegistryProvider {
public:
    QList<std::tuple<QString, QByteArray, QByteArray>> zones;

    bool hasKey(const QString& path) const override { return path.isEmpty() || find(path) >= 0; }
    QStringList subKeys(const QString& path) const override
    {
        QStringList names;
        if (path.isEmpty())
            for (const auto& z : zones)
                names << std::get<0>(z);
        return names;
    }
    std::optional<platform::RegistryValue> value(const QString& path, const QString& name) const override
    {
        const int i = find(path);
        if (i < 0)
            return std::nullopt;
        const QByteArray& data = name == "Display" ? std::get<1>(zones[i]) : std::get<2>(zones[i]);
        if (data.isNull())
            return std::nullopt;
        return platform::RegistryValue{name == "Display" ? platform::REG_SZ : platform::REG_BINARY, data};
    }

private:
    int find(const QString& path) const
    {
        for (int i = 0; i < zones.size(); ++i)
            if (std::get<0>(zones[i]).compare(path, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
};

QString option(const QString& key) { return platform::getSetting("Options", key, "<missing>"); }
void setOption(const QString& key, const QString& value) { platform::saveSetting("Options", key, value); }

void storeEntries(int count)
{
    setOption("LastTZAdd", QString::number(count));
    for (int i = 1; i <= count; ++i) {
        const ZoneEntry e{QString::number(i), QString::number(10 + i), QString("N%1").arg(i), QString::number(60 * i),
                          QString("zone %1").arg(i)};
        writeEntry(i, e, writeOption);
    }
}

// Whether the stored table can be shown: a count of 0..5 and, for each
// entry, a name and a number.
bool readableTable()
{
    bool ok = false;
    const int n = option("LastTZAdd").toInt(&ok);
    if (!ok || n < 0 || n > 5)
        return false;
    for (int i = 1; i <= n; ++i) {
        const ZoneEntry e = readEntry(i);
        if (e.shortName.isEmpty() || e.display.isEmpty() || !parseBias(e.bias))
            return false;
    }
    return true;
}

} // namespace

class TestZoneTable : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::environment().wipe();
        platform::registryReloadForTests();
        m_zones = std::make_shared<FakeZones>();
        platform::registerRegistryProvider(platform::HKEY_LOCAL_MACHINE, zoneDatabaseKey(), m_zones);
    }
    void cleanup() { platform::unregisterRegistryProvider(platform::HKEY_LOCAL_MACHINE, zoneDatabaseKey()); }

    void sortedByCodeUnitWithUnreadableZonesLeftOut()
    {
        m_zones->zones = {
            {"b zone", QByteArray("(UTC+01:00) beta\0", 17), record(-60)},
            {"A zone", QByteArray("(UTC+01:00) Beta"), record(-61)},
            {"no display", QByteArray(), record(0)},
            {"no record", QByteArray("(UTC) nothing"), QByteArray()},
            {"short record", QByteArray("(UTC) short"), QByteArray("\x01\x02", 2)},
            {"c zone", QByteArray("(UTC) Coordinated"), record(0)},
            {"west", QByteArray("(UTC-05:00) West"), record(300)},
        };
        const ZoneTable table = LoadZoneTable();
        QVERIFY(table.opened);
        QCOMPARE(table.TZDisplayNames,
                 QStringList({"(UTC) Coordinated", "(UTC+01:00) Beta", "(UTC+01:00) beta", "(UTC-05:00) West"}));
        QCOMPARE(table.TZKeyNames, QStringList({"c zone", "A zone", "b zone", "west"}));
        QCOMPARE(table.biases, QList<qint32>({0, -61, -60, 300}));
        QCOMPARE(readZoneBias("WEST"), std::optional<qint32>(300));
        QCOMPARE(readZoneBias("no record"), std::nullopt);
        QCOMPARE(readZoneBias(""), std::nullopt);
    }

    void noDatabaseKey()
    {
        platform::unregisterRegistryProvider(platform::HKEY_LOCAL_MACHINE, zoneDatabaseKey());
        const ZoneTable table = LoadZoneTable();
        QVERIFY(!table.opened);
        QCOMPARE(table.size(), 0);
    }

    void stripNul()
    {
        QCOMPARE(StripNul(QString::fromLatin1("Tokyo\0junk", 10)), QString("Tokyo"));
        QCOMPARE(StripNul(QString::fromLatin1("\0Tokyo", 6)), QString());
        QCOMPARE(StripNul("  Tokyo  "), QString("Tokyo"));
        QCOMPARE(StripNul(QString::fromLatin1(" a \0", 4)), QString(" a "));
    }

    void theConverterKeyIsMadeOnceWithItsMark()
    {
        const DefaultZones first = readDefaultZones();
        QCOMPARE(first.source, QString("UTC")); // the computer's zone: the tests run in UTC
        QVERIFY(!first.hasTarget);
        platform::HKEY vn = 0;
        QCOMPARE(platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", 0, 63, &vn), 0);
        QByteArray mark;
        QCOMPARE(platform::RegQueryValueEx(vn, "", nullptr, &mark), 0);
        QCOMPARE(mark, QByteArray("Orvane's Applications", 22)); // with its terminator
        // An existing key's default value is left alone.
        QCOMPARE(platform::RegSetValueEx(vn, "", 0, platform::REG_SZ, "mine", 4), 0);
        platform::RegCloseKey(vn);

        QCOMPARE(saveDefaultTarget("Tokyo Standard Time"), 0);
        platform::HKEY conv = 0;
        platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter", 0, 63, &conv);
        const QByteArray source("India Standard Time");
        platform::RegSetValueEx(conv, "DefaultSourceZone", 0, platform::REG_SZ, source.constData(), source.size());
        platform::RegCloseKey(conv);
        const DefaultZones second = readDefaultZones();
        QCOMPARE(second.source, QString("India Standard Time"));
        QCOMPARE(second.target, QString("Tokyo Standard Time"));
        QVERIFY(second.hasTarget);
        platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", 0, 63, &vn);
        platform::RegQueryValueEx(vn, "", nullptr, &mark);
        platform::RegCloseKey(vn);
        QCOMPARE(mark, QByteArray("mine", 5));
    }

private:
    std::shared_ptr<FakeZones> m_zones;
};

class TestZoneEntries : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::environment().wipe(); }

    void theCountIsAlwaysUsable_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("count");
        QTest::newRow("missing") << QString() << 0;
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("too many") << "6" << 5;
        QTest::newRow("huge") << "99999999999" << 0;
        QTest::newRow("negative") << "-1" << 0;
        QTest::newRow("text") << "abc" << 0;
        QTest::newRow("rounded") << "2.5" << 2;
    }
    void theCountIsAlwaysUsable()
    {
        QFETCH(QString, stored);
        QFETCH(int, count);
        if (!stored.isNull())
            setOption("LastTZAdd", stored);
        QCOMPARE(storedZoneCount(), count);
    }

    void keysHaveNoBlank()
    {
        QCOMPARE(entryKeys(3), QStringList({"LastTZAdd3", "LastTZAddID3", "LastTZAddName3", "VNTZval3", "VNTZname3"}));
    }

    void removingShiftsFirstThenCountsThenClears()
    {
        storeEntries(4);
        QStringList writes;
        const int n = removeEntry(2, 4, [&](const QString& key, const QString& value) {
            writes << key;
            writeOption(key, value);
        });
        QCOMPARE(n, 3);
        QCOMPARE(writes.indexOf("LastTZAdd"), 10);
        QCOMPARE(writes.mid(0, 10), entryKeys(2) + entryKeys(3));
        QCOMPARE(writes.mid(11), entryKeys(4));
        QCOMPARE(readEntry(2).shortName, QString("N3"));
        QCOMPARE(readEntry(3).display, QString("zone 4"));
        QCOMPARE(readEntry(4).shortName, QString());
        QCOMPARE(option("LastTZAdd"), QString("3"));
    }

    void anEndAtAnyPointOfARemovalLeavesAReadableTable()
    {
        storeEntries(4);
        QList<QPair<QString, QString>> writes;
        removeEntry(1, 4, [&](const QString& key, const QString& value) { writes.append({key, value}); });
        for (int stop = 0; stop <= writes.size(); ++stop) {
            testsupport::environment().wipe();
            storeEntries(4);
            for (int i = 0; i < stop; ++i)
                writeOption(writes[i].first, writes[i].second);
            QVERIFY2(readableTable(), qPrintable(QString("ended after %1 writes").arg(stop)));
        }
    }

    void anEndAtAnyPointOfAnAddLeavesAReadableTable()
    {
        storeEntries(2);
        const ZoneEntry e{"3", "7", "NEW", "-540", "(UTC+09:00) Tokyo"};
        QList<QPair<QString, QString>> writes;
        QCOMPARE(appendEntry(2, e, [&](const QString& key, const QString& value) { writes.append({key, value}); }), 3);
        QCOMPARE(writes.last().first, QString("LastTZAdd"));
        for (int stop = 0; stop <= writes.size(); ++stop) {
            testsupport::environment().wipe();
            storeEntries(2);
            for (int i = 0; i < stop; ++i)
                writeOption(writes[i].first, writes[i].second);
            QVERIFY(readableTable());
        }
        QCOMPARE(readEntry(3).shortName, QString("NEW"));
    }

    void noSixthEntryAndNoEntryOutsideTheTable()
    {
        storeEntries(5);
        QCOMPARE(appendEntry(5, ZoneEntry{"6", "1", "X", "0", "x"}), 5);
        QCOMPARE(option("VNTZval6"), QString("<missing>"));
        QCOMPARE(removeEntry(0, 5), 5);
        QCOMPARE(removeEntry(6, 5), 5);
        QCOMPARE(option("LastTZAdd"), QString("5"));
    }

    void removingTheLastEntry()
    {
        storeEntries(2);
        QCOMPARE(removeEntry(2, 2), 1);
        QCOMPARE(readEntry(1).shortName, QString("N1"));
        QCOMPARE(readEntry(2).bias, QString());
    }

    void writeOptionLeavesEqualValuesAlone()
    {
        setOption("TZFormat", "dd mm yyyy");
        const QByteArray before = QFile(platform::settingsFilePath()).exists() ? QByteArray("x") : QByteArray();
        QVERIFY(!before.isEmpty());
        // An old stamp: any rewrite would show as a newer one.
        const QDateTime stamp = QDateTime::currentDateTime().addSecs(-3600);
        {
            QFile store(platform::settingsFilePath());
            QVERIFY(store.open(QIODevice::ReadWrite));
            QVERIFY(store.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        writeOption("TZFormat", "dd mm yyyy");
        writeOption("NeverStored", "");
        QCOMPARE(QFileInfo(platform::settingsFilePath()).lastModified(), stamp);
        QCOMPARE(option("NeverStored"), QString("<missing>"));
    }
};

class TestZoneArithmetic : public QObject {
    Q_OBJECT
private slots:
    void biases_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bias");
        QTest::addColumn<bool>("readable");
        QTest::newRow("east") << "-540" << -540 << true;
        QTest::newRow("west") << "300" << 300 << true;
        QTest::newRow("blanks") << " 60 " << 60 << true;
        QTest::newRow("edge") << "1440" << 1440 << true;
        QTest::newRow("beyond a day") << "1441" << 0 << false;
        QTest::newRow("far beyond") << "-100000" << 0 << false;
        QTest::newRow("overflow") << "1E99" << 0 << false;
        QTest::newRow("text") << "abc" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
    }
    void biases()
    {
        QFETCH(QString, text);
        QFETCH(int, bias);
        QFETCH(bool, readable);
        const auto parsed = parseBias(text);
        QCOMPARE(parsed.has_value(), readable);
        if (readable)
            QCOMPARE(*parsed, bias);
    }

    void biasArithmeticIsWallClockArithmetic()
    {
        // 29 March 2026 in Berlin: the clock jumps from 02:00 to 03:00. Minutes
        // added to the wall clock must not jump with it.
        const QDateTime berlinNight(QDate(2026, 3, 29), QTime(1, 30), QTimeZone("Europe/Berlin"));
        QCOMPARE(zoneTimeByBias(berlinNight, -60, -120), QDateTime(QDate(2026, 3, 29), QTime(2, 30), Qt::UTC));
        QCOMPARE(zoneTimeByBias(berlinNight, -60, 660),
                 QDateTime(QDate(2026, 3, 28), QTime(13, 30), Qt::UTC)); // across midnight backwards
        QCOMPARE(addWallMinutes(QDateTime(QDate(2026, 12, 31), QTime(23, 0), Qt::UTC), 2880),
                 QDateTime(QDate(2027, 1, 2), QTime(23, 0), Qt::UTC));
    }

    void rulesIncludeDaylightSaving()
    {
        const QDateTime summer(QDate(2026, 7, 15), QTime(12, 0), Qt::UTC);
        const QDateTime winter(QDate(2026, 12, 15), QTime(12, 0), Qt::UTC);
        const QTimeZone ny("America/New_York");
        QCOMPARE(zoneTimeByRules(summer, ny), QDateTime(QDate(2026, 7, 15), QTime(8, 0), Qt::UTC));
        QCOMPARE(zoneTimeByRules(winter, ny), QDateTime(QDate(2026, 12, 15), QTime(7, 0), Qt::UTC));
    }

    void theOffsetCacheFollowsTheChanges()
    {
        ZoneOffsetCache london(QTimeZone("Europe/London"));
        // The change of 29 March 2026 at 01:00 UTC, asked second by second and then back again.
        const QDateTime change(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
        for (int s = -3; s < 3; ++s) {
            const QDateTime at = change.addSecs(s);
            QCOMPARE(london.wallClockAt(at), at.addSecs(s < 0 ? 0 : 3600));
        }
        QCOMPARE(london.wallClockAt(change.addSecs(-1)), change.addSecs(-1));
        QCOMPARE(london.wallClockAt(change.addDays(200)), change.addDays(200).addSecs(3600));
        QCOMPARE(london.wallClockAt(change.addDays(250)), change.addDays(250)); // back on GMT
        QCOMPARE(london.offsetAt(change.addDays(100).toMSecsSinceEpoch()), 3600);
        ZoneOffsetCache tokyo(QTimeZone("Asia/Tokyo"));
        QCOMPARE(tokyo.offsetAt(change.toMSecsSinceEpoch()), 9 * 3600);
        QCOMPARE(tokyo.offsetAt(change.addYears(30).toMSecsSinceEpoch()), 9 * 3600);
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    int failed = 0;
    {
        TestZoneTable t;
        failed |= QTest::qExec(&t, argc, argv);
    }
    {
        TestZoneEntries t;
        failed |= QTest::qExec(&t, argc, argv);
    }
    {
        TestZoneArithmetic t;
        failed |= QTest::qExec(&t, argc, argv);
    }
    return failed;
}

#include "test_zonelogic.moc"
