// How long the sound calls keep the window thread: playMemory and stop must
// return at once (the alarm rings every 750 ms from the window's timer), the
// first of the process too.
//   bench_sound [CALLS]
#include "platform/media/mediaplayer.h"
#include "platform/media/vlcsoundplayer.h"
#include "tests/media/mediafixtures.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double median = 0, worst = 0;
};

Figures figuresOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    platform::MediaPlayer::setVlcArguments({"--aout=dummy", "--vout=dummy", "--quiet"});
    platform::VlcSoundPlayer player;
    const QByteArray alarm = mediatest::toneWav(1.0);
    // The first call of the process, which has libVLC to start.
    QElapsedTimer first;
    first.start();
    player.playMemory(alarm);
    const double firstMs = first.nsecsElapsed() / 1e6;
    QTest::qWait(300);

    std::vector<double> play, stop;
    QElapsedTimer t;
    for (int i = 0; i < calls; ++i) {
        t.start();
        player.playMemory(alarm);
        play.push_back(t.nsecsElapsed() / 1e6);
        QTest::qWait(20);
        t.start();
        player.stop();
        stop.push_back(t.nsecsElapsed() / 1e6);
        QTest::qWait(5);
    }
    const Figures p = figuresOf(play), s = figuresOf(stop);
    std::printf("first playMemory of the process: %.2f ms\n", firstMs);
    std::printf("playMemory: median %.2f ms, worst %.2f ms over %d calls\n", p.median, p.worst, calls);
    std::printf("stop:       median %.2f ms, worst %.2f ms over %d calls\n", s.median, s.worst, calls);
    return 0;
}
