#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "platform/base/application.h"
#include "platform/timedate/timedatedsetter.h"
#include "worldtime/zoneregistry.h"

int main(int argc, char** argv)
{
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
