#include "platform/media/mediaplayer.h"
#include "tests/online/peers.h"
#include "tests/radio/mp3kit.h"
#include "tests/radio/peers.h"
#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The radio window with libVLC's player against real sources on 127.0.0.1: MP3
// files made here, an HTTP server with playlists, an Icecast station. Sound goes
// to a null output.

using platform::MediaPlayer;
using radiotest::RadioFixture;
using testsupport::Form1Fixture;

namespace {

QDateTime noon() { return QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)); }

bool writeFile(const QString& path, const QByteArray& bytes) { return radiotest::writeText(path, bytes); }

// The entry address of every item the player started playing, in order.
QStringList* recordPlayedEntries(MediaPlayer* player)
{
    auto* played = new QStringList;
    QObject::connect(player, &MediaPlayer::PlayStateChange, player, [player, played](qint32, qint32 to) {
        if (to == MediaPlayer::Playing)
            played->append(QFileInfo(player->GetMediaInfoString(MediaPlayer::InfoEntryAddress)).fileName());
    });
    QObject::connect(player, &QObject::destroyed, [played] { delete played; });
    return played;
}

} // namespace

class TestRadioPeers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--no-video-title-show", "--quiet"});
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.filePath("music") + "/";
        QDir().mkpath(m_folder);
        QVERIFY(writeFile(m_folder + "a.mp3", mp3kit::silentMp3(0.6, "First")));
        QVERIFY(writeFile(m_folder + "b.mp3", mp3kit::silentMp3(0.6, "Second")));
        QVERIFY(writeFile(m_folder + "c.mp3", mp3kit::silentMp3(0.6, "Third")));
        QVERIFY(writeFile(m_folder + "notes.txt", "not music"));

        QVERIFY(m_http.start());
        m_web = m_http.root();
        // Long enough to be still playing when a loaded machine gets round to looking.
        QVERIFY(writeFile(m_web + "/song.mp3", mp3kit::silentMp3(30, "Peer Song", "Test Artist")));
        const QByteArray song = QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(m_http.port()).toLatin1();
        QVERIFY(writeFile(m_web + "/list.m3u", "#EXTM3U\n#EXTINF:-1,Peer\n" + song + "\n"));
        QVERIFY(writeFile(m_web + "/list.pls", "[playlist]\nNumberOfEntries=1\nFile1=" + song + "\nVersion=2\n"));
        QVERIFY(
            writeFile(m_web + "/list.asx", "<asx version=\"3.0\"><entry><ref href=\"" + song + "\"/></entry></asx>\n"));
    }

    void aFolderPlaysThroughAndTheWindowCloses()
    {
        RadioFixture f(noon(), true);
        Form1Fixture::setOption("RadioURL12", m_folder);
        Form1* w = f.load();
        f.trigger("url_12");
        Radio* radio = f.radio();
        QVERIFY(radio->player());
        QStringList* played = recordPlayedEntries(radio->player());
        QTRY_COMPARE_WITH_TIMEOUT(played->size(), 1, 5000);
        QCOMPARE(radio->ActualMP3Play, QString("a"));
        QTRY_VERIFY_WITH_TIMEOUT(!radio->isLoaded(), 10000);
        QVERIFY(!radio->isVisible());
        QVERIFY(!radio->anyTimerRunning());
        QVERIFY(!w->timer(7).isEnabled());
    }

    void aFolderPlaysInOrder()
    {
        RadioFixture f(noon(), true);
        Form1Fixture::setOption("RadioURL12", m_folder);
        f.load();
        f.trigger("url_12");
        QStringList* played = recordPlayedEntries(f.radio()->player());
        QTRY_COMPARE_WITH_TIMEOUT(played->size(), 3, 10000);
        QCOMPARE(*played, (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
    }

    void aStationBehindAPlaylistPlays_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("m3u") << "/list.m3u";
        QTest::newRow("pls") << "/list.pls";
        QTest::newRow("asx") << "/list.asx";
        QTest::newRow("plain file") << "/song.mp3";
    }
    void aStationBehindAPlaylistPlays()
    {
        QFETCH(QString, path);
        RadioFixture f(noon(), true);
        const QString station = m_http.base(path);
        Form1Fixture::setOption("RadioURL3", station);
        f.load();
        f.trigger("url_3");
        MediaPlayer* player = f.radio()->player();
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), qint32(MediaPlayer::Playing), 8000);
        QVERIFY(f.radio()->WebcamOn);
        QCOMPARE(player->GetMediaInfoString(MediaPlayer::InfoEntryAddress), m_http.base("/song.mp3"));
        QTRY_COMPARE_WITH_TIMEOUT(player->GetMediaInfoString(MediaPlayer::InfoTitle), QString("Peer Song"), 3000);
        QCOMPARE(player->GetMediaInfoString(MediaPlayer::InfoAuthor), QString("Test Artist"));
        f.radio()->findChild<QAction*>("end")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!f.radio()->isLoaded(), 2000);
    }

    void theAlarmWakesTheUserWithALiveStation()
    {
        radiotest::IcecastStation station;
        QVERIFY(station.start(m_dir.filePath("icecast"), m_web + "/song.mp3", "/live.mp3", "Vantora Test FM"));
        RadioFixture f(QDateTime(QDate(2026, 12, 9), QTime(6, 59, 59)), true);
        Form1Fixture::setOption("RadioURL2", station.url());
        Form1Fixture::setOption("AlarmTime", "07:00");
        Form1Fixture::setOption("Alarmsound", "True");
        Form1* w = f.load();
        f.clock().advance(1000);
        QVERIFY(w->isRinging());
        Radio* radio = f.radio();
        QVERIFY(radio && radio->isVisible());
        MediaPlayer* player = radio->player();
        QSignalSpy disconnects(player, &MediaPlayer::Disconnect);
        QTRY_COMPARE_WITH_TIMEOUT(player->PlayState(), qint32(MediaPlayer::Playing), 8000);
        QVERIFY(player->Mute()); // while the alarm rings
        QVERIFY(player->IsBroadcast());

        // The station's name and the track come in among the information items.
        QTRY_COMPARE_WITH_TIMEOUT(player->GetMediaInfoString(MediaPlayer::InfoNowPlaying),
                                  QString("Test Artist - Peer Song"), 5000);
        QStringList lines;
        for (int i = 0; i < 13; ++i) {
            f.clock().advance(1000);
            lines << radio->findChild<QLabel*>("Label5")->text();
        }
        QVERIFY2(lines.contains("Test Artist - Peer Song"), qPrintable(lines.join(" | ")));

        // The source goes away: the stream stops, the radio shows it and will try again.
        station.stopSource();
        QTRY_COMPARE_WITH_TIMEOUT(disconnects.size(), 1, 8000);
        QCOMPARE(player->PlayState(), qint32(MediaPlayer::Stopped));
        QVERIFY(!radio->WebcamOn);
        QVERIFY(radio->timer(3).isEnabled());
        QCOMPARE(radio->findChild<QLabel*>("Image2")->toolTip(), QString("Start Vantora Radio"));
        station.stop();
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_web;
    onlinetest::HttpPeer m_http;
};

VANTORA_TEST_MAIN(TestRadioPeers)
#include "test_radiopeers.moc"
