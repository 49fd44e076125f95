#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/worldtime/worldtimehelpers.h"
#include "worldtime/zonetable.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using testsupport::Form1Fixture;
using namespace worldtimetest;

namespace {

const QDateTime kWinterNoon(QDate(2026, 12, 9), QTime(12, 0));
const QDateTime kSummerNoon(QDate(2026, 7, 15), QTime(12, 0));
const QString kAddTitle = "Vantora - Add Time Zone";

QPushButton* button(FrmTZ* tz, const char* name) { return tz->findChild<QPushButton*>(name); }
QLineEdit* nameField(FrmTZ* tz) { return tz->findChild<QLineEdit*>("Text1"); }
QString text(FrmTZ* tz, const char* name) { return tz->findChild<QLabel*>(name)->text(); }

QString registryText(const QString& key, const QString& name)
{
    platform::HKEY k = 0;
    if (platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, key, 0, 63, &k) != platform::ERROR_SUCCESS)
        return "<no key>";
    QByteArray data;
    const qint32 result = platform::RegQueryValueEx(k, name, nullptr, &data);
    platform::RegCloseKey(k);
    return result == platform::ERROR_SUCCESS ? QString::fromUtf8(data).chopped(1) : "<no value>";
}

// Opens the chooser from the menu, as a user does.
FrmTZ* openChooser(Form1Fixture& f)
{
    f.trigger("AddTZ");
    return f.form1()->frmTZ();
}

void deleteEntry(FrmTZ* tz, int row)
{
    list(tz, "List3")->setCurrentRow(row);
    button(tz, "Command2")->click();
}

QStringList entryNames(FrmTZ* tz)
{
    QStringList names;
    for (int i = 0; i < list(tz, "List3")->count(); ++i)
        names << list(tz, "List3")->item(i)->text();
    return names;
}

} // namespace

class TestFrmTZ : public QObject {
    Q_OBJECT
private slots:
    void init() { useRealZones(); }

    void addThreeZonesSeeTheRowsDeleteOneAndRestart()
    {
        Form1Fixture f(kWinterNoon);
        Form1* w = f.loadForm1();
        FrmTZ* tz = openChooser(f);
        QVERIFY(tz->isVisible());

        addZone(tz, "Tokyo Standard Time", "TYO");
        QCOMPARE(f.dialogs().shown().last().prompt, "TYO set to \"" + displayOf("Tokyo Standard Time") + "\".\r\n");
        QCOMPARE(f.dialogs().shown().last().title, QString("Vantora - Time Zone"));
        QCOMPARE(f.dialogs().shown().last().style, platform::mb::Information);
        QVERIFY(nameField(tz)->text().isEmpty());
        addZone(tz, "Eastern Standard Time", "NY");
        addZone(tz, "India Standard Time", "KOL");
        QCOMPARE(f.dialogs().messageCount(), 3);

        QCOMPARE(entryNames(tz), QStringList({"TYO", "NY", "KOL"}));
        QCOMPARE(text(tz, "Label1_3"), QString("3/5"));
        QCOMPARE(Form1Fixture::option("LastTZAdd"), QString("3"));
        QCOMPARE(Form1Fixture::option("VNTZval1"), QString("-540"));
        QCOMPARE(Form1Fixture::option("VNTZval2"), QString("300"));
        QCOMPARE(Form1Fixture::option("VNTZval3"), QString("-330"));
        QCOMPARE(Form1Fixture::option("VNTZname3"), displayOf("India Standard Time"));
        QCOMPARE(Form1Fixture::option("LastTZAddName2"), QString("NY"));
        QCOMPARE(Form1Fixture::option("LastTZAddID1"),
                 QString::number(tz->zoneTable().indexOfKey("Tokyo Standard Time")));
        QCOMPARE(registryText("SOFTWARE\\VN\\TimeConverter", "DefaultTargetZone"), QString("India Standard Time"));
        QCOMPARE(registryText("SOFTWARE\\VN", ""), QString("Orvane's Applications"));

        // The rows follow at once, the window grown to hold them.
        QCOMPARE(rowsShown(w), 3);
        QCOMPARE(w->height(), 185);
        QCOMPARE(rowName(w, 2), QString("KOL"));
        QCOMPARE(rowTime(w, 0), QString("Wed 09 Dec 2026 - 21:00:00"));
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 07:00:00"));
        QCOMPARE(rowTime(w, 2), QString("Wed 09 Dec 2026 - 17:30:00"));

        deleteEntry(tz, 1);
        QCOMPARE(entryNames(tz), QStringList({"TYO", "KOL"}));
        QCOMPARE(rowsShown(w), 2);
        QCOMPARE(w->height(), 163);
        QCOMPARE(rowName(w, 1), QString("KOL"));
        f.clock().advance(1000);
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 17:30:01"));

        w = f.restart();
        QCOMPARE(rowsShown(w), 2);
        QCOMPARE(rowName(w, 0), QString("TYO"));
        QCOMPARE(rowTime(w, 1), QString("Wed 09 Dec 2026 - 17:30:01"));
        QCOMPARE(entryNames(w->frmTZ()), QStringList({"TYO", "KOL"}));
    }

