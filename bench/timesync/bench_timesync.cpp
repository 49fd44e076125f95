// Time-server window figures against a real RFC 868 server (xinetd on loopback):
//  1. from "Synchronise" to the clock setter's request, on the real clock;
//  2. the window's running timers before opening and after closing;
//  3. resident memory over many automatic runs (manual clock, so the 3 s
//     close delay costs nothing).
// The clock setter only records. Run: ./bench_timesync [attempts] [automatic runs]
#include "platform/base/clock.h"
#include "platform/base/clocksetter.h"
#include "platform/base/dialogs.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/base/windowsystem.h"
#include "tests/support/testenv.h"
#include "tests/timesync/timepeers.h"
#include "timesync/frmntp.h"
#include "timesync/servers.h"
#include "tests/support/doubles/recordingwindowsystem.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

// Records when each request came, on a running stopwatch.
class TimedSetter : public platform::ClockSetter {
public:
    explicit TimedSetter(const QElapsedTimer& watch) : m_watch(watch) {}
    void setTime(qint64, bool, QObject*, Done done) override
    {
        lastRequestNs = m_watch.nsecsElapsed();
        ++requests;
        done(platform::ClockSetResult::Set);
    }
    qint64 lastRequestNs = 0;
    int requests = 0;

private:
    const QElapsedTimer& m_watch;
};

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

bool waitFor(const std::function<bool()>& done, platform::ManualClock* clock = nullptr)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (clock)
            clock->advance(10);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int attempts = argc > 1 ? QString(argv[1]).toInt() : 200;
    const int automaticRuns = argc > 2 ? QString(argv[2]).toInt() : 1000;
    QTextStream out(stdout);

    platform::ScriptedDialogs dialogs;
    platform::setDialogs(&dialogs);
    platform::RecordingWindowSystem windows;
    platform::setWindowSystem(&windows);
    testsupport::XinetdTimeServer xinetd;
    if (!xinetd.start()) {
        out << "xinetd did not start\n";
        return 1;
    }
    timesync::setServerTable(QStringList(10, QStringLiteral("127.0.0.1")), xinetd.port());
    QElapsedTimer watch;
    watch.start();
    TimedSetter setter(watch);
    platform::setClockSetter(&setter);

    // 1. Synchronise -> request, real clock and timers.
    {
        frmNTP ntp(nullptr);
        out << "timers running before the first opening: " << ntp.runningTimerCount() << "\n";
        ntp.StartNTP(0);
        std::vector<double> ms;
        for (int i = 0; i < attempts; ++i) {
            const int before = setter.requests;
            const qint64 start = watch.nsecsElapsed();
            ntp.Syn_Click();
            if (!waitFor([&] { return setter.requests > before; })) {
                out << "attempt " << i << " got no reply\n";
                return 1;
            }
            ms.push_back(double(setter.lastRequestNs - start) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        out << "Synchronise -> setter request over " << attempts << " attempts: median " << ms[ms.size() / 2]
            << " ms, 95th " << ms[ms.size() * 95 / 100] << " ms, max " << ms.back() << " ms\n";
        ntp.Clfrm_Click();
        out << "timers running after closing: " << ntp.runningTimerCount() << "\n";
    }

    // 3. Memory over automatic runs.
    {
        platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(3, 0, 0)));
        platform::setClock(&clock);
        frmNTP ntp(nullptr);
        long warm = 0;
        const int warmUp = 50;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < warmUp + automaticRuns; ++i) {
            if (i == warmUp)
                warm = residentKb();
            const int before = setter.requests;
            ntp.StartNTP(-1);
            if (!waitFor([&] { return setter.requests > before; }) || !ntp.syncOK()) {
                out << "automatic run " << i << " did not set the clock\n";
                return 1;
            }
            clock.advance(3100);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (ntp.isLoaded()) {
                out << "automatic run " << i << " did not close\n";
                return 1;
            }
        }
        const long end = residentKb();
        out << automaticRuns << " automatic runs: RSS " << warm << " kB -> " << end << " kB (" << (end - warm)
            << " kB), " << double(elapsed.elapsed()) / (warmUp + automaticRuns) << " ms each\n";
        out << "log kept in memory: " << ntp.syncLog().size() << " characters (limit " << frmNTP::kSyncLogLimit
            << ")\n";
        platform::setClock(nullptr);
    }
    platform::setClockSetter(&testsupport::environment().clockSetter());
    xinetd.stop();
    return 0;
}
