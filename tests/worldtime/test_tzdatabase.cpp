#include "worldtime/tzdatabase.h"
#include "worldtime/tzlinks.h"
#include "worldtime/zoneregistry.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace worldtime;

namespace {

const QDateTime kWinter(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

QByteArray word(int v) { return QByteArray(1, static_cast<char>(v & 0xFF)) + QByteArray(1, static_cast<char>(v >> 8)); }
QByteArray int32(qint32 v)
{
    const auto u = static_cast<quint32>(v);
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
    return out;
}
// A change date "n-th weekday of the month" as the record holds it.
QByteArray changeDate(int month, int weekday, int week, int hour)
{
    return word(0) + word(month) + word(weekday) + word(week) + word(hour) + word(0) + word(0) + word(0);
}

// Copies zone files of the system's tz folder into a folder of our own.
void copyZone(const QString& into, const QString& name)
{
    const QString target = into + '/' + name;
    QDir().mkpath(QFileInfo(target).path());
    QVERIFY(QFile::copy(QFileInfo(tzFolder() + '/' + name).canonicalFilePath(), target));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList idsOf(const TzDatabase& db)
{
    QStringList ids;
    for (const TzZone& z : db.zones())
        ids.append(z.windowsId);
    ids.sort();
    return ids;
}

// Runs with $TZ set, then puts the old value back.
class ZoneEnvironment {
public:
    explicit ZoneEnvironment(const QByteArray& tz) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", tz);
    }
    ~ZoneEnvironment()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestTzDatabase : public QObject {
    Q_OBJECT
private slots:
    void theSystemFolderGivesEveryWindowsZoneOnce()
    {
        const TzDatabase db = TzDatabase::build(tzFolder(), kWinter);
        QVERIFY2(db.zones().size() >= 120 && db.zones().size() <= 160, qPrintable(QString::number(db.zones().size())));
        QSet<QString> ids;
        QSet<QString> displays;
        for (const TzZone& z : db.zones()) {
            ids.insert(z.windowsId.toLower());
            displays.insert(z.display);
            QVERIFY2(z.zone.isValid(), qPrintable(z.windowsId));
        }
        QCOMPARE(ids.size(), db.zones().size());
        QCOMPARE(displays.size(), db.zones().size());
        // The zones that Qt's own list of zones leaves out on this system.
        for (const char* id :
             {"India Standard Time", "Nepal Standard Time", "UTC", "Dateline Standard Time", "Greenland Standard Time"})
            QVERIFY2(db.find(id), id);
    }

    void displayNames_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("display");
        QTest::newRow("Tokyo") << "Tokyo Standard Time"
                               << "(UTC+09:00) Tokyo, Dili, Jayapura, Palau";
        QTest::newRow("UTC") << "UTC"
                             << "(UTC) Coordinated Universal Time";
        QTest::newRow("no city") << "Dateline Standard Time"
                                 << "(UTC-12:00) Dateline Standard Time";
        QTest::newRow("renamed city") << "India Standard Time"
                                      << "(UTC+05:30) Kolkata";
        QTest::newRow("quarter hour") << "Nepal Standard Time"
                                      << "(UTC+05:45) Kathmandu";
        QTest::newRow("west, half hour") << "Newfoundland Standard Time"
                                         << "(UTC-03:30) St Johns";
        QTest::newRow("zero offset") << "Greenwich Standard Time"
                                     << "(UTC+00:00) Reykjavik, Abidjan, Accra, Bamako";
        QTest::newRow("default not first alphabetically") << "Eastern Standard Time"
                                                          << "(UTC-05:00) New York, Detroit, Iqaluit, Louisville";
    }
    void displayNames()
    {
        QFETCH(QString, id);
        QFETCH(QString, display);
        const TzDatabase db = TzDatabase::build(tzFolder(), kWinter);
        QVERIFY(db.find(id));
        QCOMPARE(db.find(id)->display, display);
        QCOMPARE(db.find(id.toUpper())->windowsId, id);
    }

    void biasIsMinusTheStandardOffset_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("bias");
        QTest::newRow("Tokyo") << "Tokyo Standard Time" << -540;
        QTest::newRow("Kolkata") << "India Standard Time" << -330;
        QTest::newRow("Kathmandu") << "Nepal Standard Time" << -345;
        QTest::newRow("St John's") << "Newfoundland Standard Time" << 210;
        QTest::newRow("Chatham") << "Chatham Islands Standard Time" << -765;
        QTest::newRow("New York in summer too") << "Eastern Standard Time" << 300;
    }
    void biasIsMinusTheStandardOffset()
    {
        QFETCH(QString, id);
        QFETCH(int, bias);
        for (const QDateTime& at : {kWinter, QDateTime(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC)}) {
            const TzDatabase db = TzDatabase::build(tzFolder(), at);
            const QByteArray record = db.tzi(*db.find(id));
            QCOMPARE(record.size(), 44);
            QCOMPARE(tziBias(record), bias);
        }
    }

    void recordOfANorthernZoneWithDaylightSaving()
    {
        // 2026 in New York: daylight from Sun 8 March 02:00, standard from Sun 1 November 02:00.
        const QByteArray record = tziRecord(QTimeZone("America/New_York"), kWinter);
        const QByteArray expected = int32(300) + int32(0) + int32(-60) + changeDate(11, 0, 1, 2)
            + changeDate(3, 0, 2, 2);
        QCOMPARE(record.toHex(), expected.toHex());
    }

    void recordOfASouthernZoneUsesTheLastWeek()
    {
        // 2026 in Sydney: standard from Sun 5 April 03:00 (daylight clock), daylight from Sun 4 October 02:00.
        // In London the changes fall on the last Sundays of March and October: week 5.
        QCOMPARE(tziRecord(QTimeZone("Australia/Sydney"), kWinter).toHex(),
                 (int32(-600) + int32(0) + int32(-60) + changeDate(4, 0, 1, 3) + changeDate(10, 0, 1, 2)).toHex());
        QCOMPARE(tziRecord(QTimeZone("Europe/London"), kWinter).toHex(),
                 (int32(0) + int32(0) + int32(-60) + changeDate(10, 0, 5, 2) + changeDate(3, 0, 5, 1)).toHex());
    }

    void recordWithoutDaylightSavingHasNoDates()
    {
        QCOMPARE(tziRecord(QTimeZone("Asia/Tokyo"), kWinter).toHex(), (int32(-540) + QByteArray(40, '\0')).toHex());
        QCOMPARE(tziRecord(QTimeZone("Pacific/Chatham"), kWinter).left(4), int32(-765));
    }

    void aFolderOfAFewZonesGivesExactlyTheirZones()
    {
        QTemporaryDir dir;
        for (const char* name : {"Asia/Tokyo", "Asia/Kolkata", "America/St_Johns", "Pacific/Chatham", "Etc/UTC"})
            copyZone(dir.path(), name);
        copyZone(dir.path(), "Asia/Kathmandu");
        QDir().mkpath(dir.path() + "/posix/Europe");
        copyZone(dir.path(), "posix/Europe/Paris"); // another kind of data: skipped
        writeFile(dir.path() + "/zone.tab", "JP\t+353916+1394441\tAsia/Tokyo\n");

        // Without the links, the mapping knows Kolkata only as Calcutta and
        // Kathmandu only as Katmandu.
        const TzDatabase bare = TzDatabase::build(dir.path(), kWinter);
        QCOMPARE(
            idsOf(bare),
            QStringList({"Chatham Islands Standard Time", "Newfoundland Standard Time", "Tokyo Standard Time", "UTC"}));
        QCOMPARE(bare.find("Tokyo Standard Time")->display, QString("(UTC+09:00) Tokyo"));

        writeFile(dir.path() + "/tzdata.zi",
                  "# version 2026f\nZ Asia/Kolkata 5:53:28 - LMT 1854 Jun 28\n"
                  "L Asia/Kolkata Asia/Calcutta\nL Asia/Kathmandu Asia/Katmandu\n");
        const TzDatabase linked = TzDatabase::build(dir.path(), kWinter);
        QVERIFY(linked.find("India Standard Time"));
        QCOMPARE(linked.find("India Standard Time")->display, QString("(UTC+05:30) Kolkata"));
        QCOMPARE(linked.find("Nepal Standard Time")->display, QString("(UTC+05:45) Kathmandu"));
        QCOMPARE(linked.zones().size(), 6);
    }

    void symbolicLinksOfTheFolderCountAsLinks()
    {
        QTemporaryDir dir;
        copyZone(dir.path(), "Europe/Kyiv");
        QVERIFY(QFile::link("Kyiv", dir.path() + "/Europe/Kiev"));
        const TzDatabase db = TzDatabase::build(dir.path(), kWinter);
        QVERIFY(db.find("FLE Standard Time"));
        QCOMPARE(db.find("FLE Standard Time")->display, QString("(UTC+02:00) Kyiv"));
    }

    void aMissingFolderGivesNoZones()
    {
        QVERIFY(TzDatabase::build("/nonexistent/zoneinfo", kWinter).zones().isEmpty());
    }

    void zoneOfFindsTheWindowsZone_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("id");
        QTest::newRow("mapped name") << QByteArray("Asia/Tokyo") << "Tokyo Standard Time";
        QTest::newRow("renamed") << QByteArray("Asia/Kolkata") << "India Standard Time";
        QTest::newRow("renamed in Europe") << QByteArray("Europe/Kyiv") << "FLE Standard Time";
        QTest::newRow("UTC") << QByteArray("UTC") << "UTC";
        QTest::newRow("POSIX rule") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << "Eastern Standard Time";
        QTest::newRow("POSIX offset") << QByteArray("<+0530>-5:30") << "India Standard Time";
    }
    void zoneOfFindsTheWindowsZone()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, id);
        const TzDatabase db = TzDatabase::build(tzFolder(), kWinter);
        const QTimeZone tz(zone);
        QVERIFY(tz.isValid());
        QVERIFY(db.zoneOf(tz));
        QCOMPARE(db.zoneOf(tz)->windowsId, id);
    }

    void offsetTexts()
    {
        QCOMPARE(offsetText(9 * 3600), QString("(UTC+09:00)"));
        QCOMPARE(offsetText(-(3 * 3600 + 1800)), QString("(UTC-03:30)"));
        QCOMPARE(offsetText(0), QString("(UTC+00:00)"));
        QCOMPARE(offsetText(12 * 3600 + 45 * 60), QString("(UTC+12:45)"));
    }

    void homeZoneFromTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bias");
        QTest::addColumn<quint32>("result");
        QTest::newRow("Tokyo") << QByteArray("Asia/Tokyo") << "Tokyo Standard Time" << -540 << TIME_ZONE_ID_UNKNOWN;
        QTest::newRow("Kyiv, winter") << QByteArray("Europe/Kyiv") << "FLE Standard Time" << -120
                                      << TIME_ZONE_ID_STANDARD;
        QTest::newRow("UTC") << QByteArray("UTC") << "UTC" << 0 << TIME_ZONE_ID_UNKNOWN;
        // An offset no Windows zone has: "UTC", with the zone's own bias.
        QTest::newRow("nothing maps") << QByteArray("<+0317>-3:17") << "UTC" << -197 << TIME_ZONE_ID_UNKNOWN;
    }
    void homeZoneFromTheEnvironment()
    {
        QFETCH(QByteArray, tz);
        QFETCH(QString, name);
        QFETCH(int, bias);
        QFETCH(quint32, result);
        ZoneEnvironment env(tz);
        TIME_ZONE_INFORMATION info;
        QCOMPARE(GetTimeZoneInformation(&info), result);
        QCOMPARE(info.StandardName, name);
        QCOMPARE(info.Bias, bias);
        QCOMPARE(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
    }
};

