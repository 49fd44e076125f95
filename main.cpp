#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "platform/base/application.h"
#include "platform/base/commandline.h"
#include "platform/timedate/timedatedsetter.h"
#include "worldtime/zoneregistry.h"

int main(int argc, char** argv)
{
    if (const auto answered = platform::answerInformationOptions(
            argc, argv, QStringLiteral("Vantora"),
            QStringLiteral("A desktop clock with LED digits: alarm, hourly beep, world time, time-server "
                           "synchronisation, reminders, internet radio and a full-screen clock screensaver (VN).")))
        return *answered;
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantora"));
    // Hiding a window never ends the program: Exit and closing the clock do.
    QApplication::setQuitOnLastWindowClosed(false);
    // The one place the computer's clock can be reached from.
    platform::TimedatedClockSetter clockSetter;
    platform::setClockSetter(&clockSetter);
    worldtime::installZoneDatabase();
    MainWin::setStartupWindows(&appWindows());
    MainWin::Main();
    return QApplication::exec();
}
