#pragma once

#include "core/mainwin.h"

#include <memory>

class Form1;
class frmEula;
class frmEULA2;
class frmNTP;

// The program's windows, each created on first use and kept until unloaded.
class AppWindows : public MainWin::StartupWindows {
public:
    AppWindows();
    ~AppWindows() override;

    // The main window, loaded (Form_Load run) on first use.
    Form1* form1();
    Form1* loadedForm1() const { return m_form1.get(); }
    frmEula* licence() const { return m_licence.get(); }
    frmEULA2* licenceViewer();

    void showLicence() override;
    void enableHelpCleanup() override;
    void showMainWindow() override;
    void startReminders() override;
    void unloadAll() override;
    void closeSaverPreview() override;

    // ---- The other parts' windows (each part adds its own below its line) ----
    // World time

    // Time servers
    // The time-server window; it exists while the main window does.
    frmNTP* timeServer() const { return m_timeServer.get(); }

    // Reminders

    // Radio

    // Station list

    // Online services

    // Screensaver

    // Tray, help and information windows

private:
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<frmEula> m_licence;
    std::unique_ptr<frmEULA2> m_licenceViewer;
    // World time

    // Time servers
    void attachTimeServer();
    std::unique_ptr<frmNTP> m_timeServer;

    // Reminders

    // Radio

    // Station list

    // Online services

    // Screensaver

    // Tray, help and information windows
};

// The window set of the running program.
AppWindows& appWindows();
