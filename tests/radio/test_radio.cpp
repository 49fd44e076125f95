#include "platform/base/appinfo.h"
#include "platform/settings/settings.h"
#include "radio/form5.h"
#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingmediaplayer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

using radiotest::RadioFixture;
using testsupport::Form1Fixture;

namespace {

constexpr char kStation[] = "http://127.0.0.1:9/live";

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s)); }

QLabel* picture(Radio* radio, const char* name) { return radio->findChild<QLabel*>(name); }

void click(Radio* radio, const char* name) { QTest::mouseClick(picture(radio, name), Qt::LeftButton); }

QAction* toolbarButton(Radio* radio, const char* key) { return radio->findChild<QAction*>(key); }

// A fresh user whose default station is a loopback address, playing it from F2.
Form1* playDefault(RadioFixture& f)
{
    Form1Fixture::setOption("RadioURL2", kStation);
    Form1* w = f.load();
    f.trigger("Plydf");
    return w;
}

} // namespace

class TestRadio : public QObject {
    Q_OBJECT
private slots:
    // ---- Playing a station ----

    void playTheDefaultStationFromF2()
    {
        RadioFixture f;
        Form1* w = playDefault(f);
        Radio* radio = f.radio();
        QVERIFY(radio && radio->isVisible());
        QCOMPARE(f.player()->opens(), QStringList{kStation});
        QVERIFY(radio->WebcamOn);
        QVERIFY(radio->playerVisible());
        QVERIFY(!picture(radio, "Image1")->isVisibleTo(radio));
        QVERIFY(!f.action("seturl")->isEnabled());
        QVERIFY(w->timer(7).isEnabled());
        QCOMPARE(radio->windowTitle(), QString("Vantora Radio - v ") + platform::appVersionText());

        f.player()->startPlaying();
        QCOMPARE(picture(radio, "Image2")->toolTip(), QString("Stop Vantora Radio"));
        QVERIFY(radio->timer(5).isEnabled());
        f.player()->stats.receptionQuality = 93;
        f.player()->stats.bandwidth = 128000;
        f.clock().advance(500);
        QCOMPARE(picture(radio, "Image5")->toolTip(),
                 QString("Bandwidth 128000 bits/sec - Reception 93 % - Click Here"));
        QCOMPARE(f.player()->ToolTipText(), QString("Vantora Radio - Online - Reception 93%"));
        QCOMPARE(picture(radio, "Image8")->toolTip(), QString("Reception Quality: 93%"));
        QCOMPARE(radio->receptionBarTwips(), 641);
    }

    void withoutASoundDeviceTheMessageLineSaysSo()
    {
        RadioFixture f;
        playDefault(f);
        Radio* radio = f.radio();
        f.player()->setSoundOutput(false);
        f.player()->stats.receptionQuality = 93;
        f.player()->startPlaying();
        QCOMPARE(picture(radio, "Label1")->text(), QString("No sound output"));
        // It stays while the item plays; the window stays open.
        f.clock().advance(20000);
        QCOMPARE(picture(radio, "Label1")->text(), QString("No sound output"));
        QVERIFY(radio->isVisible());
    }

