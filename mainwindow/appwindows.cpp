#include "mainwindow/appwindows.h"

#include "mainwindow/form1.h"
#include "mainwindow/form2.h"
#include "mainwindow/frmhist.h"
#include "mainwindow/frmeula.h"
#include "online/frminternet.h"
#include "online/frmmail.h"
#include "platform/base/modal.h"
#include "platform/base/program.h"
#include "radio/form4.h"
#include "radio/radio.h"
#include "reminders/reminderdesk.h"
#include "saver/inmainapp.h"
#include "saver/mainvn.h"
#include "saver/settingvn.h"
#include "timesync/frmntp.h"

#include <QTimer>

// The screensaver windows shown from here run inside the main program.
AppWindows::AppWindows() { InMainApp = true; }
AppWindows::~AppWindows() = default;

Form1* AppWindows::form1()
{
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>();
        setRunningHost(m_form1.get());
        attachTimeServer();
        m_form1->Form_Load();
    }
    return m_form1.get();
}

frmEULA2* AppWindows::licenceViewer()
{
    if (!m_licenceViewer)
        m_licenceViewer = std::make_unique<frmEULA2>();
    return m_licenceViewer.get();
}

frmInternet& AppWindows::internetList()
{
    if (!m_internetList)
        m_internetList = std::make_unique<frmInternet>();
    return *m_internetList;
}

frmMail& AppWindows::mailWindow()
{
    if (!m_mail)
        m_mail = std::make_unique<frmMail>();
    return *m_mail;
}

Form2* AppWindows::about()
{
    if (!m_about)
        m_about = std::make_unique<Form2>();
    return m_about.get();
}

FrmHist* AppWindows::history()
{
    if (!m_history)
        m_history = std::make_unique<FrmHist>();
    return m_history.get();
}

void AppWindows::showLicence()
{
    if (!m_licence)
        m_licence = std::make_unique<frmEula>();
    m_licence->show();
    m_licence->activateWindow();
}

void AppWindows::enableHelpCleanup() { form1()->enableHelpCleanup(); }

void AppWindows::showMainWindow()
{
    Form1* main = form1();
    switch (main->loadResult()) {
    case Form1::LoadResult::ResetRequested:
        // The reset unloads the main window: run it from the event loop.
        QTimer::singleShot(0, [] { MainWin::ResetAll(); });
        return;
    case Form1::LoadResult::EndRequested: platform::endProgram(); return;
    default:
        // Also the end of the screensaver preview: the keys go to the clock again.
        main->show();
        main->activateWindow();
    }
}

void AppWindows::startReminders() { reminderDesk().start(); }

Form4* AppWindows::form4() { return &mediaChooser(); }

void AppWindows::unloadAll()
{
    // Every reminder notice and the editor close; pending ones stay pending.
    reminderDesk().closeAll();
    m_timeServer.reset();
    unloadMediaChooser();
    m_radio.reset();
    m_form1.reset();
    m_licence.reset();
    m_licenceViewer.reset();
    m_internetList.reset();
    m_mail.reset();
    m_about.reset();
    m_history.reset();
}

void AppWindows::closeSaverPreview()
{
    if (m_saverPreview)
        m_saverPreview->Unload();
}

MainVN* AppWindows::saverPreview()
{
    if (!m_saverPreview)
        m_saverPreview = std::make_unique<MainVN>([] { MainWin::CloseSaver(); });
    return m_saverPreview.get();
}

void AppWindows::showSaverSettings()
{
    // Every opening starts from the stored settings.
    SettingVN window;
    platform::modalWindows().runModal(&window);
}

Radio* AppWindows::radio()
{
    if (!m_radio) {
        Form1* main = form1();
        m_radio = std::make_unique<Radio>(*main);
        main->setRadio(m_radio.get());
    }
    return m_radio.get();
}

// What the main window reaches the time-server window through. The window is
// built when a synchronisation or its message needs it: a start that never
// synchronises never builds it.
class AppWindows::TimeServerOnDemand : public TimeServerWindow {
public:
    explicit TimeServerOnDemand(AppWindows& windows) : m_windows(windows) {}
    bool isVisible() const override
    {
        const frmNTP* window = m_windows.timeServer();
        return window && window->isVisible();
    }
    void StartNTP(int mode) override { m_windows.builtTimeServer()->StartNTP(mode); }
    void setMessAuto() override { m_windows.builtTimeServer()->setMessAuto(); }

private:
    AppWindows& m_windows;
};

void AppWindows::attachTimeServer()
{
    if (!m_timeServerOnDemand)
        m_timeServerOnDemand = std::make_unique<TimeServerOnDemand>(*this);
    m_form1->setTimeServer(m_timeServerOnDemand.get());
}

frmNTP* AppWindows::builtTimeServer()
{
    if (!m_timeServer) {
        m_timeServer = std::make_unique<frmNTP>(m_form1.get());
        QObject::connect(m_timeServer.get(), &frmNTP::unloaded, m_form1.get(), qOverload<>(&QWidget::update));
    }
    return m_timeServer.get();
}

AppWindows& appWindows()
{
    static AppWindows windows;
    return windows;
}
