#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The screensaver program's start-up: "/s" shows the full-screen clock, "/c"
// the settings window, anything else ends at once.
namespace VNMod {

enum class Switch { None, Saver, Settings };

struct CommandLine {
    Switch which = Switch::None;
    // The window of the screensaver daemon (or of its settings tool's
    // preview) that the clock is drawn into, when one is given.
    std::optional<quint32> hostWindow;
};

// Reads the arguments (without the program's own path, which may hold "/s"
// itself, as ".local/share" does) and the value of XSCREENSAVER_WINDOW.
// "/s" and "/c" count anywhere in an argument, case-sensitive, "/s" first;
// "--window-id ID" (or "--window-id=ID") names a host window and wins over
// the variable.
CommandLine parseCommandLine(const QStringList& arguments, const QString& windowVariable);

// The program: returns its exit code.
int Main(int argc, char** argv);

// The full-screen clock's end routine: the cursor comes back and the program
// ends at once.
void EndSaver();

} // namespace VNMod
