// Idle cost of the clock beside two peers, in the same minute on one X server:
// the program (default options, no zones), a minimal Qt clock (bench_qtclock)
// and `xclock -digital -update 1`. Starts its own Xvfb (-displayfd) with
// openbox, lets the three start, then measures each over the same interval:
// processor time (the nanoseconds each thread ran, from the scheduler's own
// accounts: clock ticks of 10 ms are too coarse for a program that runs a
// fraction of a percent), wake-ups (voluntary context switches of all its
// threads) and resident memory at the end. Prints every run and min/median/max.
// Run: [BENCH_DISPLAY=n] ./bench_idlepeers [seconds=60] [runs=3] [program=the built Vantora]
// (another build of the program can be measured against the same peers).
#include "platform/settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sample {
    double cpuSeconds = 0;
    long wakeups = 0;
    double rssMb = 0;
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

long statusField(const QByteArray& status, const QByteArray& key)
{
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return 0;
}

// The first field of a thread's schedstat: the time it ran, in nanoseconds.
double threadRunSeconds(const QString& taskFolder)
{
    return readFile(taskFolder + QStringLiteral("/schedstat")).split(' ').first().toDouble() / 1e9;
}

Sample sample(qint64 pid)
{
    Sample s;
    const QString base = QStringLiteral("/proc/%1").arg(pid);
    const QStringList tasks = QDir(base + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        const QString folder = base + QStringLiteral("/task/") + task;
        s.cpuSeconds += threadRunSeconds(folder);
        s.wakeups += statusField(readFile(folder + QStringLiteral("/status")), "voluntary_ctxt_switches:");
    }
    s.rssMb = double(statusField(readFile(base + QStringLiteral("/status")), "VmRSS:")) / 1024.0;
    return s;
}

struct Figures {
    double cpuPercent = 0;
    double wakeupsPerSecond = 0;
    double rssMb = 0;
};

// Xvfb on a display it chooses itself, with openbox; stopped by pid.
class XServer {
public:
    bool start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        m_xvfb = fork();
        if (m_xvfb == 0) {
            close(fds[0]);
            const QByteArray fd = QByteArray::number(fds[1]);
            // BENCH_DISPLAY=n takes display :n; without it Xvfb picks a free one.
            const QByteArray chosen = qgetenv("BENCH_DISPLAY");
            if (!chosen.isEmpty())
                execlp("Xvfb", "Xvfb", (":" + chosen).constData(), "-displayfd", fd.constData(), "-screen", "0",
                       "1024x768x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
            execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buf[16] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        if (n <= 0)
            return false;
        display = QStringLiteral(":") + QString::fromLatin1(buf, int(n)).trimmed();
        m_openbox.setProgram(QStringLiteral("openbox"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        m_openbox.setProcessEnvironment(env);
        m_openbox.start();
        return m_openbox.waitForStarted();
    }
    ~XServer()
    {
        if (m_openbox.state() != QProcess::NotRunning) {
            m_openbox.terminate();
            m_openbox.waitForFinished(3000);
        }
        if (m_xvfb > 0) {
            kill(m_xvfb, SIGTERM);
            waitpid(m_xvfb, nullptr, 0);
        }
    }
    QString display;

private:
    pid_t m_xvfb = -1;
    QProcess m_openbox;
};

QString medianLine(const QString& name, std::vector<Figures> runs)
{
    const auto pick = [&](auto member) {
        std::vector<double> v;
        for (const Figures& f : runs)
            v.push_back(f.*member);
        std::sort(v.begin(), v.end());
        return QStringLiteral("%1/%2/%3")
            .arg(v.front(), 0, 'f', 4)
            .arg(v[v.size() / 2], 0, 'f', 4)
            .arg(v.back(), 0, 'f', 4);
    };
    return QStringLiteral("%1  CPU %: %2  wake-ups/s: %3  RSS MB: %4")
        .arg(name, -10)
        .arg(pick(&Figures::cpuPercent), pick(&Figures::wakeupsPerSecond), pick(&Figures::rssMb));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    // The program's user: a fresh home whose licence was accepted before.
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const QString path = home.path() + QLatin1Char('/') + QString::fromLatin1(var).toLower();
        QDir().mkpath(path);
        qputenv(var, path.toLocal8Bit());
    }
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    const QString program = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(VANTORA_EXECUTABLE);
    platform::saveSetting(QStringLiteral("Options"), QStringLiteral("FirstUse2"), QStringLiteral("False"));
    platform::flushSettings();

    const QStringList names{QStringLiteral("Vantora"), QStringLiteral("Qt clock"), QStringLiteral("xclock")};
    std::vector<std::vector<Figures>> all(3);
    QTextStream out(stdout);
    for (int run = 0; run < runs; ++run) {
        XServer x;
        if (!x.start()) {
            out << "no X server\n";
            return 1;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), x.display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The program's online checks stay on this computer.
        env.insert(QStringLiteral("VANTORA_WEB_BASE"), QStringLiteral("http://127.0.0.1:9"));
        std::vector<std::unique_ptr<QProcess>> peers;
        const QList<QStringList> commands{
            {program},
            {QStringLiteral(QTCLOCK_EXECUTABLE)},
            {QStringLiteral("xclock"), QStringLiteral("-digital"), QStringLiteral("-update"), QStringLiteral("1")}};
        for (const QStringList& command : commands) {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->setProgram(command.first());
            p->setArguments(command.mid(1));
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->setStandardOutputFile(QProcess::nullDevice());
            p->start();
            p->waitForStarted();
            peers.push_back(std::move(p));
        }
        QThread::sleep(5); // the starts settle
        std::vector<Sample> before;
        QElapsedTimer interval;
        interval.start();
        for (const auto& p : peers)
            before.push_back(sample(p->processId()));
        QThread::sleep(static_cast<unsigned long>(seconds));
        const double measured = double(interval.nsecsElapsed()) / 1e9;
        out << "run " << run + 1 << ":\n";
        for (size_t i = 0; i < peers.size(); ++i) {
            const Sample after = sample(peers[i]->processId());
            Figures f;
            f.cpuPercent = 100.0 * (after.cpuSeconds - before[i].cpuSeconds) / measured;
            f.wakeupsPerSecond = double(after.wakeups - before[i].wakeups) / measured;
            f.rssMb = after.rssMb;
            all[i].push_back(f);
            out << QStringLiteral("  %1  CPU %2 %  wake-ups/s %3  RSS %4 MB\n")
                       .arg(names[int(i)], -10)
                       .arg(f.cpuPercent, 0, 'f', 4)
                       .arg(f.wakeupsPerSecond, 0, 'f', 2)
                       .arg(f.rssMb, 0, 'f', 1);
            out.flush();
        }
        for (const auto& p : peers) {
            kill(static_cast<pid_t>(p->processId()), SIGTERM);
            p->waitForFinished(5000);
        }
    }
    out << "min/median/max over " << runs << " runs of " << seconds << " s:\n";
    for (size_t i = 0; i < all.size(); ++i)
        out << "  " << medianLine(names[int(i)], all[i]) << "\n";
    return 0;
}
