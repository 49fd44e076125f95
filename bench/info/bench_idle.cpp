// The processor time the idle program takes, on the real clock, with the About
// window opened and closed first (or left open, to compare).
// Run: ./bench_idle [seconds] [closed|open|never]
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "mainwindow/form2.h"
#include "platform/base/dialogs.h"
#include "platform/base/modal.h"
#include "platform/media/sound.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingsoundplayer.h"
#include "tests/support/doubles/scripteddialogs.h"
#include "tests/support/doubles/scriptedmodalwindows.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1.0e6;
}

long wakeups()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("closed");

    platform::ScriptedDialogs dialogs;
    platform::setDialogs(&dialogs);
    platform::RecordingSoundPlayer sound;
    platform::setSoundPlayer(&sound);
    platform::ScriptedModalWindows modals;
    platform::setModalWindows(&modals);

    Form1* form = appWindows().form1();
    form->show();
    if (mode == QLatin1String("open")) {
        appWindows().about()->setMainWindow(form);
        appWindows().about()->show();
    } else if (mode == QLatin1String("closed"))
        form->findChild<QAction*>(QStringLiteral("aboutdnw"))->trigger();

    // Let the start settle, then measure.
    QTimer::singleShot(2000, [&] {
        const double cpu0 = cpuSeconds();
        const long wake0 = wakeups();
        QTimer::singleShot(seconds * 1000, [&, cpu0, wake0] {
            const double cpu = cpuSeconds() - cpu0;
            QTextStream(stdout) << "About " << mode << ": " << cpu * 1000.0 << " ms of processor time in " << seconds
                                << " s = " << 100.0 * cpu / seconds << " % of a core; "
                                << double(wakeups() - wake0) / seconds << " context switches a second\n";
            QCoreApplication::quit();
        });
    });
    const int rc = QApplication::exec();
    appWindows().unloadAll();
    return rc;
}