    void addRefusals()
    {
        Form1Fixture f(kWinterNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        // The home zone of these tests is UTC.
        QCOMPARE(list(tz, "List1")->currentItem()->text(), QString("(UTC) Coordinated Universal Time"));
        QVERIFY(!list(tz, "List1")->isEnabled());

        addZone(tz, "UTC", "HOME");
        QCOMPARE(f.dialogs().shown().last().prompt,
                 QString("You must specify another Time Zone than the system default Time Zone."));
        QCOMPARE(f.dialogs().shown().last().title, kAddTitle);
        QCOMPARE(f.dialogs().shown().last().style, platform::mb::Information);

        addZone(tz, "Tokyo Standard Time", "");
        QCOMPARE(f.dialogs().shown().last().prompt, QString("You must specify a Time Zone name"));
        QCOMPARE(f.dialogs().shown().last().title, kAddTitle);
        QCOMPARE(Form1Fixture::option("LastTZAdd", "0"), QString("0"));

        addZone(tz, "Tokyo Standard Time", "TYO");
        f.dialogs().clear();
        addZone(tz, "Tokyo Standard Time", "JP");
        QCOMPARE(f.dialogs().shown().last().prompt, QString("This Time Zone was already selected and named TYO"));
        QCOMPARE(f.dialogs().shown().last().title, kAddTitle);
        addZone(tz, "Korea Standard Time", "TYO");
        QCOMPARE(f.dialogs().shown().last().prompt,
                 QString("This Time Zone Name is already in use for another Time Zone.\r\n"
                         "Please, change this Time Zome name."));
        QCOMPARE(f.dialogs().shown().last().title, kAddTitle);
        QCOMPARE(f.dialogs().messageCount(), 2);
        QCOMPARE(Form1Fixture::option("LastTZAdd"), QString("1"));
        QCOMPARE(entryNames(tz), QStringList({"TYO"}));
    }

    void theNameFieldHoldsSixCharacters()
    {
        Form1Fixture f(kWinterNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        nameField(tz)->setFocus();
        QTest::keyClicks(nameField(tz), "BERLIN1");
        QCOMPARE(nameField(tz)->text(), QString("BERLIN"));
    }

    void withFiveEntriesNoMoreCanBeAdded()
    {
        Form1Fixture f(kWinterNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        const char* zones[] = {"Tokyo Standard Time", "Eastern Standard Time", "India Standard Time",
                               "GMT Standard Time", "AUS Eastern Standard Time"};
        for (int i = 0; i < 5; ++i)
            addZone(tz, zones[i], QString("Z%1").arg(i + 1));
        QCOMPARE(text(tz, "Label1_3"), QString("5/5"));
        QCOMPARE(tz->findChild<QLabel*>("Label1_3")->palette().color(QPalette::WindowText), QColor(0xC0, 0, 0));
        QVERIFY(!nameField(tz)->isEnabled());
        QVERIFY(nameField(tz)->text().isEmpty());
        QVERIFY(!button(tz, "Command3")->isEnabled());

        // Adding anyway (the button is greyed, the handler refuses by itself).
        const int boxes = f.dialogs().messageCount();
        selectTarget(tz, "Korea Standard Time");
        nameField(tz)->setEnabled(true);
        nameField(tz)->setText("SEL");
        tz->Command3_Click();
        QCOMPARE(f.dialogs().messageCount(), boxes);
        QCOMPARE(Form1Fixture::option("LastTZAdd"), QString("5"));
        QCOMPARE(Form1Fixture::option("VNTZval6", "<missing>"), QString("<missing>"));
        // The clock no longer writes a next slot either.
        f.clock().advance(2000);
        QCOMPARE(Form1Fixture::option("VNTZname6", "<missing>"), QString("<missing>"));
        QCOMPARE(Form1Fixture::option("VNTZname5"), displayOf("AUS Eastern Standard Time"));
    }

    void deletingTheSecondOfFourMovesTheLaterOnesDown()
    {
        Form1Fixture f(kWinterNoon);
        Form1* w = f.loadForm1();
        FrmTZ* tz = openChooser(f);
        addZone(tz, "Tokyo Standard Time", "A");
        addZone(tz, "Eastern Standard Time", "B");
        addZone(tz, "India Standard Time", "C");
        addZone(tz, "GMT Standard Time", "D");
        const auto entry = [](int i) {
            return QStringList{Form1Fixture::option(QString("LastTZAddName%1").arg(i), ""),
                               Form1Fixture::option(QString("VNTZval%1").arg(i), ""),
                               Form1Fixture::option(QString("VNTZname%1").arg(i), ""),
                               Form1Fixture::option(QString("LastTZAddID%1").arg(i), "")};
        };
        const QStringList third = entry(3);
        const QStringList fourth = entry(4);

        deleteEntry(tz, 1);
        QCOMPARE(entry(2), third);
        QCOMPARE(entry(3), fourth);
        QCOMPARE(Form1Fixture::option("LastTZAddName4", ""), QString());
        QCOMPARE(Form1Fixture::option("LastTZAdd"), QString("3"));
        QCOMPARE(text(tz, "Label1_3"), QString("3/5"));
        QCOMPARE(entryNames(tz), QStringList({"A", "C", "D"}));
        QCOMPARE(w->LastTZAdd, qint16(3));
        QVERIFY(!button(tz, "Command2")->isEnabled());
        // The freed slot holds the selected target again at the next calculation.
        f.clock().advance(500);
        QCOMPARE(Form1Fixture::option("VNTZname4"), displayOf("GMT Standard Time"));
    }

    void deleteWithNothingSelectedDoesNothing()
    {
        Form1Fixture f(kWinterNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        addZone(tz, "Tokyo Standard Time", "A");
        addZone(tz, "Eastern Standard Time", "B");
        QVERIFY(list(tz, "List3")->selectedItems().isEmpty());
        tz->Command2_Click();
        QCOMPARE(entryNames(tz), QStringList({"A", "B"}));
        QCOMPARE(Form1Fixture::option("LastTZAdd"), QString("2"));
        list(tz, "List3")->setCurrentRow(0);
        QVERIFY(button(tz, "Command2")->isEnabled());
    }

    void theDefaultsAreReselectedWithoutUndoingTheUsersChoice()
    {
        Form1Fixture f(kWinterNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        selectTarget(tz, "Eastern Standard Time");
        f.clock().advance(3000);
        QCOMPARE(list(tz, "List2")->currentItem()->text(), displayOf("Eastern Standard Time"));
        QCOMPARE(list(tz, "List1")->currentItem()->text(), QString("(UTC) Coordinated Universal Time"));

        // With nothing selected the last zone added comes back.
        addZone(tz, "Tokyo Standard Time", "TYO");
        {
            const QSignalBlocker quiet(list(tz, "List2"));
            list(tz, "List2")->clearSelection();
        }
        tz->ResetReg();
        QCOMPARE(list(tz, "List2")->currentItem()->text(), displayOf("Tokyo Standard Time"));
        QVERIFY(list(tz, "List2")->currentItem()->isSelected());
    }

    void theTargetTimeFollowsTheZonesOwnClock()
    {
        Form1Fixture f(kSummerNoon);
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        selectTarget(tz, "Eastern Standard Time");
        QCOMPARE(text(tz, "sResult"), QString("Wednesday 15 July 2026 - 08:00:00"));
        f.clock().advance(500);
        QCOMPARE(text(tz, "Label2"), QString(" Wednesday 15 July 2026 - 12:00:00"));
        QCOMPARE(text(tz, "sResult"), QString("Wednesday 15 July 2026 - 08:00:00"));
        // The stored values stay standard biases.
        QCOMPARE(Form1Fixture::option("VNTZval1"), QString("300"));
        QCOMPARE(Form1Fixture::option("DefaultTZVal"), QString("0"));
    }

    void theCalculationWritesOnlyWhatChanged()
    {
        Form1Fixture f(kWinterNoon);
        Form1Fixture::setOption("VNNetAutoSync", "False");
        f.loadForm1();
        FrmTZ* tz = openChooser(f);
        selectTarget(tz, "Tokyo Standard Time");
        f.clock().advance(20000);
        QCOMPARE(Form1Fixture::option("VNTZname1"), displayOf("Tokyo Standard Time"));
        const QString before = fileStamp(platform::settingsFilePath());
        f.clock().advance(10 * 60 * 1000);
        QCOMPARE(fileStamp(platform::settingsFilePath()), before);
        selectTarget(tz, "Korea Standard Time");
        QCOMPARE(Form1Fixture::option("VNTZname1"), displayOf("Korea Standard Time"));
        QVERIFY(fileStamp(platform::settingsFilePath()) != before);
    }

    void theDateFormatIsChosenAndStored()
    {
        Form1Fixture f(kWinterNoon);
        Form1Fixture::setOption("LastTZAdd", "1");
        Form1Fixture::setOption("VNTZname1", "zone a");
        Form1Fixture::setOption("VNTZval1", "-60");
        Form1* w = f.loadForm1();
        FrmTZ* tz = openChooser(f);
        QCOMPARE(list(tz, "List4")->currentItem()->text(), QString("ddd dd mmm yyyy"));
        list(tz, "List4")->setCurrentRow(2);
        QCOMPARE(w->TZFormat, QString("dd mm yyyy"));
        QCOMPARE(Form1Fixture::option("TZFormat"), QString("dd mm yyyy"));
        f.clock().advance(250);
        QCOMPARE(rowTime(w, 0), QString("09 12 2026 - 13:00:00"));
        w = f.restart();
        QCOMPARE(list(w->frmTZ(), "List4")->currentItem()->text(), QString("dd mm yyyy"));
    }

    void closingOnlyHidesAndTheClockRunsOn()
    {
        Form1Fixture f(kWinterNoon);
        Form1* w = f.loadForm1();
        FrmTZ* tz = openChooser(f);
        QVERIFY(!f.windows().calls().isEmpty());
        QCOMPARE(f.windows().calls().last().window.data(), static_cast<QWidget*>(tz));
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::TopMost);
        tz->close();
        QVERIFY(!tz->isVisible());
        QCOMPARE(w->frmTZ(), tz);
        // Hidden, its clock is not refreshed; shown again, it is current at once.
        f.clock().advance(1000);
        QCOMPARE(text(tz, "Label2"), QString(" Wednesday 09 December 2026 - 12:00:00"));
        tz->show();
        QCOMPARE(text(tz, "Label2"), QString(" Wednesday 09 December 2026 - 12:00:01"));
    }

    void hiddenItWorksOnlyWhenAnInputChanges()
    {
        Form1Fixture f(kWinterNoon);
        Form1Fixture::setOption("VNNetAutoSync", "False");
        Form1* w = f.loadForm1();
        FrmTZ* tz = w->frmTZ();
        QVERIFY(!tz->isVisible());
        // Its values are there from its first tick on.
        f.clock().advance(500);
        QCOMPARE(Form1Fixture::option("DefaultTZVal"), QString("0"));
        QCOMPARE(Form1Fixture::option("VNTZname1"), list(tz, "List2")->currentItem()->text());
        // An hour of the main clock leaves the chooser and the store alone.
        f.clock().advance(20000);
        const QString before = fileStamp(platform::settingsFilePath());
        f.clock().advance(3600 * 1000);
        QCOMPARE(fileStamp(platform::settingsFilePath()), before);
        QVERIFY(text(tz, "sResult").isEmpty());

        // The selection, the zone count and the home zone are its inputs.
        selectTarget(tz, "Tokyo Standard Time");
        QCOMPARE(Form1Fixture::option("VNTZval1"), QString("-540"));
        Form1Fixture::setOption("LastTZAdd", "1");
        Form1Fixture::setOption("LastTZAddName1", "TYO");
        f.clock().advance(1000);
        QCOMPARE(Form1Fixture::option("VNTZname2"), displayOf("Tokyo Standard Time"));
        platform::HKEY conv = 0;
        QCOMPARE(platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter", 0, 63, &conv), 0);
        const QByteArray india("India Standard Time");
        platform::RegSetValueEx(conv, "DefaultSourceZone", 0, platform::REG_SZ, india.constData(), india.size());
        platform::RegCloseKey(conv);
        QTRY_COMPARE(Form1Fixture::option("DefaultTZVal"), QString("-330"));
    }

    void withoutTheZoneDatabaseTheListsSaySo()
    {
        Form1Fixture f(kWinterNoon);
        platform::unregisterRegistryProvider(platform::HKEY_LOCAL_MACHINE, worldtime::zoneDatabaseKey());
        Form1* w = f.loadForm1();
        FrmTZ* tz = openChooser(f);
        QCOMPARE(list(tz, "List1")->count(), 1);
        QCOMPARE(list(tz, "List2")->item(0)->text(), QString("Could not open registry for timezones"));
        QVERIFY(w->zoneKeyNames().isEmpty());
        f.clock().advance(2000);
        nameField(tz)->setText("TYO");
        button(tz, "Command3")->click();
        QCOMPARE(Form1Fixture::option("LastTZAdd", "0"), QString("0"));
        QCOMPARE(Form1Fixture::option("DefaultTZVal", "<missing>"), QString("<missing>"));
        // Put the database back for the next tests.
        worldtime::installZoneDatabase();
    }
};

VANTORA_TEST_MAIN(TestFrmTZ)
#include "test_frmtz.moc"
