// The zone chooser's first calculation, a moment after the start, in a
// process whose zone database is not built yet: the database is built off the
// window thread and the calculation's values are stored in one write.
#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/openwatch.h"
#include "tests/support/testenv.h"
#include "tests/worldtime/worldtimehelpers.h"
#include "worldtime/tzdatabase.h"

#include <QApplication>
#include <QDir>
#include <QTest>

using testsupport::Form1Fixture;
using namespace worldtimetest;

class TestZoneStart : public QObject {
    Q_OBJECT
private slots:
    void theFirstCalculationLeavesTheDatabaseBuildToAWorker()
    {
        useRealZones();
        Form1Fixture f(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        Form1Fixture::setOption("VNNetAutoSync", "False");
        Form1* w = f.loadForm1();
        FrmTZ* tz = w->frmTZ();
        QVERIFY(!tz->isVisible());
        const QString settings = platform::settingsFilePath();
        const int writesBefore = testsupport::timesReplaced(settings);
        const QString registry = platform::registryFilePath(platform::HKEY_LOCAL_MACHINE);
        const int registryWritesBefore = testsupport::timesReplaced(registry);

        f.clock().advance(500);
        QTRY_COMPARE(Form1Fixture::option("DefaultTZVal", "<missing>"), QString("0"));
        QCOMPARE(Form1Fixture::option("VNTZname1"), list(tz, "List2")->currentItem()->text());
        QCOMPARE(Form1Fixture::option("VNTZval1"),
                 QString::number(tz->zoneTable().biases[list(tz, "List2")->currentRow()]));

        const QString zoneFolder = QDir(worldtime::tzFolder()).canonicalPath();
        QCOMPARE(testsupport::openedOnWindowThread(zoneFolder), QStringList());
        QVERIFY2(!testsupport::openedOnOtherThreads(zoneFolder).isEmpty(), "the zone folder was not seen read");
        // The calculation's three values, stored in one write; the converter's
        // keys, made on this first run, in one write too.
        QCOMPARE(testsupport::timesReplaced(settings) - writesBefore, 1);
        QCOMPARE(testsupport::timesReplaced(registry) - registryWritesBefore, 1);
        platform::registryReloadForTests();
        platform::HKEY vn = 0;
        QCOMPARE(platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", 0, 63, &vn), 0);
        QByteArray maker;
        QCOMPARE(platform::RegQueryValueEx(vn, QString(), nullptr, &maker), 0);
        QCOMPARE(maker, QByteArray("Orvane's Applications", 22));
        platform::HKEY converter = 0;
        QCOMPARE(platform::RegOpenKeyEx(vn, "TimeConverter", 0, 63, &converter), 0);
        platform::RegCloseKey(converter);
        platform::RegCloseKey(vn);
    }
};

VANTORA_TEST_MAIN(TestZoneStart)
#include "test_zonestart.moc"
