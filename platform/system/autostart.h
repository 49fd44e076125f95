#pragma once

#include <QString>

// The desktop's counterpart of the Windows "Run" registry value: an XDG
// autostart entry that starts the program when the user logs in.

namespace platform {

// $XDG_CONFIG_HOME/autostart/vantora.desktop
QString autostartEntryPath();

// Brings the autostart entry in step with the program path held by the Run
// value: writes the entry with that path as its command when the path is not
// blank, removes it otherwise. Returns whether the entry is now as asked.
bool syncAutostartEntry(const QString& programPath);

// One command-line argument as the Exec key of a desktop entry holds it:
// quoted when it contains a reserved character, with '%' doubled and the
// escapes of a desktop-entry string applied.
QString desktopExecArgument(const QString& argument);

} // namespace platform
