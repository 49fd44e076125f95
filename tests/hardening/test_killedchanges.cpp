// The zone chooser's Add and Delete and "Reset All VN Settings" killed at
// random moments: the settings file always holds the whole change or none.

#include "core/mainwin.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/settings/settingsfile.h"
#include "tests/support/killloop.h"
#include "tests/support/testenv.h"
#include "worldtime/zoneentries.h"

#include <QFile>
#include <QSet>
#include <QTest>

#include <unistd.h>

using namespace testsupport;

namespace {

using platform::kOptions;
int rounds() { return iterations(200, 25); }

// Every field of a zone entry tells the zone it belongs to.
worldtime::ZoneEntry zoneEntry(qint64 zone)
{
    const QString z = QString::number(zone);
    return worldtime::ZoneEntry{z, z, QStringLiteral("N") + z, QStringLiteral("-") + z, QStringLiteral("Zone ") + z};
}

platform::SettingsSections storedSections()
{
    QFile file(platform::settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return platform::parseSettingsFile(file.readAll()).sections;
}

// Deletes and adds zones without end.
[[noreturn]] void changeZonesForever()
{
    const qint64 base = qint64(::getpid()) * 1000000;
    for (qint64 i = 0;; ++i) {
        const int count = worldtime::storedZoneCount();
        if (count == worldtime::kMaxZones)
            worldtime::removeEntry(1 + int(i % count), count);
        else
            worldtime::appendEntry(count, zoneEntry(base + i));
        reportChangeDone();
    }
}

const QList<QPair<QString, QString>> kUsersOptions{
    {"FirstUse2", "False"}, {"AlarmTime", "07:30"}, {"Alarmsound", "True"},     {"LastTZAdd", "1"},
    {"VNTZname1", "Tokyo"}, {"VNTZval1", "-540"},   {"LastTZAddName1", "Tokyo"}};

// Stores the user's options and resets them, without end; the parent's kill
// falls inside the one or the other.
[[noreturn]] void resetForever()
{
    for (;;) {
        {
            const platform::SettingsBatch batch;
            platform::saveSettings(kOptions, kUsersOptions);
            platform::saveSetting("ScreenSaver", "Pos", "2");
        }
        reportChangeDone();
        MainWin::resetStoredSettings();
        reportChangeDone();
    }
}

// What is wrong with the zone table in the file, or "".
QString zoneTableProblem()
{
    const platform::SettingsSection options = storedSections().value(kOptions);
    const int count = options.value("LastTZAdd", "0").toInt();
    QSet<QString> names;
    for (int i = 1; i <= worldtime::kMaxZones; ++i) {
        const QStringList keys = worldtime::entryKeys(i);
        QStringList fields;
        for (const QString& key : keys)
            fields << options.value(key);
        if (i > count) {
            if (!fields.join("").isEmpty())
                return QStringLiteral("entry %1 of %2 is not empty: %3").arg(i).arg(count).arg(fields.join(','));
            continue;
        }
        const worldtime::ZoneEntry expected = zoneEntry(fields[1].toLongLong());
        if (fields != QStringList{fields[0], expected.listIndex, expected.shortName, expected.bias, expected.display})
            return QStringLiteral("entry %1 mixes zones: %2").arg(i).arg(fields.join(','));
        names.insert(fields[2]);
    }
    return names.size() == count ? QString() : QStringLiteral("a zone is listed twice");
}

QString resetProblem()
{
    const platform::SettingsSections sections = storedSections();
    const platform::SettingsSection options = sections.value(kOptions);
    if (options.value("FirstUse2") != QLatin1String("False"))
        return QStringLiteral("the licence would come back");
    const bool reset = options.size() == 1 && !sections.contains("ScreenSaver");
    bool full = sections.value("ScreenSaver").value("Pos") == QLatin1String("2");
    for (const auto& [key, value] : kUsersOptions)
        full = full && options.value(key) == value;
    return reset || full ? QString() : QStringLiteral("a half reset: %1 options").arg(options.size());
}

} // namespace

class TestKilledChanges : public QObject {
    Q_OBJECT
private slots:
    void init() { environment().wipe(); }

    void aKilledZoneDeleteOrAddLeavesAWholeTable()
    {
        for (int zone = 1; zone <= worldtime::kMaxZones; ++zone)
            worldtime::appendEntry(zone - 1, zoneEntry(zone));
        QCOMPARE(zoneTableProblem(), QString());
        QSet<int> counts;
        const QString problem = killInsideChanges("zones", rounds(), [&] {
            counts.insert(storedSections().value(kOptions).value("LastTZAdd").toInt());
            return zoneTableProblem();
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(counts.contains(4) && counts.contains(5)); // kills fell on both sides of a change
    }

    void aKilledResetNeverBringsTheLicenceBack()
    {
        int resets = 0;
        const QString problem = killInsideChanges("reset", rounds(), [&] {
            resets += storedSections().value(kOptions).size() == 1 ? 1 : 0;
            return resetProblem();
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(resets > 0 && resets < rounds());
    }
};

int main(int argc, char** argv)
{
    // A child writes into the parent's temporary home, which it inherits.
    const QString role = killChildRole();
    if (role == QLatin1String("zones"))
        changeZonesForever();
    if (role == QLatin1String("reset"))
        resetForever();
    environment();
    QApplication app(argc, argv);
    TestKilledChanges tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_killedchanges.moc"
