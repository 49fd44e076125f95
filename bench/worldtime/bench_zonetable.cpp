// Measures building the zone table from the tz folder: the zone database
// itself (cold: the first build of the process, then warm rebuilds) and the
// chooser's full read of it through the registry. Run: ./bench_zonetable [rebuilds] [--list]
#include "compat/win32/registry.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneregistry.h"
#include "worldtime/zonetable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rebuilds = args.size() > 1 && args[1] != QLatin1String("--list") ? args[1].toInt() : 20;
    QTextStream out(stdout);
    const QDateTime now = QDateTime::currentDateTime();

    QElapsedTimer cold;
    cold.start();
    const worldtime::TzDatabase first = worldtime::TzDatabase::build(worldtime::tzFolder(), now);
    const double coldMs = cold.nsecsElapsed() / 1e6;

    QElapsedTimer warm;
    warm.start();
    for (int i = 0; i < rebuilds; ++i)
        worldtime::TzDatabase::build(worldtime::tzFolder(), now);
    const double warmMs = warm.nsecsElapsed() / 1e6 / rebuilds;

    worldtime::installZoneDatabase();
    QElapsedTimer table;
    table.start();
    const worldtime::ZoneTable zones = worldtime::LoadZoneTable(); // builds the shared database too
    const double tableMs = table.nsecsElapsed() / 1e6;

    out << "zones: " << first.zones().size() << ", listed: " << zones.size() << "\n"
        << "database build, cold: " << coldMs << " ms\n"
        << "database build, warm: " << warmMs << " ms\n"
        << "zone table through the registry (database included): " << tableMs << " ms\n";
    if (args.contains(QLatin1String("--list")))
        for (int i = 0; i < zones.size(); ++i)
            out << zones.TZKeyNames[i] << " | " << zones.TZDisplayNames[i] << " | " << zones.biases[i] << "\n";
    return 0;
}
