#include "core/mainwin.h"
#include "mainwindow/appwindows.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantora"));
    // The program lives on in its tray icon and windows it shows later.
    QApplication::setQuitOnLastWindowClosed(false);
    MainWin::setStartupWindows(&appWindows());
    MainWin::Main();
    return QApplication::exec();
}
