// The program against hostile peers on loopback: an endless HTTP body, a body
// of one byte a second, 2 GB announced, TLS with a certificate from nobody the
// program trusts, a TIME server that floods and one that never answers. Each
// case runs three times in a fresh program process (the online station list or
// the time-server window on the real clock) and reports the process's peak
// RSS, its longest window-thread stall, the most processor time the window
// thread spent without returning to its events ("busy") and the message it
// ended with. The longest gap of each run is split into processor, queued
// (the machine's load) and asleep time; a run with no peer at all shows what
// the load alone does to the same program.
// Run: QT_QPA_PLATFORM=offscreen VANTORA_SOURCE_DIR=<source> bench_hostile [case...]
#include "bench/stallprobe.h"
#include "mainwindow/form1.h"
#include "peers.h"
#include "platform/base/dialogs.h"
#include "platform/base/windowsystem.h"
#include "platform/media/sound.h"
#include "tests/support/testenv.h"
#include "tests/timesync/timepeers.h"
#include "timesync/frmntp.h"
#include "timesync/servers.h"
#include "tests/support/doubles/recordingsoundplayer.h"
#include "tests/support/doubles/recordingwindowsystem.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Case {
    const char* name;
    const char* kind; // "http", "tls", "time" or "idle"
    const char* path; // below the HTTP peer, or the TIME server's mode
};

const Case kCases[] = {
    {"endless body", "http", "/endless"},
    {"1 byte/s drip", "http", "/trickle"},
    {"2 GB Content-Length", "http", "/huge"},
    {"TLS, untrusted certificate", "tls", ""},
    {"TIME flood", "time", "flood"},
    {"TIME silence", "time", "silent"},
    // The same program with no peer for as long as the drip lasts: the gaps
    // the machine's load alone makes.
    {"no peer, 60 s", "idle", ""},
};

qint64 peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// The child: one case against the peer named in the environment. The test
// environment has already pointed the web base at a closed port, so the peer's
// address comes in a variable of its own.
int runCase(const QByteArray& kind)
{
    const onlinetest::WebBase peer(qEnvironmentVariable("VANTORA_HOSTILE_BASE"));
    platform::ScriptedDialogs dialogs;
    platform::RecordingSoundPlayer sound;
    platform::RecordingWindowSystem windows;
    platform::setDialogs(&dialogs);
    platform::setSoundPlayer(&sound);
    platform::setWindowSystem(&windows);
    Form1 main;
    main.Form_Load();
    main.show();
    // The start's own late work (the zone chooser's first calculation) is
    // measured apart from the case.
    double startStall = 0;
    {
        bench::StallProbe start;
        QEventLoop settle;
        QTimer::singleShot(2000, &settle, &QEventLoop::quit);
        settle.exec();
        startStall = start.longest().lengthMs;
    }

    QElapsedTimer clock;
    clock.start();
    bench::StallProbe probe;
    QString message;
    if (kind == "idle") {
        QEventLoop wait;
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        wait.exec();
        message = QStringLiteral("(none asked for)");
    } else if (kind == "time") {
        timesync::setServerTable(QStringList(10, QStringLiteral("127.0.0.1")),
                                 static_cast<quint16>(qEnvironmentVariableIntValue("VANTORA_TIME_PORT")));
        frmNTP ntp(&main);
        ntp.StartNTP(0);
        ntp.findChild<QAction*>(QStringLiteral("Syn"))->trigger();
        auto* status = ntp.findChild<QLabel*>(QStringLiteral("Label1"));
        QEventLoop wait;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!status->text().isEmpty())
                wait.quit();
        });
        poll.start(20);
        wait.exec();
        message = status->text();
    } else {
        main.InterLaunch_Click(); // returns once the list window has closed
        message = dialogs.shown().isEmpty() ? QStringLiteral("(no message)") : dialogs.shown().last().prompt;
    }
    const bench::Gap worst = probe.longest();
    std::printf("RESULT %lld %.0f %.0f %.1f %.0f %.0f %.0f %.0f %.0f %s\n", peakRssKb(), worst.lengthMs,
                probe.longestBusyMs(), clock.elapsed() / 1000.0, worst.atMs, worst.cpuMs, worst.queuedMs,
                worst.asleepMs(), startStall, qPrintable(message.simplified()));
    std::fflush(stdout);
    platform::setDialogs(nullptr);
    platform::setSoundPlayer(nullptr);
    platform::setWindowSystem(nullptr);
    return 0;
}

