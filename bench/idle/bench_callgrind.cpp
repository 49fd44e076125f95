// Instruction counts (callgrind) of the main window's idle work, beside the
// start of a minimal Qt clock:
//   quiet tick       the tick run again within a second it has handled
//   new second       the tick of a new second with the repaint it causes,
//                    without zone rows and with five
//   pointer move     one pointer move over the clock, with its repaint
//   first paint      the Vantora program from its start until its first
//                    paint is flushed (a second start in the same home: the
//                    files it carries are on disk already), and the Qt
//                    clock's; both run in a temporary home, without network
//                    (unshare -n, so run as root), and are stopped by pid
//                    once callgrind has written the count
// Run: ./bench_callgrind [--part idle|start] [--timeout seconds] [--keep folder]
// It runs itself and the others under valgrind, each run without a time limit
// unless one is given (valgrind is slow on a loaded machine: a start may take
// minutes); a run that goes over its limit is stopped and reported as such.
#include "mainwindow/form1.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "tests/mainwindow/standins.h"
#include "tests/support/testenv.h"
#include "worldtime/zoneregistry.h"
#include "tests/support/doubles/manualclock.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <valgrind/callgrind.h>

namespace {

using platform::kOptions;

// The instructions counted in one callgrind output file.
qint64 totalOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression total(QStringLiteral("^(?:totals|summary):\\s+(\\d+)"));
    qint64 n = -1;
    while (!f.atEnd()) {
        const auto m = total.match(QString::fromLatin1(f.readLine()));
        if (m.hasMatch())
            n = m.captured(1).toLongLong();
    }
    return n;
}

// The widgets painted during the counted steps, by name (printed when the
// window part runs by itself: ./bench_callgrind --window).
struct PaintLog : QObject {
    bool counting = false;
    QMap<QString, int> painted;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (counting && event->type() == QEvent::Paint)
            ++painted[watched->objectName().isEmpty() ? QString::fromLatin1(watched->metaObject()->className())
                                                      : watched->objectName()];
        return false;
    }
};
PaintLog* g_paints = nullptr;

// Counts `repeat` runs of `step` (each run may prepare itself outside the count).
template <typename Prepare, typename Step>
void measure(const char* name, int repeat, Prepare prepare, Step step)
{
    g_paints->painted.clear();
    for (int i = 0; i < repeat; ++i) {
        prepare();
        g_paints->counting = true;
        CALLGRIND_TOGGLE_COLLECT;
        step();
        CALLGRIND_TOGGLE_COLLECT;
        g_paints->counting = false;
    }
    CALLGRIND_DUMP_STATS_AT(name);
    QTextStream err(stderr);
    err << name << " paints in " << repeat << " runs:";
    for (auto it = g_paints->painted.cbegin(); it != g_paints->painted.cend(); ++it)
        err << ' ' << it.key() << ' ' << it.value();
    err << '\n';
}

void settle() { QCoreApplication::processEvents(); }

void addFiveZones()
{
    const QStringList zones{QStringLiteral("Tokyo Standard Time"), QStringLiteral("Eastern Standard Time"),
                            QStringLiteral("India Standard Time"), QStringLiteral("GMT Standard Time"),
                            QStringLiteral("AUS Eastern Standard Time")};
    const QStringList biases{QStringLiteral("-540"), QStringLiteral("300"), QStringLiteral("-330"), QStringLiteral("0"),
                             QStringLiteral("-600")};
    for (int i = 1; i <= 5; ++i) {
        platform::saveSetting(kOptions, QStringLiteral("LastTZAddName%1").arg(i), QStringLiteral("Z%1").arg(i));
        platform::saveSetting(kOptions, QStringLiteral("VNTZval%1").arg(i), biases[i - 1]);
        platform::saveSetting(kOptions, QStringLiteral("VNTZname%1").arg(i), zones[i - 1]);
    }
    platform::saveSetting(kOptions, QStringLiteral("LastTZAdd"), QStringLiteral("5"));
}

// Under valgrind: the window's idle steps.
int measureWindow(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    PaintLog paints;
    g_paints = &paints;
    app.installEventFilter(&paints);
    worldtime::installZoneDatabase();
    testsupport::StandIns standIns(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
    platform::ManualClock& clock = standIns.clock;
    Form1 form;
    form.Form_Load();
    form.show();
    clock.advance(3000);
    settle();

    // A clock runs all day: the counts are those of its steady state, after a
    // minute has drawn every seconds digit and stored the options once.
    for (int i = 0; i < 61; ++i) {
        clock.advance(1000);
        settle();
    }
    CALLGRIND_START_INSTRUMENTATION;
    measure(
        "quiet-tick", 10, [] {}, [&] { form.Timer1_Timer(); });
    const auto toNextSecond = [&] {
        clock.advance(999);
        settle();
    };
    const auto newSecond = [&] {
        clock.advance(1);
        settle();
    };
    measure("new-second", 10, toNextSecond, newSecond);
    addFiveZones();
    form.SetTZ();
    for (int i = 0; i < 61; ++i) {
        clock.advance(1000);
        settle();
    }
    measure("new-second-5-rows", 10, toNextSecond, newSecond);
    int x = 20;
    measure(
        "pointer-move", 10, [] {},
        [&] {
            x = x == 20 ? 40 : 20;
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), form.mapToGlobal(QPointF(x, 20)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&form, &move);
            settle();
        });
    CALLGRIND_STOP_INSTRUMENTATION;
    return 0;
}

struct Options {
    bool idle = true;
    bool start = true;
    int timeoutMs = -1; // none
    QString keep;       // a folder that keeps callgrind's output files
};