    void withASoundDeviceTheMessageLineRests()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        QCOMPARE(picture(f.radio(), "Label1")->text(), QString());
    }

    void withoutAutoPlayTheWindowWaitsForTheCover()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AutoPla", "False");
        f.load();
        f.trigger("Plydf");
        QVERIFY(f.radio()->isVisible());
        QVERIFY(f.player()->opens().isEmpty());
        QVERIFY(!f.radio()->playerVisible());
        click(f.radio(), "Image1");
        QCOMPARE(f.player()->opens(), QStringList{kStation});
    }

    void aLostStreamReopensOnceAfterFifteenSeconds()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        f.player()->loseStream();
        QVERIFY(!f.radio()->WebcamOn);
        QCOMPARE(picture(f.radio(), "Image2")->toolTip(), QString("Start Vantora Radio"));
        f.clock().advance(14900);
        QCOMPARE(f.player()->opens().size(), 1);
        f.clock().advance(100);
        QCOMPARE(f.player()->opens().size(), 2);
        QVERIFY(!f.radio()->timer(3).isEnabled());
        f.clock().advance(60000);
        QCOMPARE(f.player()->opens().size(), 2);
    }

    void anErrorAlwaysRetries()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->failOpen();
        f.clock().advance(15000);
        QCOMPARE(f.player()->opens().size(), 2);
        f.player()->failOpen();
        f.clock().advance(15000);
        QCOMPARE(f.player()->opens().size(), 3);
    }

    void aStopTheUserAsksForRestartsNothing()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        click(f.radio(), "Image2");
        QCOMPARE(f.player()->PlayState(), qint32(platform::MediaPlayer::Stopped));
        QVERIFY(!f.radio()->WebcamOn);
        QCOMPARE(picture(f.radio(), "Image2")->toolTip(), QString("Start Vantora Radio"));
        f.clock().advance(60000);
        QCOMPARE(f.player()->opens().size(), 1);
        QVERIFY(!f.player()->calls().contains("Play"));
        QVERIFY(f.radio()->isVisible());
    }

    void resumePlaysAgainWithoutMuting()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        click(f.radio(), "Image2");
        click(f.radio(), "Image2");
        QCOMPARE(f.player()->calls().filter("Play").size(), 1);
        QCOMPARE(f.player()->opens().size(), 1);
        QVERIFY(!f.player()->Mute());
        QVERIFY(f.radio()->WebcamOn);
    }

    void closingStopsEverythingAndGivesPreferencesBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("exit picture") << "exit";
        QTest::newRow("toolbar end") << "end";
        QTest::newRow("window frame") << "close";
    }
    void closingStopsEverythingAndGivesPreferencesBack()
    {
        QFETCH(QString, how);
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1* w = f.load();
        f.action("seturl")->setEnabled(true); // as once the station editor exists
        f.trigger("Plydf");
        QVERIFY(!f.action("seturl")->isEnabled());
        f.player()->startPlaying();
        QPointer<platform::RecordingMediaPlayer> player = f.player();
        if (how == "exit")
            click(f.radio(), "Image3");
        else if (how == "end")
            toolbarButton(f.radio(), "end")->trigger();
        else
            f.radio()->close();
        QCOMPARE(player->calls().last(), QString("Stop"));
        f.settle();
        Radio* radio = f.radio();
        QVERIFY(!radio->isVisible());
        QVERIFY(!radio->isLoaded());
        QVERIFY(!player); // the player and its audio output are let go
        QVERIFY(!radio->anyTimerRunning());
        QVERIFY(f.action("seturl")->isEnabled());
        QVERIFY(!w->timer(7).isEnabled());
        f.clock().advance(60000);
        QCOMPARE(f.playersMade(), 1);

        f.trigger("Plydf"); // a new load with a new player
        QVERIFY(radio->isVisible());
        QCOMPARE(f.playersMade(), 2);
        QCOMPARE(f.player()->opens(), QStringList{kStation});
    }

    void preferencesWaitsWhileTheRadioIsOpen()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        f.load();
        QVERIFY(f.action("seturl")->isEnabled());
        f.trigger("Plydf");
        QVERIFY(!f.action("seturl")->isEnabled());
        toolbarButton(f.radio(), "end")->trigger();
        f.settle();
        QVERIFY(f.action("seturl")->isEnabled());
    }

    // ---- Volume ----

    void theVolumeBarFollowsThePlayer_data()
    {
        QTest::addColumn<qint32>("volume");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<int>("twips");
        QTest::newRow("full") << 0 << "Volume 100% - Up and Down arrows to modify" << 690;
        QTest::newRow("two thirds") << -2410 << "Volume 66% - Up and Down arrows to modify" << 459;
        QTest::newRow("bottom") << -4820 << "Volume 0% - Up and Down arrows to modify" << 0;
        QTest::newRow("silent") << -10000 << "Volume 0% - Up and Down arrows to modify" << 0;
    }
    void theVolumeBarFollowsThePlayer()
    {
        QFETCH(qint32, volume);
        QFETCH(QString, tip);
        QFETCH(int, twips);
        RadioFixture f;
        playDefault(f);
        f.player()->setVolume(volume == 0 ? -1 : 0);
        f.clock().advance(500);
        f.player()->setVolume(volume);
        f.clock().advance(500);
        QCOMPARE(picture(f.radio(), "Image7")->toolTip(), tip);
        QCOMPARE(f.radio()->volumeBarTwips(), twips);
        QCOMPARE(Form1Fixture::option("SoundVol"), QString::number(volume));
    }

    void theStoredVolumeSurvivesAnIdleWindow()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AutoPla", "False");
        Form1Fixture::setOption("SoundVol", "-2410");
        f.load();
        f.trigger("Plydf");
        QCOMPARE(f.player()->Volume(), -2410);
        f.clock().advance(3000);
        QCOMPARE(Form1Fixture::option("SoundVol"), QString("-2410"));
        click(f.radio(), "Image1");
        QCOMPARE(f.player()->Volume(), -2410);
    }

    void aDamagedStoredVolumeKeepsThePlayersOwn()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("SoundVol", "loud");
        f.load();
        f.trigger("Plydf");
        QCOMPARE(f.player()->Volume(), 0);
        f.clock().advance(500);
        QCOMPARE(Form1Fixture::option("SoundVol"), QString("0"));
    }

    void upAndDownChangeTheVolume()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("SoundVol", "-2410");
        f.load();
        f.trigger("Plydf");
        const qint32 before = f.player()->Volume();
        QTest::keyClick(f.radio(), Qt::Key_Up);
        QVERIFY(f.player()->Volume() > before);
        QTest::keyClick(f.radio(), Qt::Key_Down);
        QTest::keyClick(f.radio(), Qt::Key_Down);
        QVERIFY(f.player()->Volume() < before);
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(f.radio(), Qt::Key_Down);
        QCOMPARE(f.player()->Volume(), -10000);
    }

    // ---- Toolbar ----

    void muteAndStayOnTop()
    {
        RadioFixture f;
        Form1* w = playDefault(f);
        QAction* mute = toolbarButton(f.radio(), "mute");
        QVERIFY(mute->isEnabled());
        QCOMPARE(mute->toolTip(), QString("Mute"));
        mute->trigger();
        QVERIFY(f.player()->Mute());
        mute->trigger();
        QVERIFY(!f.player()->Mute());

        QVERIFY(w->Form1OnTop);
        QAction* onTop = toolbarButton(f.radio(), "Ontop");
        QVERIFY(onTop->isChecked());
        onTop->trigger();
        QVERIFY(!w->Form1OnTop);
        QCOMPARE(onTop->toolTip(), QString("Always Visible: Disabled"));
        QCOMPARE(Form1Fixture::option("form1.Form1OnTop"), QString("False"));
        QVERIFY(!f.action("alwvis")->isChecked());
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::NotTopMost);
    }

    // ---- Pictures, lines ----

    void theOnAirPictureCyclesThePlayersDisplay()
    {
        RadioFixture f;
        playDefault(f);
        platform::RecordingMediaPlayer* p = f.player();
        QVERIFY(!p->ShowControls() && !p->ShowDisplay());
        click(f.radio(), "Image4");
        QVERIFY(p->ShowDisplay() && p->ShowStatusBar() && p->ShowTracker() && !p->ShowControls());
        click(f.radio(), "Image4");
        QVERIFY(p->ShowControls() && !p->ShowDisplay());
        click(f.radio(), "Image4");
        QVERIFY(!p->ShowControls() && !p->ShowDisplay() && !p->ShowStatusBar() && !p->ShowTracker());
    }

    void theInformationLineShowsTheStreamsItems()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        f.player()->setMediaInfo(1, "Morning Show");
        f.player()->setMediaInfo(8, "Artist - Song");
        f.clock().advance(1000);
        QCOMPARE(picture(f.radio(), "Label5")->text(), QString("Morning Show"));
        f.clock().advance(1000);
        QCOMPARE(picture(f.radio(), "Label5")->text(), QString("Artist - Song"));
        f.clock().advance(1000);
        QCOMPARE(picture(f.radio(), "Label5")->text(), QString("Wednesday 9 Dec 2026"));
    }

    void theMessageLineScrollsThenRests()
    {
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AutoPla", "False");
        f.load();
        f.trigger("Plydf");
        QLabel* line = picture(f.radio(), "Label1");
        f.clock().advance(40);
        QCOMPARE(line->text().size(), 40);
        QVERIFY(line->text().endsWith("V"));
        // Three messages, each shown whole for a while, then a 30 s rest.
        f.clock().advance(12000);
        QVERIFY(!f.radio()->timer(2).isEnabled());
        QVERIFY(f.radio()->timer(1).isEnabled());
        QCOMPARE(f.radio()->MessNr, 1.0f);
        f.clock().advance(30040);
        QVERIFY(f.radio()->timer(2).isEnabled());
        QVERIFY(!f.radio()->timer(1).isEnabled());
    }

    void theFileNameIsCutAfter35Characters()
    {
        QTemporaryDir dir;
        const QString name = QString(36, 'x');
        const QString folder = radiotest::makeFolder(dir, "long", {name + ".mp3"});
        RadioFixture f;
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("RadioURL12", folder);
        f.load();
        f.trigger("url_12");
        f.clock().advance(500);
        QCOMPARE(picture(f.radio(), "Label6")->text(), QString(35, 'x') + "...");
        QVERIFY(f.radio()->findChild<QWidget*>("Shape7")->isVisibleTo(f.radio()));
    }

    // ---- Broadcast status ----

    void theStatusWindowShowsWhatThePlayerReports()
    {
        RadioFixture f;
        playDefault(f);
        f.player()->startPlaying();
        f.player()->stats = {100, 87, 131072, 5000, 3, 12, true, 2.5};
        QStringList values;
        bool hiddenByAClick = false;
        f.modal().answerNext([&](QWidget* window) {
            auto* status = qobject_cast<Form5*>(window);
            QVERIFY(status && status->isVisible());
            QCOMPARE(status->windowTitle(),
                     QString("Vantora Radio - Broadcast Status - v ") + platform::appVersionText());
            f.clock().advance(25);
            for (int row = 0; row <= 6; ++row)
                values << status->value(row);
            values << QString::number(status->progressValue()) << status->qualityText();
            QTest::mouseClick(status, Qt::LeftButton);
            hiddenByAClick = !status->isVisible();
        });
        click(f.radio(), "Image5");
        f.settle();
        QCOMPARE(f.modal().shown(), QStringList{"Form5"});
        QCOMPARE(values, (QStringList{"True", "2.5", "131072 bits/sec", "5000", "12", "3", kStation, "87", "87%"}));
        QVERIFY(hiddenByAClick);
        QVERIFY(f.radio()->statusWindow()->isLoaded()); // hidden, still refreshing
    }

    void theStatusWindowGoesWithTheRadio()
    {
        RadioFixture f;
        playDefault(f);
        click(f.radio(), "Image5");
        f.settle();
        QPointer<Form5> status = f.radio()->statusWindow();
        QPointer<platform::RecordingMediaPlayer> player = f.player();
        QVERIFY(status && status->isLoaded());
        toolbarButton(f.radio(), "end")->trigger();
        f.settle();
        QVERIFY(!status);
        QVERIFY(!player);
        f.clock().advance(1000); // nothing left to read a player that is gone
        QVERIFY(!f.radio()->anyTimerRunning());
    }

    void theStatusWindowRemembersItsPlace()
    {
        RadioFixture f;
        playDefault(f);
        f.modal().answerNext([](QWidget* window) {
            window->move(90, 60);
            QTest::mouseMove(window, QPoint(10, 10));
        });
        click(f.radio(), "Image5");
        f.settle();
        QCOMPARE(Form1Fixture::option("Left4"), QString("1350"));
        QCOMPARE(Form1Fixture::option("Right4"), QString("900"));
        Form5* status = f.radio()->statusWindow();
        status->move(0, 0);
        QPoint shownAt;
        f.modal().answerNext([&](QWidget* window) { shownAt = window->pos(); });
        click(f.radio(), "Image5");
        f.settle();
        QCOMPARE(shownAt, QPoint(90, 60));
    }

    // ---- The alarm's radio ----

    void theAlarmWakesARadioNeverOpened()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.load();
        QCOMPARE(f.radiosMade(), 0);
        f.clock().advance(1000);
        QVERIFY(w->isRinging());
        QCOMPARE(f.radiosMade(), 1);
        QVERIFY(f.radio()->isVisible());
        QCOMPARE(f.player()->opens(), QStringList{kStation}); // started once
        QVERIFY(f.player()->Mute());
        QVERIFY(toolbarButton(f.radio(), "mute")->isChecked());
        f.player()->startPlaying();
        f.clock().advance(30000);
        QVERIFY(f.player()->Mute());
        f.clock().advance(31000); // the ringing ends: the radio is heard
        QVERIFY(!w->isRinging());
        QVERIFY(!f.player()->Mute());
        QVERIFY(!toolbarButton(f.radio(), "mute")->isChecked());
        QCOMPARE(f.player()->opens().size(), 1);
    }

    void theWakeUpPlaysTheStationNotAStaleFolder()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.load();
        w->MP3D = true; // left from a folder played before
        f.clock().advance(1000);
        QVERIFY(!w->MP3D);
        QCOMPARE(f.player()->opens(), QStringList{kStation});
    }

    void theWakeUpWithAnEmptySlotPlaysNothing()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("RadioURL2", "");
        Form1* w = f.load();
        f.clock().advance(1000);
        QVERIFY(w->isRinging());
        f.clock().advance(120000);
        QCOMPARE(f.playersMade(), 0);
        QVERIFY(!f.radio() || !f.radio()->isVisible());
    }

    void stoppingTheAlarmUnmutesTheRadio()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        f.load();
        f.clock().advance(2000);
        QVERIFY(f.player()->Mute());
        f.trigger("stopalarm");
        QVERIFY(!f.player()->Mute());
        f.clock().advance(2000);
        QVERIFY(!f.player()->Mute());
    }

    void anAlarmWithoutRadioNeverMakesTheWindow()
    {
        RadioFixture f(at(7, 29, 59));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1Fixture::setOption("AlarmRadio", "False");
        Form1* w = f.load();
        f.clock().advance(30000);
        QVERIFY(w->isRinging());
        QCOMPARE(f.radiosMade(), 0);
    }

    void anOpenRadioIsNotRestartedByTheAlarm()
    {
        RadioFixture f(at(7, 29, 50));
        Form1Fixture::setOption("RadioURL2", kStation);
        Form1Fixture::setOption("AlarmTime", "07:30");
        Form1Fixture::setOption("Alarmsound", "True");
        f.load();
        f.trigger("Plydf");
        f.player()->startPlaying();
        f.clock().advance(11000);
        QCOMPARE(f.player()->opens().size(), 1);
        QVERIFY(f.player()->Mute());
    }
};

VANTORA_TEST_MAIN(TestRadio)
#include "test_radio.moc"
