#include "platform/media/mediaplayer.h"
#include "platform/media/sound.h"
#include "platform/media/vlcsoundplayer.h"
#include "tests/media/mediafixtures.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using platform::VlcSoundPlayer;

namespace {

// Milliseconds a call takes.
template <typename F>
qint64 timed(F&& call)
{
    QElapsedTimer clock;
    clock.start();
    call();
    return clock.elapsed();
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        platform::MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--quiet"});
        // Starting libVLC itself (loading its plugins) is a one-off cost of the
        // first sound; the timings below are those of every later call.
        VlcSoundPlayer warmUp;
        QSignalSpy started(&warmUp, &VlcSoundPlayer::started);
        warmUp.playMemory(mediatest::toneWav(0.05));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 5000);
        warmUp.stop();
    }

    void playMemoryReturnsAtOnceAndPlaysToTheEnd()
    {
        VlcSoundPlayer player;
        QSignalSpy started(&player, &VlcSoundPlayer::started);
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        const qint64 ms = timed([&] { player.playMemory(mediatest::toneWav(1.0)); });
        QVERIFY2(ms < 50, qPrintable(QString("%1 ms").arg(ms)));
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 4000);
        QVERIFY(!player.isPlaying());
    }

    void aSecondCallCutsTheFirstSoundOff()
    {
        VlcSoundPlayer player;
        QSignalSpy started(&player, &VlcSoundPlayer::started);
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        player.playMemory(mediatest::toneWav(4.0));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 3000);
        const qint64 ms = timed([&] { player.playMemory(mediatest::toneWav(0.3, 22050, 880)); });
        QVERIFY2(ms < 50, qPrintable(QString("%1 ms").arg(ms)));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 2000);
        // The four-second sound was cut off: its end never comes.
        QTest::qWait(500);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!player.isPlaying());
    }

    void stopCutsTheSoundOff()
    {
        VlcSoundPlayer player;
        QSignalSpy started(&player, &VlcSoundPlayer::started);
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        player.playMemory(mediatest::toneWav(3.0));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 3000);
        const qint64 ms = timed([&] { player.stop(); });
        QVERIFY(ms < 50);
        QVERIFY(!player.isPlaying());
        QTest::qWait(300);
        QCOMPARE(finished.size(), 0);
        player.stop(); // nothing playing: nothing happens
    }

    void dataThatIsNoWaveFilePlaysNothing_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("this is no sound");
        QTest::newRow("mp3 frame header") << QByteArray("\xFF\xFB\x90\x64", 4).repeated(500);
        QTest::newRow("RIFF of another form") << QByteArray("RIFF\x04\0\0\0AVI ", 12);
    }

    void dataThatIsNoWaveFilePlaysNothing()
    {
        QFETCH(QByteArray, data);
        VlcSoundPlayer player;
        QSignalSpy started(&player, &VlcSoundPlayer::started);
        player.playMemory(mediatest::toneWav(3.0));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 3000);
        QVERIFY(timed([&] { player.playMemory(data); }) < 50);
        QVERIFY(!player.isPlaying()); // the sound before it was cut off
        QTest::qWait(200);
        QCOMPARE(started.size(), 1);
    }

    void aDamagedWaveFileEndsWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray good = mediatest::toneWav(0.5);
        QTest::newRow("header only") << good.left(12);
        QTest::newRow("cut in the format chunk") << good.left(30);
        QTest::newRow("cut in the samples") << good.left(2000);
        QByteArray hugeSize = good;
        hugeSize.replace(40, 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
        QTest::newRow("data size beyond the end") << hugeSize;
        QByteArray noise = good.left(12);
        for (int i = 0; i < 4000; ++i)
            noise.append(char((i * 7919) % 251));
        QTest::newRow("noise after the header") << noise;
    }

    void aDamagedWaveFileEndsWithoutHarm()
    {
        QFETCH(QByteArray, data);
        VlcSoundPlayer player;
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        QVERIFY(timed([&] { player.playMemory(data); }) < 50);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 3000);
        QVERIFY(!player.isPlaying());
    }

    void theCallersBufferMayGoAwayAtOnce()
    {
        VlcSoundPlayer player;
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        {
            QByteArray wav = mediatest::toneWav(0.5);
            player.playMemory(wav);
            wav.fill('\0');
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 3000);
    }

    void manyQuickRestartsStayResponsive()
    {
        VlcSoundPlayer player;
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        const QByteArray wav = mediatest::toneWav(0.4);
        qint64 slowest = 0;
        for (int i = 0; i < 20; ++i) {
            slowest = std::max(slowest, timed([&] { player.playMemory(wav); }));
            QTest::qWait(10);
        }
        QVERIFY2(slowest < 50, qPrintable(QString("%1 ms").arg(slowest)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 3000);
    }

    void theSoundPlayerCanBeReplacedForTests()
    {
        QVERIFY(dynamic_cast<VlcSoundPlayer*>(&platform::soundPlayer()));
        platform::RecordingSoundPlayer recording;
        platform::setSoundPlayer(&recording);
        QCOMPARE(&platform::soundPlayer(), static_cast<platform::SoundPlayer*>(&recording));
        QCOMPARE(recording.lastPlayed(), QByteArray());
        platform::soundPlayer().playMemory("first");
        platform::soundPlayer().playMemory("second");
        platform::soundPlayer().stop();
        QCOMPARE(recording.playCount(), 2);
        QCOMPARE(recording.lastPlayed(), QByteArray("second"));
        QCOMPARE(recording.played().first(), QByteArray("first"));
        QCOMPARE(recording.stopCount(), 1);
        recording.clear();
        QCOMPARE(recording.playCount(), 0);
        platform::setSoundPlayer(nullptr);
        QVERIFY(dynamic_cast<VlcSoundPlayer*>(&platform::soundPlayer()));
    }
};

VANTORA_TEST_MAIN(TestSound)
#include "test_sound.moc"
