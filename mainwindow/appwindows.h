#pragma once

#include "core/mainwin.h"

#include <memory>

class Form1;
class frmEula;
class frmEULA2;
class frmInternet;
class frmMail;
class frmNTP;
class Form4;
class Form2;
class FrmHist;
class Radio;
class MainVN;
class SettingVN;

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
    // The time-server window once built: the main window builds it on first
    // use (its commands, its daily synchronisation), not when it starts.
    frmNTP* timeServer() const { return m_timeServer.get(); }

    // Reminders

    // Radio
    // The radio window, made on first use for the main window.
    Radio* radio();

    // Station list
    Form4* form4();

    // Online services
    frmInternet& internetList();
    frmMail& mailWindow();

    // Screensaver
    // The full-screen clock preview; it ends through MainWin::CloseSaver.
    MainVN* saverPreview();
    // Opens the screensaver settings window modally (one at a time).
    void showSaverSettings();

    // Tray, help and information windows
    Form2* about();
    FrmHist* history();

private:
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<frmEula> m_licence;
    std::unique_ptr<frmEULA2> m_licenceViewer;
    // World time

    // Time servers
    class TimeServerOnDemand;
    void attachTimeServer();
    frmNTP* builtTimeServer();
    std::unique_ptr<frmNTP> m_timeServer;
    std::unique_ptr<TimeServerOnDemand> m_timeServerOnDemand;

    // Reminders

    // Radio
    std::unique_ptr<Radio> m_radio;

    // Online services
    std::unique_ptr<frmInternet> m_internetList;
    std::unique_ptr<frmMail> m_mail;

    // Screensaver
    std::unique_ptr<MainVN> m_saverPreview;

    // Tray, help and information windows
    std::unique_ptr<Form2> m_about;
    std::unique_ptr<FrmHist> m_history;
};

// The window set of the running program.
AppWindows& appWindows();
