#pragma once

#include <QString>
#include <QVariant>

// The start-up module: the program starts in Main, not in a window.
namespace MainWin {

// The value of the setting FirstUse2 as read by Main.
extern bool IsFirstUse;

// The windows the start-up procedure drives. The main program's window set
// implements it; tests give a recording one.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    virtual void showLicence() = 0;       // the first-use licence window
    virtual void enableHelpCleanup() = 0; // the main window's VN.zip timer (loads the main window)
    virtual void showMainWindow() = 0;
    virtual void startReminders() = 0;    // file names, load, pending notices
    virtual void unloadAll() = 0;         // every window, in the reset order
    virtual void closeSaverPreview() = 0; // unload the full-screen clock preview
};

void setStartupWindows(StartupWindows* windows);

void Main();
// The rest of a normal start: help unpacked, main window shown, reminders
// started. Main runs it when the licence was agreed before; the licence
// window runs it when the user agrees.
void ContinueStart();

void ExtractEula();
void ExtractSaver();
void ExtractHelpZip();

// Unzips the program folder's VN.zip into the program folder, then arms the
// main window's timer that deletes VN.zip ten seconds later.
void UnZipHelp();

void CloseSaver();
void ResetAll();
// The store part of ResetAll: sections "Options" and "ScreenSaver" removed,
// `FirstUse2` = "False", all in one change of the settings file.
void resetStoredSettings();

// The paths the writers use.
QString eulaPath();
QString saverPath();
QString helpZipPath();

} // namespace MainWin
