#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/worldtime/worldtimehelpers.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTest>

using testsupport::Form1Fixture;
using namespace worldtimetest;

namespace {

QDateTime at(QDate d, int h, int m = 0, int s = 0) { return QDateTime(d, QTime(h, m, s)); }
const QDate kWinterDay(2026, 12, 9);
const QDate kSummerDay(2026, 7, 15);

// One stored entry, as the chooser writes it.
void storeEntry(int i, const QString& shortName, const QString& display, int bias)
{
    Form1Fixture::setOption(QString("LastTZAddName%1").arg(i), shortName);
    Form1Fixture::setOption(QString("VNTZname%1").arg(i), display);
    Form1Fixture::setOption(QString("VNTZval%1").arg(i), QString::number(bias));
}

} // namespace

class TestWorldTimeRows : public QObject {
    Q_OBJECT
private slots:
    void init() { useRealZones(); }

    void aRowShowsItsZonesRealClockInSummer()
    {
        Form1Fixture f(at(kSummerDay, 12));
        Form1Fixture::setOption("LastTZAdd", "2");
        Form1Fixture::setOption("DefaultTZVal", "0");
        storeEntry(1, "NY", displayOf("Eastern Standard Time"), 300);
        storeEntry(2, "SYD", displayOf("AUS Eastern Standard Time"), -600);
        Form1* w = f.loadForm1();
        // New York keeps daylight time in July (UTC-4), Sydney standard time (UTC+10).
        QCOMPARE(rowTime(w, 0), QString("Wed 15 Jul 2026 - 08:00:00"));
        QCOMPARE(rowTime(w, 1), QString("Wed 15 Jul 2026 - 22:00:00"));
        f.clock().advance(1000);
        QCOMPARE(rowTime(w, 0), QString("Wed 15 Jul 2026 - 08:00:01"));
        QCOMPARE(rowName(w, 0), QString("NY"));
        QCOMPARE(label(w, "Label4_0")->toolTip(), displayOf("Eastern Standard Time"));
        QCOMPARE(label(w, "Label5_0")->toolTip(), displayOf("Eastern Standard Time"));
    }

    void aRowNotInTheTableUsesTheStoredBiases()
    {
        Form1Fixture f(at(kSummerDay, 12));
        Form1Fixture::setOption("LastTZAdd", "1");
        Form1Fixture::setOption("DefaultTZVal", "-60");
        storeEntry(1, "OLD", "(GMT-05:00) Eastern Time (US & Canada)", 300);
        Form1* w = f.loadForm1();
        QCOMPARE(rowTime(w, 0), QString("Wed 15 Jul 2026 - 06:00:00"));
    }

