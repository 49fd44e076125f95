#pragma once

#include "platform/base/atomicfile.h"

#include <QString>

// XScreenSaver's preferences (~/.xscreensaver), the desktop's stand-in for the
// Windows screensaver values:
//   SCRNSAVE.EXE         the program run in mode "one" (the "selected" entry
//                        of "programs"), or "" in any other mode
//   ScreenSaverIsSecure  "lock: True/False"
//   idle time            "timeout: H:MM:SS"
//   active               "mode: one" / "off"
// Reading costs one stat() while the file is unchanged. Every change re-reads
// the file, rewrites only its own lines, replaces the file atomically (through
// a symbolic link to its target) and, when a daemon answers, has it restart
// so that it takes the change at once. GNOME Shell and KDE Plasma do not run
// programs as screensavers; there the file is not read by anything.
namespace platform {

// $HOME/.xscreensaver
QString xscreensaverFilePath();

struct ScreenSaverPrefs {
    QString mode = QStringLiteral("random");
    qint64 selected = -1;
    // The file run by the selected entry (the first word of its command), or empty.
    QString selectedProgram;
    // The same as a Windows path ("C:\\Windows\\VN.scr"), or "" outside the mapped drives.
    QString selectedWindowsPath;
    bool lock = false;
    qint64 timeoutSeconds = 600;
};

// What the file says now (the daemon's defaults for what it does not say).
const ScreenSaverPrefs& screenSaverPrefs();

// Puts "displayName" 'programPath' /s first in the programs list (an older
// entry for the same file is removed), selects it and sets mode "one".
WriteResult setScreenSaverProgram(const QString& programPath, const QString& displayName);
WriteResult setScreenSaverMode(const QString& mode);
WriteResult setScreenSaverLock(bool on);
WriteResult setScreenSaverTimeout(qint64 seconds);

// Whether a screensaver daemon answers on this display
// ("xscreensaver-command -version" through processRunner()).
bool screenSaverDaemonAnswers();

// The Windows path a host path stands for ("C:\Windows\VN.scr"), or "" when
// it lies outside the mapped drives.
QString windowsPathOf(const QString& hostFilePath);

} // namespace platform
