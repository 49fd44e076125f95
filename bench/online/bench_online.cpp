// Figures of the online services: opening the online station list, the
// window thread's longest stall during downloads, how long a silent server
// holds a download, the updater's deadline, and kills during the updater
// download. Run: QT_QPA_PLATFORM=offscreen VANTORA_SOURCE_DIR=<source> bench_online
#include "bench/stallprobe.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "online/frminternet.h"
#include "online/internet.h"
#include "peers.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/base/program.h"
#include "platform/online/download.h"
#include "platform/online/networkdownloader.h"
#include "platform/system/processrunner.h"
#include "platform/system/paths.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingprocessrunner.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

QByteArray stationList(int pairs)
{
    QByteArray list;
    for (int i = 1; i <= pairs; ++i)
        list += "Station " + QByteArray::number(i) + "\r\nhttp://radio.example/" + QByteArray::number(i) + "\r\n";
    return list;
}

// One download to its end (the benchmark waits; the program never does).
platform::Download fetch(platform::Downloader& d, const QUrl& url, const platform::DownloadLimits& limits = {})
{
    QObject owner;
    QEventLoop loop;
    platform::Download result;
    QObject::connect(d.get(url, limits, &owner), &platform::DownloadJob::finished, &owner,
                     [&](const platform::Download& r) {
                         result = r;
                         loop.quit();
                     });
    loop.exec();
    return result;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

void openListFigure(onlinetest::HttpPeer& peer)
{
    peer.put("/VN/VN.log", stationList(200));
    qputenv("VANTORA_WEB_BASE", peer.base().toUtf8());
    QList<double> times;
    for (int run = 0; run < 15; ++run) {
        frmInternet window;
        QElapsedTimer t;
        QObject::connect(&window, &frmInternet::listLoaded, [&] {
            times << t.nsecsElapsed() / 1e6;
            window.reject();
        });
        t.start();
        window.showModal();
    }
    std::printf("online list (200 stations, loopback) open to shown: median %.1f ms, worst %.1f ms\n", median(times),
                *std::max_element(times.begin(), times.end()));

    // The longest list the 1 MB limit lets in (90000 lines, 45000 stations):
    // open to shown, and the window thread's longest stall meanwhile.
    QByteArray longest;
    for (int i = 1; i <= 45000; ++i)
        longest += "S" + QByteArray::number(i) + "\nhttp://r/" + QByteArray::number(i) + "\n";
    peer.put("/VN/VN.log", longest);
    QList<double> stalls;
    times.clear();
    for (int run = 0; run < 3; ++run) {
        frmInternet window;
        QElapsedTimer t;
        QObject::connect(&window, &frmInternet::listLoaded, [&] {
            times << t.nsecsElapsed() / 1e6;
            window.reject();
        });
        stalls << bench::longestStallMs([&] {
            t.start();
            window.showModal();
        });
    }
    std::sort(times.begin(), times.end());
    std::sort(stalls.begin(), stalls.end());
    std::printf("online list (45000 stations, %lld bytes): open to shown min/median/max %.0f/%.0f/%.0f ms, "
                "longest stall %.0f/%.0f/%.0f ms\n",
                static_cast<long long>(longest.size()), times[0], times[1], times[2], stalls[0], stalls[1], stalls[2]);
}

void stallFigures(onlinetest::HttpPeer& peer)
{
    peer.put("/VN/big.log", QByteArray(1000 * 1024, 'x'));
    peer.put("/VN/VNUpdate.exe", QByteArray(32 * 1024 * 1024, 'u'));
    platform::NetworkDownloader d;
    const double text = bench::longestStallMs([&] { fetch(d, QUrl(peer.base("/VN/big.log"))); });
    platform::DownloadLimits exe;
    exe.maxBytes = 64LL * 1024 * 1024;
    exe.executable = true;
    const bench::Gap program = bench::longestStall([&] { fetch(d, QUrl(peer.base("/VN/VNUpdate.exe")), exe); });
    const double drip = bench::longestStallMs([&] {
        platform::DownloadLimits limits;
        limits.deadlineMs = 3000;
        fetch(d, QUrl(peer.base("/drip/x")), limits);
    });
    std::printf("longest window-thread stall: 1000 KiB list %.0f ms, 32 MiB updater %.0f ms (processor %.0f, queued "
                "%.0f, asleep %.0f), 3 s drip %.0f ms\n",
                text, program.lengthMs, program.cpuMs, program.queuedMs, program.asleepMs(), drip);
}

void silentFigure(onlinetest::HttpPeer& peer)
{
    platform::NetworkDownloader d;
    QElapsedTimer t;
    t.start();
    const platform::Download got = fetch(d, QUrl(peer.base("/silent/VN/VN.log")));
    std::printf("silent server: gave up after %.2f s (%s)\n", t.elapsed() / 1000.0, qPrintable(got.error));
}

void deadlineFigure(onlinetest::HttpPeer& peer)
{
    platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    platform::setClock(&clock);
    platform::NetworkDownloader d;
    QTimer steps;
    qint64 programMs = 0;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        clock.advance(1000);
        programMs += 1000;
    });
    QObject::connect(&d, &platform::Downloader::StateChanged, [&](int s) {
        if (s == platform::inet::ReceivingResponse)
            steps.start(10);
    });
    platform::DownloadLimits exe;
    exe.maxBytes = 64LL * 1024 * 1024;
    exe.deadlineMs = 300000;
    exe.executable = true;
    const platform::Download got = fetch(d, QUrl(peer.base("/drip/VN/VNUpdate.exe")), exe);
    steps.stop();
    platform::setClock(nullptr);
    std::printf("updater from a dripping server: gave up after %lld s of program time (deadline 300 s): %s\n",
                programMs / 1000, qPrintable(got.error));
}

