// Measures the main tick with five world-clock rows (Tokyo, New York,
// Kolkata, London, Sydney, from the real zone database) and the zone chooser
// loaded, its own clock running. Run: ./bench_zonetick [ticks] [rows 0-5]
// (0 rows gives the same program without rows, for comparison).
#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "tests/mainwindow/standins.h"
#include "tests/support/testenv.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneregistry.h"
#include "tests/support/doubles/manualclock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextStream>

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? QString(argv[1]).toInt() : 40000;
    const int rows = argc > 2 ? qBound(0, QString(argv[2]).toInt(), 5) : 5;

    testsupport::StandIns standIns(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 100)));
    platform::ManualClock& clock = standIns.clock;
    worldtime::installZoneDatabase();

    const char* zones[] = {"Tokyo Standard Time", "Eastern Standard Time", "India Standard Time", "GMT Standard Time",
                           "AUS Eastern Standard Time"};
    const auto& db = worldtime::tzDatabase();
    for (int i = 1; i <= 5; ++i) {
        const worldtime::TzZone* zone = db.find(zones[i - 1]);
        const QString n = QString::number(i);
        platform::saveSetting("Options", "LastTZAddName" + n, QString("Z%1").arg(i));
        platform::saveSetting("Options", "VNTZname" + n, zone->display);
        platform::saveSetting("Options", "VNTZval" + n, QString::number(worldtime::tziBias(db.tzi(*zone))));
    }
    platform::saveSetting("Options", "LastTZAdd", QString::number(rows));

    Form1 form;
    form.Form_Load();
    if (!qEnvironmentVariableIsSet("BENCH_HIDDEN"))
        form.show();
    clock.advance(1000); // the chooser's first writes

    QElapsedTimer elapsed;
    elapsed.start();
    clock.advance(qint64(ticks) * 250);
    const double perTick = double(elapsed.nsecsElapsed()) / 1000.0 / ticks;

    QElapsedTimer direct;
    direct.start();
    for (int i = 0; i < ticks; ++i)
        form.Timer1_Timer();
    const double perPlainTick = double(direct.nsecsElapsed()) / 1000.0 / ticks;

    // The tick alone at each new second (every row formatted anew).
    QDateTime at = clock.now();
    QElapsedTimer seconds;
    qint64 spent = 0;
    for (int i = 0; i < ticks; ++i) {
        at = at.addSecs(1);
        clock.setNow(at);
        seconds.start();
        form.Timer1_Timer();
        spent += seconds.nsecsElapsed();
    }
    const double perNewSecond = double(spent) / 1000.0 / ticks;

    QTextStream out(stdout);
    out << "rows: " << form.LastTZAdd << ", first row: " << form.findChild<QLabel*>("Label5_0")->text() << "\n"
        << "ticks: " << ticks << " (" << ticks / 4 / 60 << " min of clock time)\n"
        << "per tick, timers included (the chooser's too), " << perTick << " us\n"
        << "per tick, same second, " << perPlainTick << " us\n"
        << "per tick, each a new second, " << perNewSecond << " us\n";
    return 0;
}
