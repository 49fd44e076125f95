#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>

using radiotest::RadioFixture;
using testsupport::Form1Fixture;

namespace {

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s)); }

void clickPicture(Form1* w, const char* name) { QTest::mouseClick(w->findChild<QWidget*>(name), Qt::LeftButton); }

void clearAllStations()
{
    for (int i = 1; i <= 12; ++i)
        Form1Fixture::setOption(QString("RadioURL%1").arg(i), "");
}

} // namespace

class TestStationMenu : public QObject {
    Q_OBJECT
private slots:
    void theMenuShowsTheStationTableAfterTheLoad()
    {
        RadioFixture f;
        Form1* w = f.load();
        for (int i = 1; i <= 9; ++i) {
            QAction* item = f.action(QString("url_%1").arg(i));
            QCOMPARE(item->text(), w->stationName(i));
            QVERIFY(item->isVisible() && item->isEnabled());
            QCOMPARE(item->isChecked(), i == 2);
        }
        QCOMPARE(f.action("url_1")->shortcut(), QKeySequence("Ctrl+F1"));
        // One file and the folder have no path yet: greyed, keeping their captions.
        QVERIFY(!f.action("url_11")->isEnabled());
        QCOMPARE(f.action("url_11")->text(), QString("Single MP3"));
        QVERIFY(!f.action("url_12")->isEnabled());
        QVERIFY(f.action("url_12")->isVisible());
        QVERIFY(f.action("Plydf")->isEnabled());
        QVERIFY(f.action("seturl")->isEnabled());
        QVERIFY(w->anyStation() || (w->CheckUrlavail(), w->anyStation()));
    }

    void onlyTheUrlDecidesWhetherAStationIsListed()
    {
        RadioFixture f;
        Form1Fixture::setOption("Radioname3", "Named only");
        Form1Fixture::setOption("RadioURL3", "");
        Form1Fixture::setOption("Radioname4", "");
        Form1Fixture::setOption("RadioURL4", "http://127.0.0.1:9/four");
        Form1Fixture::setOption("Radioname12", "My music");
        Form1Fixture::setOption("RadioURL12", "/music/");
        f.load();
        QVERIFY(!f.action("url_3")->isVisible());
        QVERIFY(!f.action("url_3")->isEnabled());
        QCOMPARE(f.action("url_3")->text(), QString());
        QVERIFY(f.action("url_4")->isVisible());
        QCOMPARE(f.action("url_4")->text(), QString());
        QVERIFY(f.action("url_12")->isEnabled());
        QCOMPARE(f.action("url_12")->text(), QString("My music"));
    }

    void actUrlFollowsAChangedTable()
    {
        RadioFixture f;
        Form1* w = f.load();
        Form1Fixture::setOption("RadioURL5", "");
        Form1Fixture::setOption("Radioname6", "Renamed");
        Form1Fixture::setOption("DefaultRadio", "6");
        w->LoadOptions(8);
        w->LoadOptions(7);
        w->ActURL();
        QVERIFY(!f.action("url_5")->isVisible());
        QCOMPARE(f.action("url_6")->text(), QString("Renamed"));
        QVERIFY(f.action("url_6")->isChecked());
        QVERIFY(!f.action("url_2")->isChecked());
    }

    void withoutAnyStationTheCommandsSaySo()
    {
        RadioFixture f;
        clearAllStations();
        Form1* w = f.load();
        for (const char* command : {"Plydf", "url_1"}) {
            f.dialogs().clear();
            if (QString(command) == "Plydf")
                f.trigger(command);
            else
                w->url_Click(1);
            QCOMPARE(f.dialogs().messageCount(), 1);
            const auto& box = f.dialogs().shown().first();
            QCOMPARE(box.title, QString("Vantora Radio"));
            QCOMPARE(box.prompt,
                     QString("No default URL's and/or MP3's defined.\r\nUse the [Preferences] to do it.\r\n"));
            QCOMPARE(box.style, platform::mb::Critical);
        }
        clickPicture(w, "Image7");
        QCOMPARE(f.dialogs().messageCount(), 2);
        QCOMPARE(f.radiosMade(), 0);
    }

