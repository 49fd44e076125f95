#include "platform/media/mediaplayer.h"
#include "platform/media/sound.h"
#include "platform/media/soundoutput.h"
#include "platform/media/vlcsoundplayer.h"
#include "tests/media/mediafixtures.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingsoundplayer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using platform::VlcSoundPlayer;

// How long the calls take is measured by bench/media/bench_sound, not here.
class TestSound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        platform::MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--quiet"});
        // Starting libVLC itself (loading its plugins) is a one-off cost of the
        // first sound, paid on a thread of its own: the first call returns
        // before libVLC is up, and the sound follows.
        VlcSoundPlayer warmUp;
        QSignalSpy started(&warmUp, &VlcSoundPlayer::started);
        warmUp.playMemory(mediatest::toneWav(0.05));
        QVERIFY(warmUp.isPlaying());
        QVERIFY(!platform::MediaPlayer::engineStarted());
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, testsupport::patience(30000));
        warmUp.stop();
    }

    void aSoundOutputIsFoundWhereverItIs_data()
    {
        QTest::addColumn<QString>("pulseServer");
        QTest::addColumn<QString>("fileInRuntime");
        QTest::addColumn<QString>("fileInDevices");
        QTest::addColumn<bool>("found");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "" << false;
        QTest::newRow("capture only") << ""
                                      << ""
                                      << "pcmC0D0c" << false;
        QTest::newRow("mixer only") << ""
                                    << ""
                                    << "controlC0" << false;
        QTest::newRow("ALSA playback") << ""
                                       << ""
                                       << "pcmC1D3p" << true;
        QTest::newRow("PulseAudio") << ""
                                    << "pulse/native"
                                    << "" << true;
        QTest::newRow("PipeWire") << ""
                                  << "pipewire-0"
                                  << "" << true;
        QTest::newRow("named server") << "tcp:127.0.0.1"
                                      << ""
                                      << "" << true;
    }
    void aSoundOutputIsFoundWhereverItIs()
    {
        QFETCH(QString, pulseServer);
        QFETCH(QString, fileInRuntime);
        QFETCH(QString, fileInDevices);
        QFETCH(bool, found);
        QTemporaryDir runtime, devices;
        for (const auto& [folder, name] : {std::pair{&runtime, fileInRuntime}, std::pair{&devices, fileInDevices}}) {
            if (name.isEmpty())
                continue;
            const QString path = folder->filePath(name);
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(platform::hasSoundOutput({pulseServer, runtime.path(), devices.path()}), found);
    }

    void playMemoryReturnsAtOnceAndPlaysToTheEnd()
    {
        VlcSoundPlayer player;
        QSignalSpy started(&player, &VlcSoundPlayer::started);
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        player.playMemory(mediatest::toneWav(1.0));
        // Back before the sound has ended (nor even begun).
        QVERIFY(player.isPlaying());
        QCOMPARE(finished.size(), 0);
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
        player.playMemory(mediatest::toneWav(0.3, 22050, 880));
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 2000);
        // The four-second sound was cut off: its end never comes.
        testsupport::drainEvents();
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
        player.stop();
        QVERIFY(!player.isPlaying());
        testsupport::drainEvents();
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
        player.playMemory(data);
        QVERIFY(!player.isPlaying()); // the sound before it was cut off
        testsupport::drainEvents();
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
        player.playMemory(data);
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

    void manyQuickRestartsEndInOneSound()
    {
        VlcSoundPlayer player;
        QSignalSpy finished(&player, &VlcSoundPlayer::finished);
        const QByteArray wav = mediatest::toneWav(0.4);
        for (int i = 0; i < 20; ++i) {
            player.playMemory(wav);
            QVERIFY(player.isPlaying());
            testsupport::drainEvents();
        }
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
