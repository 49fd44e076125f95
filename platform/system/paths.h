#pragma once

#include <QString>

namespace platform {

// The program folder ("App.Path"): where the program keeps the files it writes
// beside itself (licence text, help pages, reminder store, ...). A per-user
// folder under the XDG data folder; the installed executables stay where they are.
// Created on first use. No trailing slash.
QString appPath();

// The folder that stands for the root of a Windows drive letter ("C" -> ".../C").
QString driveRoot(QChar driveLetter);

// Turns a Windows path such as "C:\Windows\VN.scr" into the host path that
// stands for it. A path without a drive letter is taken as relative to appPath().
// Any ".." element is dropped, so the result never leaves the mapped folders.
QString hostPath(const QString& windowsPath);

// The full path of the running executable (what the Windows program would
// write as App.Path & "\" & App.EXEName & ".exe").
QString executablePath();

} // namespace platform
