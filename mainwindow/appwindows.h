#pragma once

#include "core/mainwin.h"

#include <memory>

class Form1;
class frmEula;
class frmEULA2;
class frmInternet;
class frmMail;

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

    // Reminders

    // Radio

    // Station list

    // Online services
    frmInternet& internetList();
    frmMail& mailWindow();

    // Screensaver

    // Tray, help and information windows

private:
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<frmEula> m_licence;
    std::unique_ptr<frmEULA2> m_licenceViewer;
    // World time

    // Time servers

    // Reminders

    // Radio

    // Station list

    // Online services
    std::unique_ptr<frmInternet> m_internetList;
    std::unique_ptr<frmMail> m_mail;

    // Screensaver

    // Tray, help and information windows
};

// The window set of the running program.
AppWindows& appWindows();
