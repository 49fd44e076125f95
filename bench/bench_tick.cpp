// Measures the cost of the main tick with nothing due: no alarm, no beep, no
// zones, no neighbouring windows. Run: ./bench_tick [ticks]
#include "mainwindow/form1.h"
#include "tests/mainwindow/standins.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/manualclock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? QString(argv[1]).toInt() : 40000;

    testsupport::StandIns standIns(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 100)));
    platform::ManualClock& clock = standIns.clock;

    Form1 form;
    form.Form_Load();
    if (!qEnvironmentVariableIsSet("BENCH_HIDDEN"))
        form.show();

    // Every tick as the timer runs it, with the other timers that run idle.
    QElapsedTimer elapsed;
    elapsed.start();
    clock.advance(qint64(ticks) * 250);
    const double perTick = double(elapsed.nsecsElapsed()) / 1000.0 / ticks;

    // The tick alone, within one second (no digit changes).
    QElapsedTimer direct;
    direct.start();
    for (int i = 0; i < ticks; ++i)
        form.Timer1_Timer();
    const double perPlainTick = double(direct.nsecsElapsed()) / 1000.0 / ticks;

    QTextStream(stdout) << "ticks: " << ticks << " (" << ticks / 4 / 60 << " min of clock time)\n"
                        << "per tick, timers included, " << perTick << " us\n"
                        << "per tick, same second, " << perPlainTick << " us\n";
    return 0;
}