class TestTzLinks : public QObject {
    Q_OBJECT
private slots:
    void readsLinkLinesOnly()
    {
        const TzLinks links = TzLinks::parse("# tzdb data\n"
                                             "R Z 1940 o - Jun 1 0 1 D\n"
                                             "Z Asia/Kolkata 5:53:28 - LMT 1854 Jun 28\n"
                                             "L Asia/Kolkata Asia/Calcutta\n"
                                             "L\tEurope/Kyiv\tEurope/Kiev # renamed 2022\r\n"
                                             "L Europe/Kyiv Europe/Zaporozhye\n"
                                             "L Etc/UTC UTC\n"
                                             "L onlyone\n"
                                             "L a b c\n"
                                             "L ../../etc/passwd Asia/Evil\n"
                                             "L Asia/Self Asia/Self\n");
        QCOMPARE(links.size(), 4);
        QCOMPARE(links.canonical("Asia/Calcutta"), QString("Asia/Kolkata"));
        QCOMPARE(links.canonical("Europe/Kiev"), QString("Europe/Kyiv"));
        QCOMPARE(links.canonical("UTC"), QString("Etc/UTC"));
        QCOMPARE(links.canonical("Asia/Evil"), QString("Asia/Evil"));
        QCOMPARE(links.namesOf("Europe/Zaporozhye"), QStringList({"Europe/Kyiv", "Europe/Kiev", "Europe/Zaporozhye"}));
        QCOMPARE(links.namesOf("Asia/Tokyo"), QStringList({"Asia/Tokyo"}));
    }

