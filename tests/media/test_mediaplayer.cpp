#include "platform/media/vlcmediaplayer.h"
#include "tests/media/mediafixtures.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using platform::MediaPlayer;
using platform::VlcMediaPlayer;
using Transition = QPair<qint32, qint32>;

namespace {

QList<Transition> transitions(const QSignalSpy& spy)
{
    QList<Transition> list;
    for (const QList<QVariant>& args : spy)
        list.append({args.at(0).toInt(), args.at(1).toInt()});
    return list;
}

QList<bool> bufferingStarts(const QSignalSpy& spy)
{
    QList<bool> list;
    for (const QList<QVariant>& args : spy)
        list.append(args.at(0).toBool());
    return list;
}

const QByteArray WavType = "audio/wav";

} // namespace

class TestMediaPlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--no-video-title-show", "--quiet"});
        QVERIFY(m_dir.isValid());
        m_tone = mediatest::writeFile(m_dir.path(), "tone.wav", mediatest::toneWav(0.5));
        m_longTone = mediatest::writeFile(m_dir.path(), "long tone.wav", mediatest::toneWav(6.0));
        QVERIFY(!m_tone.isEmpty());
        QVERIFY(!m_longTone.isEmpty());
        QVERIFY(m_server.isListening());
        mediatest::Reply garbage;
        garbage.raw = true;
        garbage.body = randomBytes(3000);
        m_server.setReply("/garbage.mp3", garbage);
        mediatest::Reply loop;
        loop.status = "302 Found";
        loop.headers = {{"Location", m_server.url("/loop.mp3").toLatin1()}};
        m_server.setReply("/loop.mp3", loop);
    }

    // The process's first source: libVLC's start (loading its plugins) is left
    // to another thread, and the player waits for it without holding up the
    // window thread. A Stop meanwhile holds once libVLC is up.
    void theFirstOpenDoesNotStartLibVlcOnTheWindowThread()
    {
        if (MediaPlayer::engineStarted())
            QSKIP("libVLC was started by an earlier test");
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        player.Open(m_tone);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Waiting));
        QVERIFY(!MediaPlayer::engineStarted());
        player.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(MediaPlayer::engineStarted(), testsupport::patience(30000));
        testsupport::drainEvents();
        QCOMPARE(transitions(states), (QList<Transition>{{6, 3}, {3, 0}}));

        player.Open(m_tone);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
    }

    void aLocalWaveFilePlaysToItsEnd()
    {
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy buffering(&player, &MediaPlayer::Buffering);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        QSignalSpy disconnects(&player, &MediaPlayer::Disconnect);

        player.Open(m_tone);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Waiting));
        QTRY_COMPARE_WITH_TIMEOUT(states.size(), 3, 5000);
        const QList<Transition> expected{{6, 3}, {3, 2}, {2, 0}};
        QCOMPARE(transitions(states), expected);
        QCOMPARE(bufferingStarts(buffering), (QList<bool>{true, false}));
        QCOMPARE(errors.size(), 0);
        QCOMPARE(disconnects.size(), 0);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoSource), m_tone);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoEntryAddress), m_tone);
    }

    void badSourcesGiveError_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("missing file") << m_dir.path() + "/missing.mp3";
        QTest::newRow("empty text") << QString();
        QTest::newRow("refused port") << QStringLiteral("http://127.0.0.1:%1/x.mp3").arg(mediatest::closedPort());
        QTest::newRow("random bytes") << mediatest::writeFile(m_dir.path(), "noise.mp3", randomBytes(20000));
        QTest::newRow("text as mp3") << mediatest::writeFile(m_dir.path(), "text.mp3", "not a sound at all\n");
        QTest::newRow("unknown scheme") << QStringLiteral("nosuchscheme://here/x.mp3");
        QTest::newRow("not found") << m_server.url("/nothing.mp3");
        QTest::newRow("answer without HTTP") << m_server.url("/garbage.mp3");
        QTest::newRow("endless redirect") << m_server.url("/loop.mp3");
    }

    void badSourcesGiveError()
    {
        QFETCH(QString, source);
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(source);
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 5000);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Stopped));
        QCOMPARE(transitions(states), (QList<Transition>{{6, 3}, {3, 0}}));
        testsupport::drainEvents();
        QCOMPARE(errors.size(), 1);
    }

    void aLocalPlaylistPlaysItsFirstPlayableEntry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("m3u") << "list.m3u" << QByteArray("#EXTM3U\n#EXTINF:-1,Tone\ntone.wav\n");
        QTest::newRow("m3u, first entry missing") << "skip.m3u" << QByteArray("missing.wav\ntone.wav\n");
        QTest::newRow("pls") << "list.pls"
                             << QByteArray("[playlist]\nNumberOfEntries=1\nFile1=tone.wav\nTitle1=Tone\n"
                                           "Length1=-1\nVersion=2\n");
        QTest::newRow("asx") << "list.asx"
                             << QByteArray("<ASX version=\"3.0\"><Title>Test</Title>\n"
                                           "<Entry><Ref href=\"tone.wav\"/></Entry></ASX>\n");
        QTest::newRow("wax") << "list.wax"
                             << QByteArray("<asx version=\"3.0\"><entry><ref href=\"tone.wav\"/></entry></asx>\n");
        QTest::newRow("playlist naming a playlist") << "outer.m3u" << QByteArray("list.pls\n");
    }

    void aLocalPlaylistPlaysItsFirstPlayableEntry()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        mediatest::writeFile(m_dir.path(), "list.pls", "[playlist]\nNumberOfEntries=1\nFile1=tone.wav\nVersion=2\n");
        const QString list = mediatest::writeFile(m_dir.path(), name, content);
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(list);
        QTRY_VERIFY_WITH_TIMEOUT(transitions(states).contains(Transition(3, 2)), 5000);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoEntryAddress), m_tone);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoSource), list);
        QTRY_COMPARE_WITH_TIMEOUT(transitions(states).last(), Transition(2, 0), 5000);
        QCOMPARE(errors.size(), 0);
    }

    void aPlaylistWithNothingPlayableGivesOneError()
    {
        const QString list = mediatest::writeFile(m_dir.path(), "dead.m3u", "gone1.mp3\ngone2.mp3\n");
        VlcMediaPlayer player;
        QSignalSpy errors(&player, &MediaPlayer::Error);
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        player.Open(list);
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 5000);
        QCOMPARE(transitions(states), (QList<Transition>{{6, 3}, {3, 0}}));
    }

    void aPlaylistNamingItselfEndsInError()
    {
        const QString list = mediatest::writeFile(m_dir.path(), "loop.m3u", "loop.m3u\n");
        VlcMediaPlayer player;
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(list);
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 5000);
    }

    void aServedStreamBuffersPlaysAndReportsItsLoss()
    {
        mediatest::HttpServer server;
        QVERIFY(server.isListening());
        // Three seconds of tone at twice its pace, as a live station sends it:
        // no length, no ranges.
        mediatest::Reply live;
        live.headers = {{"Content-Type", WavType}};
        live.body = mediatest::toneWav(3.0);
        live.chunkBytes = 8820;
        live.intervalMs = 100;
        server.setReply("/live", live);

        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy buffering(&player, &MediaPlayer::Buffering);
        QSignalSpy disconnects(&player, &MediaPlayer::Disconnect);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(server.url("/live"));
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(bufferingStarts(buffering), (QList<bool>{true, false}), 3000);
        QVERIFY(player.IsBroadcast());
        QCOMPARE(player.BufferingTime(), 2.0);
        QCOMPARE(player.BufferingProgress(), 100);
        QTRY_VERIFY_WITH_TIMEOUT(player.ReceivedPackets() > 0, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(player.Bandwidth() > 0, 3000);
        QVERIFY(player.ReceptionQuality() > 0 && player.ReceptionQuality() <= 100);
        QVERIFY(player.LostPackets() >= 0);

        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Stopped), 8000);
        QCOMPARE(transitions(states).last(), Transition(2, 0));
        QCOMPARE(disconnects.size(), 1);
        QCOMPARE(disconnects.first().first().toInt(), qint32(MediaPlayer::StreamEnded));
        QCOMPARE(errors.size(), 0);
        QVERIFY(!player.IsBroadcast());
        QCOMPARE(player.Bandwidth(), 0);
        QCOMPARE(player.ReceptionQuality(), 0);
    }

    void aStalledStreamLosesItsReceptionAndDisconnects()
    {
        mediatest::HttpServer server;
        // Three seconds of tone at twice its pace, then the connection stays open
        // and silent, as a station whose encoder hangs.
        mediatest::Reply stalled;
        stalled.headers = {{"Content-Type", WavType}};
        stalled.body = mediatest::toneWav(3.0);
        stalled.chunkBytes = 8820;
        stalled.intervalMs = 100;
        stalled.holdOpen = true;
        server.setReply("/stalled", stalled);

        VlcMediaPlayer player;
        player.setStallTimeout(2500);
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy disconnects(&player, &MediaPlayer::Disconnect);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(server.url("/stalled"));
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player.ReceptionQuality() > 0, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(player.ReceptionQuality(), 0, 6000);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Playing));
        QTRY_COMPARE_WITH_TIMEOUT(disconnects.size(), 1, 8000);
        QCOMPARE(disconnects.first().first().toInt(), qint32(MediaPlayer::StreamFailed));
        QCOMPARE(transitions(states).last(), Transition(2, 0));
        QCOMPARE(errors.size(), 0);
    }

    void anHttpPlaylistIsFollowedThroughARedirect_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("m3u") << "/radio.m3u" << QByteArray("audio/x-mpegurl") << QByteArray("%1\n");
        QTest::newRow("pls") << "/radio.pls" << QByteArray("audio/x-scpls")
                             << QByteArray("[playlist]\nNumberOfEntries=1\nFile1=%1\nVersion=2\n");
        QTest::newRow("asx") << "/radio.asx" << QByteArray("video/x-ms-asf")
                             << QByteArray("<asx version=\"3.0\"><entry><ref href=\"%1\"/></entry></asx>\n");
        QTest::newRow("wax") << "/radio.wax" << QByteArray("audio/x-ms-wax")
                             << QByteArray("<ASX VERSION=\"3.0\"><ENTRY><REF HREF=\"%1\" /></ENTRY></ASX>\n");
    }

    void anHttpPlaylistIsFollowedThroughARedirect()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, content);
        mediatest::HttpServer server;
        mediatest::Reply list;
        list.headers = {{"Content-Type", type}};
        list.body = QString::fromLatin1(content).arg(server.url("/moved")).toLatin1();
        server.setReply(path, list);
        mediatest::Reply moved;
        moved.status = "302 Found";
        moved.headers = {{"Location", server.url("/tone.wav").toLatin1()}};
        server.setReply("/moved", moved);
        mediatest::Reply tone;
        tone.headers = {{"Content-Type", WavType}};
        tone.body = mediatest::toneWav(0.5);
        server.setReply("/tone.wav", tone);

        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(server.url(path));
        QTRY_VERIFY_WITH_TIMEOUT(transitions(states).contains(Transition(3, 2)), 5000);
        QCOMPARE(errors.size(), 0);
        QCOMPARE(server.requests().first(), path);
        QVERIFY(server.requests().contains("/moved"));
        QVERIFY(server.requests().contains("/tone.wav"));
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoEntryAddress), server.url("/moved"));
    }

    void aServerThatNeverAnswersTimesOut()
    {
        mediatest::HttpServer server;
        mediatest::Reply silent;
        silent.silent = true;
        server.setReply("/stall.mp3", silent);
        VlcMediaPlayer player;
        player.setOpenTimeout(1000);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        QElapsedTimer clock;
        clock.start();
        player.Open(server.url("/stall.mp3"));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 5000);
        QVERIFY(clock.elapsed() >= 900);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Stopped));
    }

    void stoppingAWaitingOpenIsQuick()
    {
        mediatest::HttpServer server;
        mediatest::Reply silent;
        silent.silent = true;
        server.setReply("/stall.mp3", silent);
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(server.url("/stall.mp3"));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, 3000);
        QElapsedTimer clock;
        clock.start();
        player.Stop();
        QVERIFY2(clock.elapsed() < testsupport::patience(2000), qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(transitions(states), (QList<Transition>{{6, 3}, {3, 0}}));
        testsupport::drainEvents();
        QCOMPARE(errors.size(), 0);
    }

    void aServedFileThatCanSeekIsNoBroadcast()
    {
        mediatest::HttpServer server;
        mediatest::Reply file;
        file.body = mediatest::toneWav(0.5);
        file.headers = {{"Content-Type", WavType},
                        {"Content-Length", QByteArray::number(file.body.size())},
                        {"Accept-Ranges", "bytes"}};
        server.setReply("/song.wav", file);
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy disconnects(&player, &MediaPlayer::Disconnect);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        bool broadcastWhilePlaying = true;
        connect(&player, &MediaPlayer::PlayStateChange, &player, [&](qint32, qint32 to) {
            if (to == MediaPlayer::Playing)
                broadcastWhilePlaying = player.IsBroadcast();
        });
        player.Open(server.url("/song.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(states.size(), 3, 5000);
        QCOMPARE(transitions(states).last(), Transition(2, 0));
        QVERIFY(!broadcastWhilePlaying);
        QCOMPARE(disconnects.size(), 0);
        QCOMPARE(errors.size(), 0);
    }

    void statisticsAreCheapAndZeroWhileIdle()
    {
        VlcMediaPlayer player;
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Closed));
        QElapsedTimer clock;
        clock.start();
        qint64 sum = 0;
        for (int i = 0; i < 10000; ++i)
            sum += player.BufferingProgress() + player.ReceptionQuality() + player.Bandwidth()
                + player.ReceivedPackets() + player.RecoveredPackets() + player.LostPackets()
                + (player.IsBroadcast() ? 1 : 0) + qint64(player.BufferingTime());
        QVERIFY2(clock.elapsed() < testsupport::patience(1000), qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sum, 0);
        for (int item : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 16})
            QCOMPARE(player.GetMediaInfoString(item), QString());
    }

    void statisticsAreReadableWhilePlayingALocalFile()
    {
        VlcMediaPlayer player;
        player.Open(m_longTone);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QVERIFY(!player.IsBroadcast());
        QCOMPARE(player.BufferingTime(), 0.3);
        QTRY_VERIFY_WITH_TIMEOUT(player.ReceivedPackets() > 0, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(player.ReceptionQuality(), 100, 3000);
        // 22050 samples of 16 bits a second.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player.Bandwidth() - 352800) < 352800 / 10, 3000);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoTitle), QString("long tone.wav"));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 10000; ++i)
            player.ReceptionQuality();
        QVERIFY2(clock.elapsed() < testsupport::patience(1000), qPrintable(QString::number(clock.elapsed())));
        player.Stop();
    }

    void volumeMapping_data()
    {
        QTest::addColumn<qint32>("volume");
        QTest::addColumn<int>("percent");
        QTest::newRow("loudest") << 0 << 100;
        QTest::newRow("above loudest") << 500 << 100;
        QTest::newRow("-6 dB") << -600 << 79;
        QTest::newRow("radio bar 66 %") << -2410 << 40;
        QTest::newRow("radio bar 0 %") << -4820 << 16;
        QTest::newRow("-60 dB") << -6000 << 10;
        QTest::newRow("just above silent") << -9999 << 2;
        QTest::newRow("silent") << -10000 << 0;
        QTest::newRow("below silent") << -20000 << 0;
    }

    void volumeMapping()
    {
        QFETCH(qint32, volume);
        QFETCH(int, percent);
        QCOMPARE(platform::volumeToVlcPercent(volume), percent);
    }

    void volumeMappingRoundTrips()
    {
        for (int percent = 3; percent <= 100; ++percent)
            QCOMPARE(platform::volumeToVlcPercent(platform::vlcPercentToVolume(percent)), percent);
        QCOMPARE(platform::vlcPercentToVolume(0), -10000);
        QCOMPARE(platform::vlcPercentToVolume(100), 0);
        QCOMPARE(platform::vlcPercentToVolume(150), 0);
    }

    void volumeAndMuteAreKeptAcrossPlayback()
    {
        VlcMediaPlayer player;
        QCOMPARE(player.Volume(), 0);
        QCOMPARE(player.Mute(), false);
        player.setVolume(-2410);
        player.setMute(true);
        player.Open(m_longTone); // the short one may be over before a loaded machine looks
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QCOMPARE(player.Volume(), -2410);
        QCOMPARE(player.Mute(), true);
        player.setVolume(-30000);
        QCOMPARE(player.Volume(), -10000);
        player.setVolume(200);
        QCOMPARE(player.Volume(), 0);
        player.setMute(false);
        QCOMPARE(player.Mute(), false);
    }

    void stopReportsAtOnceAndPlayStartsAgain()
    {
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy errors(&player, &MediaPlayer::Error);
        player.Open(m_longTone);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        states.clear();
        player.Stop();
        QCOMPARE(transitions(states), (QList<Transition>{{2, 0}}));
        player.Stop();
        QCOMPARE(states.size(), 1);

        player.Play();
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QCOMPARE(transitions(states), (QList<Transition>{{2, 0}, {0, 3}, {3, 2}}));
        player.Play(); // already playing: nothing
        testsupport::drainEvents();
        QCOMPARE(states.size(), 3);

        player.Close();
        QCOMPARE(transitions(states).last(), Transition(2, 6));
        player.Play(); // nothing open
        testsupport::drainEvents();
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Closed));
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoSource), QString());

        player.Open(m_tone);
        QTRY_COMPARE_WITH_TIMEOUT(transitions(states).last(), Transition(2, 0), 5000);
        QCOMPARE(errors.size(), 0);
    }

    void openingAnotherSourceReplacesWithoutAnEnd()
    {
        VlcMediaPlayer player;
        QSignalSpy states(&player, &MediaPlayer::PlayStateChange);
        QSignalSpy buffering(&player, &MediaPlayer::Buffering);
        player.Open(m_longTone);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        player.Open(m_tone);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Stopped), 5000);
        testsupport::drainEvents(); // anything late from the first file would show here
        const QList<Transition> expected{{6, 3}, {3, 2}, {2, 3}, {3, 2}, {2, 0}};
        QCOMPARE(transitions(states), expected);
        const QList<bool> starts = bufferingStarts(buffering);
        QVERIFY(!starts.isEmpty() && starts.size() % 2 == 0);
        for (int i = 0; i < starts.size(); ++i)
            QCOMPARE(starts[i], i % 2 == 0);
        QCOMPARE(player.GetMediaInfoString(MediaPlayer::InfoEntryAddress), m_tone);
    }

    void theEndHandlerMayOpenTheNextFile()
    {
        VlcMediaPlayer player;
        QStringList queue{m_tone, m_tone};
        int ends = 0;
        connect(&player, &MediaPlayer::PlayStateChange, &player, [&](qint32 from, qint32 to) {
            if (from != 2 || to != 0)
                return;
            ++ends;
            if (!queue.isEmpty())
                player.Open(queue.takeFirst());
        });
        player.Open(m_tone);
        QTRY_COMPARE_WITH_TIMEOUT(ends, 3, 8000);
        QCOMPARE(player.PlayState(), qint32(MediaPlayer::Stopped));
    }

    void aStartPositionIsAppliedWhenPlayingBegins()
    {
        VlcMediaPlayer player;
        player.Open(m_longTone);
        player.setCurrentPosition(3.0);
        QTRY_COMPARE_WITH_TIMEOUT(player.PlayState(), qint32(MediaPlayer::Playing), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(player.CurrentPosition() >= 3.0, 2000);
        player.setCurrentPosition(0);
        QTRY_VERIFY_WITH_TIMEOUT(player.CurrentPosition() < 1.0, 2000);
        player.Stop();
        QCOMPARE(player.CurrentPosition(), 0.0);
    }

    void destroyingAPlayerWithEventsInFlightIsSafe()
    {
        for (int i = 0; i < 5; ++i) {
            auto player = std::make_unique<VlcMediaPlayer>();
            player->Open(i % 2 ? m_tone : m_longTone);
            // Destroyed at different points: before any event ran, and after a few rounds of them.
            for (int round = 0; round < i; ++round)
                QCoreApplication::processEvents();
            player.reset();
        }
        testsupport::drainEvents();
    }

private:
    static QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        quint32 x = 2463534242u;
        for (char& c : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = char(x);
        }
        return bytes;
    }

    QTemporaryDir m_dir;
    mediatest::HttpServer m_server;
    QString m_tone;
    QString m_longTone;
};

VANTORA_TEST_MAIN(TestMediaPlayer)
#include "test_mediaplayer.moc"
