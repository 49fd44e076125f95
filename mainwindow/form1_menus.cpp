#include "mainwindow/form1.h"

#include "platform/base/application.h"
#include "platform/base/program.h"

#include <QAction>
#include <QMenu>

QAction* Form1::addItem(QMenu* menu, const QString& name, const QString& caption, const QString& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(shortcut));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    return action;
}

namespace {

// Commands that their part's wire function enables once its window exists.
void addPendingItem(QMenu* menu, const QString& name, const QString& caption, const QString& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut));
    action->setEnabled(false);
}

QAction* checkable(QAction* action)
{
    action->setCheckable(true);
    return action;
}

} // namespace

void Form1::buildMenus()
{
    tools = new QMenu(QStringLiteral("&Tools"), this);
    tools->setObjectName(QStringLiteral("tools"));
    connect(tools, &QMenu::aboutToShow, this, platform::guarded(this, &Form1::tools_Click));

    // Alarm
    alar = addItem(tools, QStringLiteral("alar"), QStringLiteral("&Alarm"));
    alarmbeep = checkable(addItem(tools, QStringLiteral("alarmbeep"), QStringLiteral("Enable Alarm")));
    alsoun = tools->addMenu(QStringLiteral("Alarm &Sound"));
    alsoun->setObjectName(QStringLiteral("alsoun"));
    al1 = checkable(addItem(alsoun, QStringLiteral("al1"), QStringLiteral("Alarm #&1")));
    al2 = checkable(addItem(alsoun, QStringLiteral("al2"), QStringLiteral("Alarm #&2")));
    radalarm = checkable(addItem(alsoun, QStringLiteral("radalarm"), QStringLiteral("&Radio")));
    snoozealarm = addItem(tools, QStringLiteral("snoozealarm"), QStringLiteral("Snoo&ze"));
    stopalarm = addItem(tools, QStringLiteral("stopalarm"), QStringLiteral("Sto&p"));
    snoozealarm->setEnabled(false);
    stopalarm->setEnabled(false);
    tools->addSeparator();

    // Display and behaviour
    beephour = checkable(addItem(tools, QStringLiteral("beephour"), QStringLiteral("&Beep on Hours"), "Ctrl+B"));
    DispDat = checkable(addItem(tools, QStringLiteral("DispDat"), QStringLiteral("Display Date"), "Ctrl+D"));
    Datform = checkable(addItem(tools, QStringLiteral("Datform"), QStringLiteral("Date Long format"), "Ctrl+L"));
    Flsh = checkable(addItem(tools, QStringLiteral("Flsh"), QStringLiteral("&Flash on Seconds"), "Ctrl+F"));
    alwvis = checkable(addItem(tools, QStringLiteral("alwvis"), QStringLiteral("Always &Visible"), "Ctrl+V"));
    mnuAutoRun = checkable(
        addItem(tools, QStringLiteral("mnuAutoRun"), QStringLiteral("Automatically run at Startup"), "Ctrl+W"));
    mnuAutoRun->setChecked(true);
    LogNTP = checkable(addItem(tools, QStringLiteral("LogNTP"), QStringLiteral("Log NTP Synchronisations")));
    LogNTP->setVisible(false);
    LogNTP->setEnabled(false);
    NTPASync = checkable(addItem(tools, QStringLiteral("NTPASync"), QStringLiteral("NTP Auto-Synchronise")));
    mnuVNUpAuto = checkable(addItem(tools, QStringLiteral("mnuVNUpAuto"), QStringLiteral("VN Updates Automatic")));
    tools->addSeparator();

    // Audio and video
    QMenu* radiomenu = tools->addMenu(QStringLiteral("Audio and Video"));
    radiomenu->setObjectName(QStringLiteral("radiomenu"));
    for (int i = 1; i <= 9; ++i)
        addPendingItem(radiomenu, QStringLiteral("url_%1").arg(i), QString(), QStringLiteral("Ctrl+F%1").arg(i));
    radiomenu->addSeparator()->setObjectName(QStringLiteral("url_10"));
    addPendingItem(radiomenu, QStringLiteral("url_11"), QStringLiteral("Single MP3"), "Ctrl+F11");
    addPendingItem(radiomenu, QStringLiteral("url_12"), QStringLiteral("MP3 Dirctory"), "Ctrl+F12");
    addPendingItem(radiomenu, QStringLiteral("Plydf"), QStringLiteral("Play Default Radio"), "F2");
    repeatmp3 = checkable(addItem(radiomenu, QStringLiteral("repeatmp3"), QStringLiteral("Repeat")));
    shufflemp3 = checkable(addItem(radiomenu, QStringLiteral("shufflemp3"), QStringLiteral("Shuffle")));
    autopl = checkable(addItem(radiomenu, QStringLiteral("autopl"), QStringLiteral("Auto-play"), "Ctrl+P"));
    addPendingItem(radiomenu, QStringLiteral("seturl"), QStringLiteral("Preferences"), "F5");

    // World time, time servers, reminders
    addPendingItem(tools, QStringLiteral("AddTZ"), QStringLiteral("Set Time Zone"), "Ctrl+Z");
    addPendingItem(tools, QStringLiteral("NTPserv"), QStringLiteral("Network Time Server"), "Ctrl+N");
    addPendingItem(tools, QStringLiteral("addrem_1"), QStringLiteral("&Add Reminder"), "Ctrl+R");
    addPendingItem(tools, QStringLiteral("addrem_2"), QStringLiteral("&Reminders Editor"), "Ctrl+E");
    tools->addSeparator();

    // Screensaver
    addPendingItem(tools, QStringLiteral("VNSsaver"), QStringLiteral("Set VN as Default Screen Saver"));
    addPendingItem(tools, QStringLiteral("PrevSSVN"), QStringLiteral("Preview VN Screen Saver"));
    QMenu* saverSettings = tools->addMenu(QStringLiteral("Settings..."));
    saverSettings->setObjectName(QStringLiteral("VNSetMain"));
    addPendingItem(saverSettings, QStringLiteral("VNSet"), QStringLiteral("VN Screen Saver Settings"));
    addPendingItem(saverSettings, QStringLiteral("mnuPassword"), QStringLiteral("Enable Password Protection"));
    QMenu* idle = saverSettings->addMenu(QStringLiteral("Start Screen Saver After..."));
    idle->setObjectName(QStringLiteral("mnuMinmain"));
    addPendingItem(idle, QStringLiteral("mnuMin_0"), QStringLiteral("1 Minute"));
    addPendingItem(idle, QStringLiteral("mnuMin_1"), QStringLiteral("15 Minutes"));
    addPendingItem(idle, QStringLiteral("mnuMin_2"), QStringLiteral("30 Minutes"));
    idle->addSeparator()->setObjectName(QStringLiteral("mnuMin_3"));
    addPendingItem(idle, QStringLiteral("mnuMin_4"), QStringLiteral("Other..."));
    tools->addSeparator();

    // Online, help and information
    QMenu* internet = tools->addMenu(QStringLiteral("Internet"));
    internet->setObjectName(QStringLiteral("Internet"));
    addPendingItem(internet, QStringLiteral("InterLaunch"), QStringLiteral("Online Radio List"));
    addPendingItem(internet, QStringLiteral("ChckUpdt"), QStringLiteral("Check for VN Updates"));
    addPendingItem(internet, QStringLiteral("ChckUpdtList"), QStringLiteral("Check for VN Radio List Updates"));
    QMenu* mail = internet->addMenu(QStringLiteral("E-mail..."));
    mail->setObjectName(QStringLiteral("SendLinks"));
    addPendingItem(mail, QStringLiteral("SendLinks_1"), QStringLiteral("Send me your links"));
    addPendingItem(mail, QStringLiteral("SendLinks_2"), QStringLiteral("Send me your comments"));
    addPendingItem(mail, QStringLiteral("SendLinks_3"), QStringLiteral("Send me your found bugs"));
    addPendingItem(tools, QStringLiteral("VNHelp"), QStringLiteral("Help"), "F1");
    addPendingItem(tools, QStringLiteral("VNHist"), QStringLiteral("VN History"));
    QAction* sEula = addItem(tools, QStringLiteral("sEula"), QStringLiteral("EULA"));
    addPendingItem(tools, QStringLiteral("aboutdnw"), QStringLiteral("&About"), "F12");
    addPendingItem(tools, QStringLiteral("OSInf"), QStringLiteral("OS Info..."));
    tools->addSeparator();
    QAction* Resetall = addItem(tools, QStringLiteral("Resetall"), QStringLiteral("Reset All VN Settings"));
    addPendingItem(tools, QStringLiteral("hidesystr"), QStringLiteral("&Hide in Systray"), "F7");
    QAction* exi = addItem(tools, QStringLiteral("exi"), QStringLiteral("&Exit"));

    connect(alar, &QAction::triggered, this, platform::guarded(this, &Form1::alar_Click));
    connect(alarmbeep, &QAction::triggered, this, platform::guarded(this, &Form1::alarmbeep_Click));
    connect(al1, &QAction::triggered, this, platform::guarded([this] { al_Click(1); }));
    connect(al2, &QAction::triggered, this, platform::guarded([this] { al_Click(2); }));
    connect(radalarm, &QAction::triggered, this, platform::guarded(this, &Form1::radalarm_Click));
    connect(snoozealarm, &QAction::triggered, this, platform::guarded(this, &Form1::snoozealarm_Click));
    connect(stopalarm, &QAction::triggered, this, platform::guarded(this, &Form1::stopalarm_Click));
    connect(beephour, &QAction::triggered, this, platform::guarded(this, &Form1::beephour_Click));
    connect(DispDat, &QAction::triggered, this, platform::guarded(this, &Form1::DispDat_Click));
    connect(Datform, &QAction::triggered, this, platform::guarded(this, &Form1::Datform_Click));
    connect(Flsh, &QAction::triggered, this, platform::guarded(this, &Form1::Flsh_Click));
    connect(alwvis, &QAction::triggered, this, platform::guarded(this, &Form1::alwvis_Click));
    connect(mnuAutoRun, &QAction::triggered, this, platform::guarded(this, &Form1::mnuAutoRun_Click));
    connect(LogNTP, &QAction::triggered, this, platform::guarded(this, &Form1::LogNTP_Click));
    connect(NTPASync, &QAction::triggered, this, platform::guarded(this, &Form1::NTPASync_Click));
    connect(mnuVNUpAuto, &QAction::triggered, this, platform::guarded(this, &Form1::mnuVNUpAuto_Click));
    connect(autopl, &QAction::triggered, this, platform::guarded(this, &Form1::autopl_Click));
    connect(repeatmp3, &QAction::triggered, this, platform::guarded(this, &Form1::repeatmp3_Click));
    connect(shufflemp3, &QAction::triggered, this, platform::guarded(this, &Form1::shufflemp3_Click));
    connect(sEula, &QAction::triggered, this, platform::guarded(this, &Form1::sEula_Click));
    connect(Resetall, &QAction::triggered, this, platform::guarded(this, &Form1::Resetall_Click));
    connect(exi, &QAction::triggered, this, [] { platform::endProgram(); });

    wireWorldTime();
    wireTimeSync();
    wireReminders();
    wireRadio();
    wireStations();
    wireOnline();
    wireSaver();
    wireInfo();
}

QAction* Form1::command(const QString& name) const
{
    // Items live as long as the window: each is searched for once.
    QAction*& action = m_commands[name];
    if (!action)
        action = findChild<QAction*>(name);
    Q_ASSERT(action);
    return action;
}

void Form1::enableCommand(const QString& name, void (Form1::*handler)())
{
    QAction* action = command(name);
    action->setEnabled(true);
    if (!action->shortcut().isEmpty() && !actions().contains(action)) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(action, &QAction::triggered, this, platform::guarded(this, handler));
}
