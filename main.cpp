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
    // The clock repaints a few small areas a second. Sent within the X request
    // itself, they need no shared-memory completion, which would wake the
    // program once more for every repaint. A user's own choice is kept.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
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