    void rowsAcrossMidnightAndTheDateLine_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("tokyo");
        QTest::addColumn<QString>("dateline");
        QTest::newRow("short day") << "ddd dd mmm yyyy"
                                   << "Fri 01 Jan 2027 - 08:30:00"
                                   << "Thu 31 Dec 2026 - 11:30:00";
        QTest::newRow("no day name") << "dd mmm yyyy"
                                     << "01 Jan 2027 - 08:30:00"
                                     << "31 Dec 2026 - 11:30:00";
        QTest::newRow("numbers") << "dd mm yyyy"
                                 << "01 01 2027 - 08:30:00"
                                 << "31 12 2026 - 11:30:00";
    }
    void rowsAcrossMidnightAndTheDateLine()
    {
        QFETCH(QString, format);
        QFETCH(QString, tokyo);
        QFETCH(QString, dateline);
        Form1Fixture f(at(QDate(2026, 12, 31), 23, 30));
        Form1Fixture::setOption("TZFormat", format);
        Form1Fixture::setOption("LastTZAdd", "4");
        storeEntry(1, "TYO", displayOf("Tokyo Standard Time"), -540);
        storeEntry(2, "DL", displayOf("Dateline Standard Time"), 720);
        // The same two, by their biases alone.
        storeEntry(3, "TYO2", "Tokyo (old name)", -540);
        storeEntry(4, "DL2", "Dateline (old name)", 720);
        Form1* w = f.loadForm1();
        QCOMPARE(rowTime(w, 0), tokyo);
        QCOMPARE(rowTime(w, 1), dateline);
        QCOMPARE(rowTime(w, 2), tokyo);
        QCOMPARE(rowTime(w, 3), dateline);
    }

    void theLineIslandsAreADayAheadOfTheDateLine()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "2");
        storeEntry(1, "KIR", displayOf("Line Islands Standard Time"), -840);
        storeEntry(2, "DL", displayOf("Dateline Standard Time"), 720);
        Form1* w = f.loadForm1();
        QCOMPARE(rowTime(w, 0), QString("Thu 10 Dec 2026 - 02:00:00"));
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 00:00:00"));
    }

    void theWindowGrowsARowAtATime_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("date");
        QTest::addColumn<int>("height");
        QTest::newRow("none") << 0 << true << 119;
        QTest::newRow("one") << 1 << true << 141;
        QTest::newRow("five") << 5 << true << 229;
        QTest::newRow("none, no date") << 0 << false << 107;
        QTest::newRow("five, no date") << 5 << false << 217;
    }
    void theWindowGrowsARowAtATime()
    {
        QFETCH(int, rows);
        QFETCH(bool, date);
        QFETCH(int, height);
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("DispDat", date ? "True" : "False");
        Form1Fixture::setOption("LastTZAdd", QString::number(rows));
        for (int i = 1; i <= rows; ++i)
            storeEntry(i, QString("Z%1").arg(i), QString("zone %1").arg(i), 60 * i);
        Form1* w = f.loadForm1();
        QCOMPARE(w->height(), height);
        QCOMPARE(rowsShown(w), rows);
        if (rows > 0) {
            // The last row's bar ends 2 px above the lower edge.
            QWidget* last = w->findChild<QWidget*>(QString("Shape6_%1").arg(rows - 1));
            QCOMPARE(last->geometry().bottom(), height - 2);
            QCOMPARE(rowName(w, rows - 1), QString("Z%1").arg(rows));
        }
    }

    void switchingTheDateLineLaysTheRowsOutAgain()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "2");
        storeEntry(1, "A", "zone a", 0);
        storeEntry(2, "B", "zone b", 60);
        Form1* w = f.loadForm1();
        QCOMPARE(w->height(), 163);
        const int barTop = w->findChild<QWidget*>("Shape6_0")->y();
        f.trigger("DispDat");
        QCOMPARE(w->height(), 151);
        QCOMPARE(w->findChild<QWidget*>("Shape6_0")->y(), barTop - 12);
        f.trigger("DispDat");
        QCOMPARE(w->height(), 163);
    }

    void eachRowIsReadOnItsOwn()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "4");
        storeEntry(1, "A", "zone a", 60);
        storeEntry(2, "B", "zone b", 0);
        storeEntry(3, "C", "zone c", -60);
        storeEntry(4, "D", "zone d", 2000); // beyond a day: not a bias
        Form1* w = f.loadForm1();
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 12:00:00"));
        Form1Fixture::setOption("VNTZval2", "abc");
        f.clock().advance(1000);
        QCOMPARE(rowTime(w, 0), QString("Wed 09 Dec 2026 - 11:00:01"));
        QCOMPARE(rowTime(w, 1), QString());
        QCOMPARE(rowTime(w, 2), QString("Wed 09 Dec 2026 - 13:00:01"));
        QCOMPARE(rowTime(w, 3), QString());
        QCOMPARE(rowName(w, 1), QString("B"));
    }

    void theZoneCountIsClampedOnEveryRead()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "9");
        for (int i = 1; i <= 5; ++i)
            storeEntry(i, QString("Z%1").arg(i), QString("zone %1").arg(i), 0);
        Form1* w = f.loadForm1();
        QCOMPARE(w->LastTZAdd, qint16(5));
        QCOMPARE(rowsShown(w), 5);
        Form1Fixture::setOption("LastTZAdd", "-3");
        f.clock().advance(1000);
        QCOMPARE(w->LastTZAdd, qint16(0));
        Form1Fixture::setOption("LastTZAdd", "two");
        f.clock().advance(1000);
        QCOMPARE(w->LastTZAdd, qint16(0));
        Form1Fixture::setOption("LastTZAdd", "2");
        f.clock().advance(1000);
        QCOMPARE(w->LastTZAdd, qint16(2));
    }

    void aDamagedZoneDoesNotKeepTheAlarmFromRinging()
    {
        Form1Fixture f(at(kWinterDay, 7, 29, 58));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("LastTZAdd", "2");
        storeEntry(1, "A", displayOf("Tokyo Standard Time"), -540);
        Form1Fixture::setOption("VNTZval1", "1E99");
        storeEntry(2, "B", "zone b", 60);
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        Form1Fixture::setOption("DefaultTZVal", "not a number");
        QVERIFY(!w->isRinging());
        f.clock().advance(2500);
        QVERIFY(w->isRinging());
        QCOMPARE(rowTime(w, 0), QString());
        // The chooser's clock has stored the computer's bias again.
        QCOMPARE(Form1Fixture::option("DefaultTZVal"), QString("0"));
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 06:30:00"));
    }

    void aZoneBiasThatIsNotANumberAtStartAsksForTheReset()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "2");
        storeEntry(1, "A", "zone a", 60);
        storeEntry(2, "B", "zone b", 0);
        Form1Fixture::setOption("VNTZval2", "abc");
        f.dialogs().answerNextMessage(platform::mb::No);
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::EndRequested);
        QVERIFY(f.dialogs().shown().first().prompt.startsWith("A serious settings error occured."));
    }

    void tenQuietMinutesLeaveTheSettingsFileAlone()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("VNNetAutoSync", "False");
        Form1Fixture::setOption("LastTZAdd", "1");
        storeEntry(1, "TYO", displayOf("Tokyo Standard Time"), -540);
        Form1* w = f.loadForm1();
        f.clock().advance(20000); // the first store of the window's options and the chooser's values
        QVERIFY(w->frmTZ());
        const QString before = fileStamp(platform::settingsFilePath());
        f.clock().advance(10 * 60 * 1000);
        QCOMPARE(fileStamp(platform::settingsFilePath()), before);
    }

    void aClickOnARowOpensTheChooser()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1Fixture::setOption("LastTZAdd", "1");
        storeEntry(1, "TYO", displayOf("Tokyo Standard Time"), -540);
        Form1* w = f.loadForm1();
        QVERIFY(!w->frmTZ()->isVisible());
        QTest::mouseClick(label(w, "Label5_0"), Qt::LeftButton);
        QVERIFY(w->frmTZ()->isVisible());
        w->frmTZ()->close();
        QVERIFY(!w->frmTZ()->isVisible());
        QTest::mouseClick(label(w, "Label4_0"), Qt::LeftButton);
        QVERIFY(w->frmTZ()->isVisible());
    }

    void setTimeZoneIsEnabledWithItsShortcut()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1* w = f.loadForm1();
        QAction* item = f.action("AddTZ");
        QVERIFY(item->isEnabled());
        QCOMPARE(item->shortcut(), QKeySequence("Ctrl+Z"));
        QVERIFY(w->actions().contains(item));
        item->trigger();
        QVERIFY(w->frmTZ()->isVisible());
        QCOMPARE(w->frmTZ()->windowTitle(), QString("Vantora - Time Zone"));
    }

    void theZoneListAndTheConverterDefaultsAreRead()
    {
        Form1Fixture f(at(kWinterDay, 12));
        Form1* w = f.loadForm1();
        QVERIFY(w->zoneKeyNames().size() >= 120);
        QCOMPARE(w->zoneKeyNames().size(), w->zoneDisplayNames().size());
        QCOMPARE(w->zoneDisplayNames().first(), QString("(UTC) Coordinated Universal Time"));
        QCOMPARE(w->defaultSourceZone(), QString("UTC")); // the tests run in UTC
    }
};

VANTORA_TEST_MAIN(TestWorldTimeRows)
#include "test_worldtimerows.moc"