Options parseOptions(const QStringList& args)
{
    Options o;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--part")) {
            o.idle = args[i + 1] == QLatin1String("idle");
            o.start = args[i + 1] == QLatin1String("start");
        } else if (args[i] == QLatin1String("--timeout")) {
            o.timeoutMs = args[i + 1].toInt() * 1000;
        } else if (args[i] == QLatin1String("--keep")) {
            o.keep = args[i + 1];
        }
    }
    return o;
}

int g_timeoutMs = -1;

qint64 runUnderCallgrind(const QStringList& command, const QString& outFile, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    const QStringList args{QStringLiteral("--tool=callgrind"), QStringLiteral("--callgrind-out-file=") + outFile,
                           QStringLiteral("--instr-atstart=no"), QStringLiteral("--collect-atstart=no")};
    p.setProcessChannelMode(QProcess::MergedChannels);
    QTextStream(stderr) << "running " << command.join(QLatin1Char(' ')) << " under callgrind\n";
    p.start(QStringLiteral("valgrind"), args + command);
    if (!p.waitForFinished(g_timeoutMs)) {
        p.kill();
        p.waitForFinished(-1);
        QTextStream(stderr) << "stopped after " << g_timeoutMs / 1000 << " s\n";
        return -1;
    }
    if (p.exitCode() != 0)
        QTextStream(stderr) << p.readAll();
    return totalOf(outFile);
}

void measureIdle(const QString& self, const QDir& work, const QProcessEnvironment& env, QTextStream& out)
{
    runUnderCallgrind({self, QStringLiteral("--window")}, work.filePath(QStringLiteral("window")), env);
    const QStringList dumps = work.entryList({QStringLiteral("window.*")}, QDir::Files, QDir::Name);
    for (const QString& dump : dumps) {
        QFile f(work.filePath(dump));
        f.open(QIODevice::ReadOnly);
        const QString text = QString::fromLatin1(f.readAll());
        const auto name = QRegularExpression(QStringLiteral("desc: Trigger: Client Request: (\\S+)")).match(text);
        if (name.hasMatch())
            out << QStringLiteral("%1 %2 instructions each\n")
                       .arg(name.captured(1), -20)
                       .arg(totalOf(work.filePath(dump)) / 10);
    }
}

// Runs a program under callgrind, counting from its start until its first
// paint has been flushed; the program is stopped once that count is written.
qint64 startUnderCallgrind(const QStringList& command, const QString& outFile, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    const QStringList args{QStringLiteral("-n"), QStringLiteral("valgrind"), QStringLiteral("--tool=callgrind"),
                           QStringLiteral("--callgrind-out-file=") + outFile,
                           QStringLiteral("--dump-after=QWidgetRepaintManager::paintAndFlush*")};
    QTextStream(stderr) << "running " << command.join(QLatin1Char(' ')) << " under callgrind\n";
    p.start(QStringLiteral("unshare"), args + command);
    const QString firstDump = outFile + QStringLiteral(".1");
    QElapsedTimer waited;
    waited.start();
    qint64 count = -1;
    while ((count = totalOf(firstDump)) < 0 && !p.waitForFinished(200)) {
        if (g_timeoutMs >= 0 && waited.hasExpired(g_timeoutMs)) {
            QTextStream(stderr) << "stopped after " << g_timeoutMs / 1000 << " s\n";
            break;
        }
    }
    if (count < 0)
        count = totalOf(firstDump);
    p.kill();
    p.waitForFinished(-1);
    return count;
}

void measureStart(const QDir& work, QProcessEnvironment env, QTextStream& out)
{
    // A fresh user whose licence was accepted; the first start writes the files.
    const QString home = work.filePath(QStringLiteral("home"));
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = home + QLatin1Char('/') + QString::fromLatin1(var).toLower();
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QString::fromLatin1(var), path);
    }
    env.insert(QStringLiteral("VANTORA_WEB_BASE"), QStringLiteral("http://127.0.0.1:9"));
    {
        QProcess seed;
        seed.setProcessEnvironment(env);
        seed.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--seed")});
        seed.waitForFinished(-1);
    }
    const QStringList vantora{QStringLiteral(VANTORA_EXECUTABLE)};
    startUnderCallgrind(vantora, work.filePath(QStringLiteral("first-start")), env);
    const qint64 start = startUnderCallgrind(vantora, work.filePath(QStringLiteral("start")), env);
    const qint64 qtClock = startUnderCallgrind({QStringLiteral(QTCLOCK_EXECUTABLE)},
                                               work.filePath(QStringLiteral("qtclock")), env);
    out << QStringLiteral("start to first paint %1 M instructions (Qt clock %2 M)\n")
               .arg(double(start) / 1e6, 0, 'f', 1)
               .arg(double(qtClock) / 1e6, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--window")
        return measureWindow(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--seed") {
        QCoreApplication seedApp(argc, argv);
        platform::saveSetting(kOptions, QStringLiteral("FirstUse2"), QStringLiteral("False"));
        platform::flushSettings();
        return 0;
    }

    QCoreApplication app(argc, argv);
    const Options options = parseOptions(QCoreApplication::arguments());
    g_timeoutMs = options.timeoutMs;
    QTemporaryDir temporary;
    QDir work(options.keep.isEmpty() ? temporary.path() : options.keep);
    work.mkpath(QStringLiteral("."));
    QTextStream out(stdout);
    const QString self = QCoreApplication::applicationFilePath();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    if (options.idle)
        measureIdle(self, work, env, out);
    if (options.start)
        measureStart(work, env, out);
    return 0;
}