    void linksOfLinksAndLoopsEnd()
    {
        TzLinks links;
        links.addLink("B", "A");
        links.addLink("C", "B");
        QCOMPARE(links.canonical("A"), QString("C"));
        QCOMPARE(links.namesOf("A"), QStringList({"C", "A", "B"}));
        links.addLink("A", "C"); // now a loop
        links.canonical("A");    // ends
        QVERIFY(links.namesOf("B").size() <= 3);
    }

    void aLinkNamedAgainPointsAtItsNewTarget()
    {
        const TzLinks links = TzLinks::parse("L X/One Y/Alias\nL X/Two Y/Alias\n");
        QCOMPARE(links.canonical("Y/Alias"), QString("X/Two"));
        QCOMPARE(links.namesOf("X/One"), QStringList({"X/One"}));
    }

    void zoneNames()
    {
        QVERIFY(isZoneName("America/Argentina/San_Luis"));
        QVERIFY(isZoneName("Etc/GMT+12"));
        QVERIFY(isZoneName("EST5EDT"));
        QVERIFY(!isZoneName(""));
        QVERIFY(!isZoneName("zone.tab"));
        QVERIFY(!isZoneName("Asia//Tokyo"));
        QVERIFY(!isZoneName("/Asia/Tokyo"));
        QVERIFY(!isZoneName("Asia/../Tokyo"));
        QVERIFY(!isZoneName(QString(300, 'a')));
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    TestTzDatabase db;
    TestTzLinks links;
    return QTest::qExec(&db, argc, argv) | QTest::qExec(&links, argc, argv);
}

#include "test_tzdatabase.moc"
