// Runs with TZ=Asia/Kolkata (set by CTest): a zone that Qt's Windows-id
// mapping knows only under its old name.
#include "mainwindow/form1.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/worldtime/worldtimehelpers.h"
#include "worldtime/zonetable.h"

#include <QApplication>
#include <QTest>

using testsupport::Form1Fixture;
using namespace worldtimetest;

class TestHomeZone : public QObject {
    Q_OBJECT
private slots:
    void init() { useRealZones(); }

    void theComputersZoneIsIndia()
    {
        QCOMPARE(qgetenv("TZ"), QByteArray("Asia/Kolkata"));
        worldtime::TIME_ZONE_INFORMATION info;
        QCOMPARE(worldtime::GetTimeZoneInformation(&info), worldtime::TIME_ZONE_ID_UNKNOWN);
        QCOMPARE(info.StandardName, QString("India Standard Time"));
        QCOMPARE(info.Bias, -330);
        QCOMPARE(worldtime::readDefaultZones().source, QString("India Standard Time"));
    }

    void theChooserStartsFromIt()
    {
        Form1Fixture f(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        Form1* w = f.loadForm1();
        f.clock().advance(500);
        QCOMPARE(list(w->frmTZ(), "List1")->currentItem()->text(), QString("(UTC+05:30) Kolkata"));
        QCOMPARE(Form1Fixture::option("DefaultTZVal"), QString("-330"));
        // 12:00 in Kolkata is 15:30 in Tokyo.
        addZone(w->frmTZ(), "Tokyo Standard Time", "TYO");
        QCOMPARE(rowTime(w, 0), QString("Wed 09 Dec 2026 - 15:30:00"));
    }
};

VANTORA_TEST_MAIN(TestHomeZone)
#include "test_homezone.moc"