struct Run {
    double rssMb = 0;
    double stallMs = 0;
    double busyMs = 0;
    double seconds = 0;
    double startStallMs = 0;
    QString worst; // the longest gap: when, and its processor / queued / asleep split
    QString message;
};

// Starts the program on one case and serves the parent's own peers meanwhile.
Run runChild(const Case& c, const QString& webBase, quint16 timePort)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTORA_HOSTILE_CASE"), QString::fromLatin1(c.kind));
    env.insert(QStringLiteral("VANTORA_HOSTILE_BASE"), webBase);
    env.insert(QStringLiteral("VANTORA_TIME_PORT"), QString::number(timePort));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    child.start(QCoreApplication::applicationFilePath(), {});
    loop.exec();
    if (child.state() != QProcess::NotRunning) {
        child.kill(); // by its own pid
        child.waitForFinished();
    }
    Run run;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT "))
            continue;
        const QList<QByteArray> f = line.split(' ');
        run.rssMb = f.value(1).toDouble() / 1024.0;
        run.stallMs = f.value(2).toDouble();
        run.busyMs = f.value(3).toDouble();
        run.seconds = f.value(4).toDouble();
        run.worst = QStringLiteral("%1@%2s:%3/%4/%5")
                        .arg(QString::fromUtf8(f.value(2)), QString::number(f.value(5).toDouble() / 1000, 'f', 1),
                             QString::fromUtf8(f.value(6)), QString::fromUtf8(f.value(7)),
                             QString::fromUtf8(f.value(8)));
        run.startStallMs = f.value(9).toDouble();
        run.message = QString::fromUtf8(f.mid(10).join(' '));
    }
    if (run.message.isEmpty())
        run.message = QStringLiteral("(the program ended without a result, exit %1)").arg(child.exitCode());
    return run;
}

QString spread(QList<double> v, const char* format)
{
    std::sort(v.begin(), v.end());
    return QString::asprintf(format, v.first()) + QStringLiteral(" / ") + QString::asprintf(format, v[v.size() / 2])
        + QStringLiteral(" / ") + QString::asprintf(format, v.last());
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray kind = qgetenv("VANTORA_HOSTILE_CASE");
    testsupport::environment();
    QApplication app(argc, argv);
    if (!kind.isEmpty())
        return runCase(kind);

    const QStringList chosen = app.arguments().mid(1);
    onlinetest::HttpPeer http;
    onlinetest::TlsPeer tls;
    if (!http.start() || !tls.start()) {
        std::fputs("cannot start the loopback peers\n", stderr);
        return 1;
    }
    tls.put("/VN/VN.log", "Station\r\nhttp://radio.example/1\r\n");
    testsupport::LoopbackTimeServer flood;
    flood.setMode(testsupport::LoopbackTimeServer::Mode::Flood);
    testsupport::LoopbackTimeServer silent;
    silent.setMode(testsupport::LoopbackTimeServer::Mode::Silent);

    std::printf("%-28s %-20s %-16s %-16s %-16s %s\n", "case", "peak RSS MB", "stall ms", "busy ms", "seconds",
                "message (each figure min / median / max)");
    for (const Case& c : kCases) {
        if (!chosen.isEmpty() && !chosen.contains(QString::fromLatin1(c.name)))
            continue;
        const QByteArray kindOf = c.kind;
        const QString base = kindOf == "tls" ? tls.base() : http.base(QString::fromLatin1(c.path));
        const quint16 port = QByteArray(c.path) == "flood" ? flood.port() : silent.port();
        QList<double> rss, stall, busy, seconds;
        QString message;
        QStringList worst;
        QList<double> startStall;
        for (int run = 0; run < 3; ++run) {
            const Run r = runChild(c, base, port);
            worst << r.worst;
            startStall << r.startStallMs;
            rss << r.rssMb;
            stall << r.stallMs;
            busy << r.busyMs;
            seconds << r.seconds;
            message = r.message;
        }
        std::printf("%-28s %-20s %-16s %-16s %-16s %s\n", c.name, qPrintable(spread(rss, "%.1f")),
                    qPrintable(spread(stall, "%.0f")), qPrintable(spread(busy, "%.0f")),
                    qPrintable(spread(seconds, "%.1f")), qPrintable(message.left(90)));
        std::printf("    longest gaps (ms@when: processor/queued/asleep ms): %s; the start before the case: %s ms\n",
                    qPrintable(worst.join(QStringLiteral(", "))), qPrintable(spread(startStall, "%.0f")));
        std::fflush(stdout);
    }
    return 0;
}