// The child: runs the automatic update check again and again until killed.
int updateChild()
{
    platform::RecordingProcessRunner runner;
    platform::setProcessRunner(&runner);
    platform::setEndProgramHandler([](int) {});
    Form1 main;
    main.Form_Load();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;) {
        QFile::remove(Internet::updaterPath());
        main.internet()->ChkUpdate(true);
        while (main.internet()->checkRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void killFigure(onlinetest::HttpPeer& peer)
{
    const QByteArray program = QByteArray(8 * 1024 * 1024, 'p');
    const QByteArray digest = QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex();
    peer.put("/VN/VNUpdate.exe", program);
    peer.put("/VN/VNversion.log", "99.0.0\r\n" + digest + "\r\n");
    qputenv("VANTORA_WEB_BASE", peer.base().toUtf8());
    int partial = 0;
    int complete = 0;
    int absent = 0;
    QRandomGenerator rng(42);
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VANTORA_UPDATE_CHILD", "1");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        child.waitForReadyRead(20000);
        QThread::msleep(rng.bounded(5, 400));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        child.waitForFinished();
        QFile file(Internet::updaterPath());
        if (!file.exists()) {
            ++absent;
        } else if (file.open(QIODevice::ReadOnly)
                   && QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex() == digest) {
            ++complete;
        } else {
            ++partial;
        }
    }
    // The next start deletes what an update left beside the program.
    platform::setEndProgramHandler([](int) {});
    {
        Form1 next;
        next.Form_Load();
    }
    std::printf("kill -9 during the updater download, %d rounds: %d partial, %d complete and verified, %d none; "
                "left after the next start: %s\n",
                rounds, partial, complete, absent, QFile::exists(Internet::updaterPath()) ? "a file" : "nothing");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("VANTORA_UPDATE_CHILD")) {
        QApplication app(argc, argv);
        return updateChild();
    }
    testsupport::environment();
    QApplication app(argc, argv);
    onlinetest::HttpPeer peer;
    if (!peer.start()) {
        std::fputs("cannot start the loopback HTTP peer\n", stderr);
        return 1;
    }
    // Arguments choose the figures: list, stall, deadline, kill, silent (all by default).
    const QStringList chosen = app.arguments().mid(1);
    const auto wanted = [&](const char* name) { return chosen.isEmpty() || chosen.contains(QLatin1String(name)); };
    if (wanted("list"))
        openListFigure(peer);
    if (wanted("stall"))
        stallFigures(peer);
    if (wanted("deadline"))
        deadlineFigure(peer);
    if (wanted("kill"))
        killFigure(peer);
    if (wanted("silent"))
        silentFigure(peer);
    appWindows().unloadAll();
    return 0;
}
