// Figures of the screensaver:
//   VN: exec to the first painted digits, memory, processor use while it runs,
//       time from SIGTERM to its end, time to end once the host window goes;
//   the main window: one refresh of the screensaver menu items, and the
//       processes it starts (none).
// Runs its own X server (Xvfb). Usage: bench_saver [seconds of the CPU run, default 60]
#include "mainwindow/form1.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/system/processrunner.h"
#include "platform/system/xscreensaver.h"
#include "tests/saver/xvfb.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingprocessrunner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    QByteArray all;
    char buffer[4096];
    for (qint64 n; (n = f.read(buffer, sizeof buffer)) > 0;)
        all.append(buffer, n);
    return all;
}

double rssMegabytes(qint64 pid)
{
    for (const QByteArray& line : procFile(pid, "status").split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// User and system time of the process, in seconds.
double cpuSeconds(qint64 pid)
{
    const QList<QByteArray> fields = procFile(pid, "stat").split(')').value(1).trimmed().split(' ');
    // After the state: fields 14 and 15 of stat are at 11 and 12 here.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

class Host : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkRed); }
};

QProcessEnvironment vnEnvironment(const QString& hostWindow = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.insert("QT_QPA_PLATFORM", "xcb");
    if (!hostWindow.isEmpty())
        env.insert("XSCREENSAVER_WINDOW", hostWindow);
    return env;
}

void benchVN(int cpuRunSeconds)
{
    // Exec to the first painted digits, full screen, five starts.
    QList<qint64> firstPaint;
    for (int run = 0; run < 5; ++run) {
        QProcess vn;
        vn.setProcessEnvironment(vnEnvironment());
        QElapsedTimer t;
        t.start();
        vn.start(QStringLiteral(VN_PROGRAM), {"/s"});
        while (testsupport::litPixels(0, 4) < 100 && t.elapsed() < 10000)
            QTest::qWait(2);
        firstPaint.append(t.elapsed());
        vn.kill();
        vn.waitForFinished();
        QTest::qWait(200);
    }
    std::sort(firstPaint.begin(), firstPaint.end());
    std::printf("VN /s exec to first paint: median %lld ms (min %lld, max %lld; grab polling adds a few ms)\n",
                firstPaint[2], firstPaint.first(), firstPaint.last());

    // Hosted, as under the daemon: memory, processor, SIGTERM.
    Host host;
    host.resize(1280, 1024);
    host.show();
    if (!QTest::qWaitForWindowExposed(&host))
        std::printf("host window not exposed\n");
    QProcess vn;
    vn.setProcessEnvironment(vnEnvironment(QStringLiteral("0x%1").arg(host.winId(), 0, 16)));
    QElapsedTimer t;
    t.start();
    vn.start(QStringLiteral(VN_PROGRAM), {"/s"});
    while (testsupport::litPixels(host.winId(), 4) < 100 && t.elapsed() < 10000)
        QTest::qWait(2);
    std::printf("VN /s in the daemon's window, exec to first paint: %lld ms\n", t.elapsed());
    const qint64 pid = vn.processId();
    QTest::qWait(2000);
    std::printf("VN resident memory: %.1f MB\n", rssMegabytes(pid));
    const double cpuBefore = cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(cpuRunSeconds * 1000);
    const double cpu = cpuSeconds(pid) - cpuBefore;
    std::printf("VN processor use over %d s: %.2f %% of one core (%.2f s of processor time)\n", cpuRunSeconds,
                100.0 * cpu / (wall.elapsed() / 1000.0), cpu);
    std::printf("VN resident memory after the run: %.1f MB\n", rssMegabytes(pid));
    QElapsedTimer term;
    term.start();
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    vn.waitForFinished(5000);
    std::printf("VN end after SIGTERM: %.1f ms\n", term.nsecsElapsed() / 1e6);

    // The host window goes away.
    auto gone = std::make_unique<Host>();
    gone->resize(640, 480);
    gone->show();
    if (!QTest::qWaitForWindowExposed(gone.get()))
        std::printf("host window not exposed\n");
    QProcess hosted;
    hosted.setProcessEnvironment(vnEnvironment(QStringLiteral("0x%1").arg(gone->winId(), 0, 16)));
    hosted.start(QStringLiteral(VN_PROGRAM), {"/s"});
    QElapsedTimer up;
    up.start();
    while (testsupport::litPixels(gone->winId(), 4) < 50 && up.elapsed() < 10000)
        QTest::qWait(5);
    QElapsedTimer end;
    gone.reset();
    QCoreApplication::processEvents();
    end.start();
    hosted.waitForFinished(5000);
    std::printf("VN end after its host window is destroyed: %lld ms\n", end.elapsed());
}

void benchMenuRefresh()
{
    // A registered VN in a preferences file as XScreenSaver writes it.
    QFile fixture(QStringLiteral(VANTORA_SOURCE_DIR "/tests/saver/data/xscreensaver-6.06"));
    fixture.open(QIODevice::ReadOnly);
    QByteArray prefs = fixture.readAll();
    prefs.replace("mode:\t\trandom", "mode:\t\tone").replace("selected:\t-1", "selected:\t0");
    QFile out(platform::xscreensaverFilePath());
    out.open(QIODevice::WriteOnly);
    out.write(prefs);
    out.close();

    platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)));
    platform::setClock(&clock);
    platform::RecordingProcessRunner runner;
    platform::setProcessRunner(&runner);
    {
        Form1 form;
        form.Form_Load();
        QMenu* tools = form.findChild<QMenu*>(QStringLiteral("tools"));
        runner.clear();
        const int rounds = 20000;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < rounds; ++i)
            emit tools->aboutToShow();
        std::printf("Menu refresh (Tools menu opening): %.1f us each over %d, %lld processes started\n",
                    t.nsecsElapsed() / 1e3 / rounds, rounds, static_cast<long long>(runner.calls().size()));
    }
    platform::setProcessRunner(nullptr);
    platform::setClock(nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    testsupport::Xvfb xvfb;
    if (!xvfb.isRunning()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", xvfb.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    QApplication app(argc, argv);
    benchMenuRefresh();
    benchVN(seconds);
    return 0;
}
