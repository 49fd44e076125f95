// The radio's timings and costs with libVLC against sources on 127.0.0.1 (sound
// to a null output): a local file and an Icecast stream from open to playing,
// Stop, the gap between the files of a folder, and the program's CPU share and
// memory while the radio window plays. Run: ./bench_radio [seconds of playing]
// "./bench_radio start" measures only the first station a fresh process opens:
// the window thread's longest stall from the choice to playing.
#include "bench/stallprobe.h"
#include "platform/base/clock.h"
#include "platform/media/vlcmediaplayer.h"
#include "tests/radio/mp3kit.h"
#include "tests/radio/peers.h"
#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <functional>

namespace {

using platform::MediaPlayer;

QTextStream out(stdout);

// Runs the event loop (sleeping between events) until done() or ms have passed.
bool waitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > ms)
            loop.quit();
    });
    poll.start();
    if (!done())
        loop.exec();
    return done();
}

void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    QList<double> values;
    void add(double v) { values << v; }
    QString text() const
    {
        if (values.isEmpty())
            return QStringLiteral("no figure");
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return QStringLiteral("median %1 ms, max %2 ms (%3 runs)")
            .arg(sorted[sorted.size() / 2], 0, 'f', 1)
            .arg(sorted.last(), 0, 'f', 1)
            .arg(sorted.size());
    }
};

double msSince(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

// Open to playing, then the length of Stop, for one source.
void openAndStop(const QString& source, int runs, Figures& toPlaying, Figures& stop)
{
    for (int i = 0; i < runs; ++i) {
        platform::VlcMediaPlayer player;
        QElapsedTimer clock;
        clock.start();
        player.Open(source);
        if (!waitUntil([&] { return player.PlayState() == MediaPlayer::Playing; }, 10000)) {
            out << "  " << source << " did not play\n";
            continue;
        }
        toPlaying.add(msSince(clock));
        idle(300);
        QElapsedTimer stopping;
        stopping.start();
        player.Stop();
        stop.add(msSince(stopping));
    }
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString statusValue(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return QString::fromLatin1(line.mid(qstrlen(key))).simplified();
    return {};
}

// The first station of the process, chosen in the main window's menu.
int firstStart(const QString& url)
{
    radiotest::RadioFixture fixture(QDateTime::currentDateTime(), true, true);
    platform::setClock(nullptr);
    radiotest::RadioFixture::setOption("RadioURL2", url);
    Form1* form1 = fixture.load();
    form1->show();
    idle(500);
    QElapsedTimer clock;
    clock.start();
    bench::StallProbe probe;
    fixture.trigger("url_2");
    const bool playing = waitUntil(
        [&] {
            return fixture.radio() && fixture.radio()->player()
                && fixture.radio()->player()->PlayState() == MediaPlayer::Playing;
        },
        20000);
    out << "first station of the process: " << (playing ? "playing" : "NOT playing") << " after " << clock.elapsed()
        << " ms, longest window-thread stall " << probe.longestMs() << " ms (busy "
        << QString::number(probe.longestBusyMs(), 'f', 0) << " ms)\n";
    fixture.radio()->findChild<QAction*>("end")->trigger();
    waitUntil([&] { return !fixture.radio()->isLoaded(); }, 3000);
    return playing ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const bool startOnly = argc > 1 && QByteArray(argv[1]) == "start";
    const int playSeconds = argc > 1 && !startOnly ? QString(argv[1]).toInt() : 10;
    // The first start runs with the program's own libVLC options.
    if (!startOnly)
        MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--no-video-title-show", "--quiet"});

    QTemporaryDir dir;
    const QString folder = dir.filePath("music") + "/";
    QDir().mkpath(folder);
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"})
        radiotest::writeText(folder + name, mp3kit::silentMp3(1.0, name));
    const QString longFile = dir.filePath("long.mp3");
    radiotest::writeText(longFile, mp3kit::silentMp3(30.0, "Long", "Bench"));

    radiotest::IcecastStation station;
    if (!station.start(dir.filePath("icecast"), longFile, "/live.mp3", "Vantora Bench FM")) {
        out << "Icecast would not start\n";
        return 1;
    }
    if (startOnly) {
        const int result = firstStart(station.url());
        station.stop();
        return result;
    }

    Figures fileToPlaying, fileStop, streamToPlaying, streamStop;
    openAndStop(longFile, 5, fileToPlaying, fileStop);
    openAndStop(station.url(), 3, streamToPlaying, streamStop);
    out << "local file, open to playing: " << fileToPlaying.text() << "\n"
        << "local file, Stop: " << fileStop.text() << "\n"
        << "loopback stream, open to playing: " << streamToPlaying.text() << "\n"
        << "loopback stream, Stop: " << streamStop.text() << "\n";
    out.flush();

    // The radio window with the program's own timers on the real clock.
    radiotest::RadioFixture fixture(QDateTime::currentDateTime(), true);
    platform::setClock(nullptr);
    radiotest::RadioFixture::setOption("RadioURL12", folder);
    radiotest::RadioFixture::setOption("RadioURL2", station.url());
    Form1* form1 = fixture.load();
    form1->show();

    fixture.trigger("url_12");
    Radio* radio = fixture.radio();
    Figures gaps;
    QElapsedTimer sinceEnd;
    bool ended = false;
    QObject::connect(radio->player(), &MediaPlayer::PlayStateChange, radio, [&](qint32 from, qint32 to) {
        if (from == MediaPlayer::Playing && to == MediaPlayer::Stopped) {
            sinceEnd.start();
            ended = true;
        } else if (to == MediaPlayer::Playing && ended) {
            gaps.add(msSince(sinceEnd));
            ended = false;
        }
    });
    waitUntil([&] { return !radio->isLoaded(); }, 15000);
    out << "folder of 4 files, gap from the end of one to the next playing: " << gaps.text() << "\n";
    out.flush();

    fixture.trigger("url_2");
    waitUntil([&] { return radio->player() && radio->player()->PlayState() == MediaPlayer::Playing; }, 10000);
    idle(2000);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    idle(playSeconds * 1000);
    const double share = 100.0 * (cpuSeconds() - cpuBefore) / (double(wall.nsecsElapsed()) / 1e9);
    out << "playing the stream in the radio window for " << playSeconds << " s: " << QString::number(share, 'f', 2)
        << " % of a core, RSS " << statusValue("VmRSS:") << " (peak " << statusValue("VmHWM:") << ")\n";

    radio->findChild<QAction*>("end")->trigger();
    waitUntil([&] { return !radio->isLoaded(); }, 3000);
    idle(500);
    const double closedBefore = cpuSeconds();
    QElapsedTimer closedWall;
    closedWall.start();
    idle(3000);
    out << "radio window closed: radio timers running: " << (radio->anyTimerRunning() ? "some" : "none") << ", player "
        << (radio->player() ? "kept" : "released") << ", "
        << QString::number(100.0 * (cpuSeconds() - closedBefore) / (double(closedWall.nsecsElapsed()) / 1e9), 'f', 2)
        << " % of a core (the clock alone)\n";
    station.stop();
    return 0;
}
