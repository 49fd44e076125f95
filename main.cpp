#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "platform/base/application.h"
#include "worldtime/zoneregistry.h"

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantora"));
    // Hiding a window never ends the program: Exit and closing the clock do.
    QApplication::setQuitOnLastWindowClosed(false);
    worldtime::installZoneDatabase();
    MainWin::setStartupWindows(&appWindows());
    MainWin::Main();
    return QApplication::exec();
}