    void choosingAStationStoresAndPlaysIt()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL5", "http://127.0.0.1:9/five");
        Form1* w = f.load();
        f.trigger("url_5");
        QCOMPARE(w->DefaultRadio, qint16(5));
        QCOMPARE(Form1Fixture::option("DefaultRadio"), QString("5"));
        QVERIFY(f.action("url_5")->isChecked());
        QVERIFY(!f.action("url_2")->isChecked());
        QCOMPARE(w->RaURL, QString("http://127.0.0.1:9/five"));
        QVERIFY(!w->MP3D);
        QCOMPARE(f.radio()->selectedStation(), qint16(5));
        QCOMPARE(f.player()->opens(), QStringList{"http://127.0.0.1:9/five"});
    }

    void anotherStationSwitchesInPlace()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", "http://127.0.0.1:9/two");
        Form1Fixture::setOption("RadioURL3", "http://127.0.0.1:9/three");
        f.load();
        f.trigger("url_2");
        f.player()->startPlaying();
        f.trigger("url_3");
        QCOMPARE(f.playersMade(), 1);
        QCOMPARE(f.player()->opens(), (QStringList{"http://127.0.0.1:9/two", "http://127.0.0.1:9/three"}));
    }

    void aStationChosenForAStoppedRadioPlays()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", "http://127.0.0.1:9/two");
        Form1Fixture::setOption("RadioURL3", "http://127.0.0.1:9/three");
        f.load();
        f.trigger("url_2");
        f.player()->startPlaying();
        QTest::mouseClick(f.radio()->findChild<QLabel*>("Image2"), Qt::LeftButton);
        QVERIFY(!f.radio()->WebcamOn);
        f.trigger("url_3");
        QCOMPARE(f.player()->opens().last(), QString("http://127.0.0.1:9/three"));
        QVERIFY(f.radio()->WebcamOn);
    }

    void theFolderEntrySetsTheFolderFlags()
    {
        QTemporaryDir dir;
        const QString folder = radiotest::makeFolder(dir, "music", {"a.mp3"});
        RadioFixture f;
        Form1Fixture::setOption("RadioURL12", folder);
        Form1* w = f.load();
        f.trigger("url_12");
        QVERIFY(w->MP3D);
        QCOMPARE(w->MP3Dir, folder);
        f.trigger("url_1");
        QVERIFY(!w->MP3D);
    }

    void playDefaultDoesNothingWhileTheRadioIsOpen()
    {
        RadioFixture f;
        Form1* w = f.load();
        Form1Fixture::setOption("RadioURL2", "http://127.0.0.1:9/two");
        w->LoadOptions(8);
        w->ActURL();
        f.trigger("Plydf");
        QCOMPARE(f.player()->opens().size(), 1);
        f.trigger("Plydf");
        clickPicture(w, "Image7");
        QCOMPARE(f.player()->opens().size(), 1);
        QCOMPARE(Form1Fixture::option("DefaultRadio", "unset"), QString("unset"));
    }

    void theRadioPictureStartsTheDefaultStation()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", "http://127.0.0.1:9/two");
        Form1* w = f.load();
        clickPicture(w, "Image7");
        QVERIFY(f.radio() && f.radio()->isVisible());
        QCOMPARE(f.player()->opens(), QStringList{"http://127.0.0.1:9/two"});
    }

    void aDamagedStationNumberReadsAsTheDefault_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("past the table") << "13";
        QTest::newRow("negative") << "-1";
        QTest::newRow("slot 0") << "0";
    }
    void aDamagedStationNumberReadsAsTheDefault()
    {
        QFETCH(QString, stored);
        RadioFixture f;
        Form1Fixture::setOption("FirstUse", "False");
        Form1Fixture::setOption("RadioURL2", "http://127.0.0.1:9/two");
        Form1Fixture::setOption("Radioname2", "Two");
        Form1Fixture::setOption("DefaultRadio", stored);
        Form1* w = f.load();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(w->DefaultRadio, qint16(2));
        QCOMPARE(w->RaURL, QString("http://127.0.0.1:9/two"));
        QCOMPARE(f.action("url_2")->text(), QString("Two"));
        QVERIFY(f.action("url_2")->isChecked());
    }

    // ---- The status pictures ----

    void aClickOnTheBellWhileRingingOnlySnoozes()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("AlarmRadio", "False");
        Form1* w = f.load();
        f.clock().advance(2000);
        QVERIFY(w->isRinging());
        clickPicture(w, "Image2");
        QVERIFY(!w->isRinging());
        QVERIFY(w->isSnoozed());
        QVERIFY(w->alarmOn());
        QCOMPARE(Form1Fixture::option("Alarmsound"), QString("True"));
    }

    void indicatorClicksToggleTheirOptionsWhenQuiet()
    {
        RadioFixture f;
        Form1* w = f.load();
        QVERIFY(!w->alarmOn());
        clickPicture(w, "Image2");
        QVERIFY(w->alarmOn());
        clickPicture(w, "Image3");
        QCOMPARE(Form1Fixture::option("BeepHours"), QString("True"));
        QVERIFY(w->AlarmRadio);
        clickPicture(w, "Image8");
        QVERIFY(!w->AlarmRadio);
        QCOMPARE(Form1Fixture::option("AlarmRadio"), QString("False"));
    }

    void theClockAndTheSnoozeMarkSnooze()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("AlarmRadio", "False");
        Form1* w = f.load();
        f.clock().advance(2000);
        clickPicture(w, "LED1_3");
        QVERIFY(w->isSnoozed());
        QVERIFY(!w->isRinging());
        clickPicture(w, "Image5"); // nothing rings: nothing happens
        QVERIFY(w->isSnoozed());
        QVERIFY(w->alarmOn());
    }
};

VANTORA_TEST_MAIN(TestStationMenu)
#include "test_stationmenu.moc"
