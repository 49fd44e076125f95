#include "timesync/frmntp.h"

#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/twips.h"
#include "platform/controls/accessibility.h"
#include "compat/win32/colors.h"
#include "platform/controls/dialogkeys.h"
#include "compat/winsock/winsock.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "resources/resourceids.h"
#include "resources/resources.h"
#include "timesync/servers.h"
#include "timesync/timereply.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <optional>

namespace {

using platform::kOptions;
const QString kCrLf = QStringLiteral("\r\n");

using platform::kTwipsPerPixel;
// The activity bar runs along its track between these ends (in twips).
constexpr int kTrackLeft = 330;
constexpr int kTrackRight = 585;
constexpr int kTrackX = 250; // where the track starts in the window, in pixels

// Colours, &HBBGGRR.
constexpr quint32 kGrey = 0xC0C0C0;
constexpr quint32 kAmber = 0x00C0C0;
constexpr quint32 kGreen = 0x00FF00;
constexpr quint32 kRed = 0x0000FF;
constexpr quint32 kResultColour = 0xC0C000;

struct StateRow {
    const char* text;
    quint32 colour;
};

// The status line for each socket state.
const std::array<StateRow, 10> kStates{{
    {"Connection closed", kGrey},
    {"Connection open...", kAmber},
    {"Listening...", kAmber},
    {"Waiting for connection with host computer...", kAmber},
    {"Host computer answering...", kGreen},
    {"Host computer answered...", kGreen},
    {"Connecting with host computer...", kGreen},
    {"Host computer connected...", kGreen},
    {"Host computer disconnecting...", kAmber},
    {"Connection error...", kRed},
}};

struct Blink {
    int picture;
    int interval;
};

// The server picture: dark phase, lit phase.
Blink serverBlink(int state, bool lit)
{
    switch (state) {
    case 0: return {resid::BmpNtpDark, 500};
    case 4:
    case 5:
    case 7: return lit ? Blink{resid::BmpNtpConnecting, 300} : Blink{resid::BmpNtpDark, 250};
    case 6: return lit ? Blink{resid::BmpNtpConnecting, 300} : Blink{resid::BmpNtpDark, 200};
    case 9: return lit ? Blink{resid::BmpNtpClosed, 500} : Blink{resid::BmpNtpDark, 400};
    default: return lit ? Blink{resid::BmpNtpPending, 350} : Blink{resid::BmpNtpDark, 200};
    }
}

// The local computer's picture.
Blink localBlink(int state, bool lit)
{
    switch (state) {
    case 0:
    case 9: return lit ? Blink{resid::BmpNtpClosed, 500} : Blink{resid::BmpNtpDark, 500};
    case 4:
    case 5:
    case 7: return lit ? Blink{resid::BmpNtpConnecting, 250} : Blink{resid::BmpNtpDark, 200};
    default: return lit ? Blink{resid::BmpNtpPending, 250} : Blink{resid::BmpNtpDark, 150};
    }
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& text = {})
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setColours(QWidget* w, quint32 text, std::optional<quint32> back = std::nullopt)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(text));
    if (back) {
        pal.setColor(QPalette::Window, platform::fromBgr(*back));
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

} // namespace

frmNTP::frmNTP(AppHost* host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), m_host(host)
{
    setObjectName(QStringLiteral("frmNTP"));
    setWindowTitle(QStringLiteral("Vantora"));
    buildControls();
    buildMenus();
    platform::DialogKeys::install(this);
    const std::array<std::pair<platform::Timer*, void (frmNTP::*)()>, 7> handlers{{
        {&Timer1, &frmNTP::Timer1_Timer},
        {&Timer2, &frmNTP::Timer2_Timer},
        {&Timer3, &frmNTP::Timer3_Timer},
        {&Timer4, &frmNTP::Timer4_Timer},
        {&Timer5, &frmNTP::Timer5_Timer},
        {&Timer6, &frmNTP::Timer6_Timer},
        {&m_attemptTimer, &frmNTP::attemptTimedOut},
    }};
    for (const auto& [timer, handler] : handlers)
        connect(timer, &platform::Timer::timeout, this, handler);
}

frmNTP::~frmNTP() = default;

void frmNTP::buildControls()
{
    const int menuHeight = 22;
    setFixedSize(5565 / kTwipsPerPixel, 1065 / kTwipsPerPixel + menuHeight);
    setColours(this, 0xFFFFFF, 0x000000);
    const int y = menuHeight;
    Label4 = makeLabel(this, QStringLiteral("Label4"), QRect(4, y + 2, 44, 16), QStringLiteral("Server"));
    Label5 = makeLabel(this, QStringLiteral("Label5"), QRect(4, y + 18, 44, 16), QStringLiteral("Status"));
    Label5->setToolTip(QStringLiteral("Default NTP Server selected"));
    setColours(Label4, kGrey);
    setColours(Label5, kGrey);
    Label3 = makeLabel(this, QStringLiteral("Label3"), QRect(50, y + 2, 195, 16));
    setColours(Label3, kResultColour);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QRect(50, y + 18, 195, 16));
    setColours(Label2, kGrey);
    // The result line takes two lines when it needs them: the reasons a
    // clock was not set are longer than its width.
    Label1 = makeLabel(this, QStringLiteral("Label1"), QRect(4, y + 35, 241, height() - (y + 35) - 2));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setColours(Label1, kResultColour, 0x000000);
    Label6 = makeLabel(this, QStringLiteral("Label6"), QRect(250, y + 35, 117, 16), QStringLiteral("Auto Sync OFF"));
    setColours(Label6, kRed, 0x000000);
    Label6->setAlignment(Qt::AlignCenter);

    Image1 = makeLabel(this, QStringLiteral("Image1"), QRect(kTrackX - 24, y + 2, 22, 22));
    Image2 = makeLabel(this, QStringLiteral("Image2"), QRect(kTrackX + 42, y + 2, 22, 22));
    Image1->setScaledContents(true);
    Image2->setScaledContents(true);
    // Transparent areas over the pictures that carry their tooltips too.
    Image3 = makeLabel(this, QStringLiteral("Image3"), Image1->geometry().adjusted(-2, -2, 2, 2));
    Image4 = makeLabel(this, QStringLiteral("Image4"), Image2->geometry().adjusted(-2, -2, 2, 2));
    // Screen readers name the pictures after their tips, which name the computer and the server.
    platform::describeAsPicture(Image1, platform::PictureAction::None, QStringLiteral("Local computer"));
    platform::describeAsPicture(Image2, platform::PictureAction::None, QStringLiteral("Time server"));
    platform::hideFromScreenReaders(Image3);
    platform::hideFromScreenReaders(Image4);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(kTrackX, y + 12, (kTrackRight - kTrackLeft) / kTwipsPerPixel, 2);
    Line1->setAutoFillBackground(true);
    setColours(Line1, 0x000000, 0x303030);
    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setAutoFillBackground(true);
    Line2->setVisible(false);
    setColours(Line2, kGreen, kGreen);
    placeBar();
}

void frmNTP::buildMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setGeometry(0, 0, width(), 22);
    // The bar draws its items in the button text role: white on the window's
    // black like the rest of the window.
    QPalette bar = m_menuBar->palette();
    bar.setColor(QPalette::Button, Qt::black);
    bar.setColor(QPalette::ButtonText, Qt::white);
    bar.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    m_menuBar->setPalette(bar);
    Clfrm = m_menuBar->addAction(QStringLiteral("&Close NTP"));
    Clfrm->setObjectName(QStringLiteral("Clfrm"));
    VslNTP = m_menuBar->addAction(QStringLiteral("&View Sync Log"));
    VslNTP->setObjectName(QStringLiteral("VslNTP"));
    VslNTP->setVisible(false);
    VslNTP->setEnabled(false);
    ServList = m_menuBar->addMenu(QStringLiteral("NTP Servers &List"));
    ServList->setObjectName(QStringLiteral("ServList"));
    for (int i = 0; i <= 10; ++i) {
        srvL[static_cast<size_t>(i)] = ServList->addAction(QString());
        srvL[static_cast<size_t>(i)]->setObjectName(QStringLiteral("srvL_%1").arg(i));
        srvL[static_cast<size_t>(i)]->setCheckable(true);
        connect(srvL[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { srvL_Click(i); });
    }
    srvL[10]->setText(timesync::kNoUserServer);
    srvL[10]->setEnabled(false);
    ServList->addSeparator();
    SetSrvL = ServList->addAction(QStringLiteral("Set User NTP Server"));
    SetSrvL->setObjectName(QStringLiteral("SetSrvL"));
    RemSrvL = ServList->addAction(QStringLiteral("Remove User NTP Server"));
    RemSrvL->setObjectName(QStringLiteral("RemSrvL"));
    Syn = m_menuBar->addAction(QStringLiteral("&Synchronise"));
    Syn->setObjectName(QStringLiteral("Syn"));
    connect(Clfrm, &QAction::triggered, this, &frmNTP::Clfrm_Click);
    connect(SetSrvL, &QAction::triggered, this, &frmNTP::SetSrvL_Click);
    connect(RemSrvL, &QAction::triggered, this, &frmNTP::RemSrvL_Click);
    connect(Syn, &QAction::triggered, this, &frmNTP::Syn_Click);
}

// ---- Loading and unloading ----

void frmNTP::newSocket()
{
    StinkySock = new platform::WinsockClient(this);
    StinkySock->SetReadBufferSize(timesync::kLongestReadReply);
    connect(StinkySock, &platform::WinsockClient::Connected, this, &frmNTP::StinkySock_Connect);
    connect(StinkySock, &platform::WinsockClient::DataArrival, this, &frmNTP::StinkySock_DataArrival);
    connect(StinkySock, &platform::WinsockClient::Closed, this, &frmNTP::StinkySock_Close);
}

void frmNTP::Form_Load()
{
    m_loaded = true;
    NTPReply.clear();
    NTPDelay = 0;
    SyncOK = false;
    AutoIdx = -1;
    PrevSockState = -1;
    m_attemptOpen = false;
    m_waitingForClock = false;
    m_refused = false;
    newSocket();
    BlinkSrv = true;
    BlinkLoc = true;
    resetBar();
    for (platform::Timer* t : {&Timer1, &Timer2, &Timer3, &Timer4})
        t->setEnabled(true);
    Timer1_Timer();
    Label1->clear();
    const QStringList servers = timesync::builtInServers();
    for (int i = 0; i < 10; ++i)
        srvL[static_cast<size_t>(i)]->setText(timesync::menuCaption(servers[i]));
    // A damaged selection falls back to the first server.
    bool ok = false;
    const int stored = platform::getSetting(kOptions, QStringLiteral("srvL"), QStringLiteral("0")).trimmed().toInt(&ok);
    SrvIdx = ok && stored >= 0 && stored <= 10 ? stored : 0;
    UserSrv = platform::getSetting(kOptions, QStringLiteral("UserLink"), timesync::kNoUserServer).trimmed();
    if (SrvIdx == 10 && !userServerSet())
        SrvIdx = 0;
    for (int i = 0; i <= 10; ++i)
        srvL[static_cast<size_t>(i)]->setChecked(i == SrvIdx);
    Label3->setText(serverName(SrvIdx));
    setServerTooltips(serverName(SrvIdx), {});
    setLocalTooltips();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmNTP::Form_Unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    ++m_attempt; // a late answer of the clock service belongs to no attempt now
    m_attemptOpen = false;
    m_waitingForClock = false;
    for (platform::Timer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &m_attemptTimer})
        t->setEnabled(false);
    if (StinkySock) {
        // This may run inside one of the socket's own events: let it finish first.
        StinkySock->disconnect(this);
        StinkySock->Close();
        StinkySock->deleteLater();
        StinkySock = nullptr;
    }
    hide();
    emit unloaded();
}

void frmNTP::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void frmNTP::Clfrm_Click() { Form_Unload(); }

int frmNTP::runningTimerCount() const
{
    int count = 0;
    for (const platform::Timer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &m_attemptTimer})
        count += t->isEnabled() ? 1 : 0;
    return count;
}

// ---- What the main window calls ----

void frmNTP::StartNTP(int mode)
{
    if (!m_loaded)
        Form_Load();
    else if (SyncMode != 0 && mode == 0)
        abandonAutomaticRun();
    SyncMode = static_cast<qint16>(mode);
    setWindowTitle(QStringLiteral("Vantora - v ") + platform::appVersionText()
                   + (mode == 0 ? QStringLiteral(" - Network Time Synchronisation")
                                : QStringLiteral(" - Auto Network Time Synchronisation")));
    AutoIdx = -1;
    setManualMenus(mode == 0);
    setMessAuto();
    UserSrv = platform::getSetting(kOptions, QStringLiteral("UserLink"), timesync::kNoUserServer).trimmed();
    srvL[10]->setText(timesync::menuCaption(UserSrv));
    srvL[10]->setEnabled(userServerSet());
    if (SrvIdx == 10 && !userServerSet()) {
        SrvIdx = 0;
        for (int i = 0; i <= 10; ++i)
            srvL[static_cast<size_t>(i)]->setChecked(i == SrvIdx);
    }
    Label3->setText(serverName(SrvIdx));
    SyncOK = false;
    m_refused = false;
    SetOnTop(this, (m_host == nullptr || m_host->state().Form1OnTop) ? -1 : 0);
    if (mode != 0)
        Syn_Click();
}

void frmNTP::setMessAuto()
{
    if (m_host == nullptr || !m_host->state().NetAutoSync) {
        Label6->setText(QStringLiteral("Auto Sync OFF"));
        setColours(Label6, kRed, 0x000000);
        Label6->setToolTip(QStringLiteral("Auto Sync is OFF"));
        return;
    }
    QString digits;
    for (int i = 1; i <= 6; ++i)
        digits += platform::getSetting(kOptions, platform::optionkeys::syncDigit(i), QStringLiteral("0"));
    const QString text = digits.left(2) + QLatin1Char(':') + digits.mid(2, 2) + QLatin1Char(':') + digits.mid(4);
    setColours(Label6, kResultColour, 0x000000);
    Label6->setText(QStringLiteral("Auto ") + text);
    Label6->setToolTip(QStringLiteral("Next Auto-Sync at ") + text);
}

// ---- Servers ----

QString frmNTP::serverName(int index) const
{
    if (index == 10)
        return UserSrv.isEmpty() ? timesync::kNoUserServer : UserSrv;
    const QStringList servers = timesync::builtInServers();
    return index >= 0 && index < servers.size() ? servers[index] : QString();
}

bool frmNTP::userServerSet() const { return timesync::isUserServerSet(UserSrv); }

int frmNTP::serverInUse() const { return SyncMode == 0 || AutoIdx == -1 ? SrvIdx : AutoIdx; }

void frmNTP::srvL_Click(int index)
{
    if (index < 0 || index > 10 || (index == 10 && !userServerSet()))
        return;
    SrvIdx = index;
    platform::saveSetting(kOptions, QStringLiteral("srvL"), QString::number(index));
    for (int i = 0; i <= 10; ++i)
        srvL[static_cast<size_t>(i)]->setChecked(i == index);
    Label3->setText(serverName(index));
    setServerTooltips(serverName(index), {});
}

void frmNTP::SetSrvL_Click()
{
    const QString answer = platform::dialogs()
                               .inputBox(QStringLiteral("Enter the NTP Server you want to use"),
                                         QStringLiteral("Vantora - NTP Synchronisation"), QString())
                               .trimmed();
    if (answer.isEmpty())
        return;
    UserSrv = answer;
    platform::saveSetting(kOptions, QStringLiteral("UserLink"), answer);
    srvL[10]->setText(timesync::menuCaption(answer));
    srvL[10]->setEnabled(answer != timesync::kNoUserServer);
    if (srvL[10]->isChecked())
        Label3->setText(serverName(SrvIdx));
}

void frmNTP::RemSrvL_Click()
{
    UserSrv = timesync::kNoUserServer;
    platform::saveSetting(kOptions, QStringLiteral("UserLink"), UserSrv);
    srvL[10]->setText(UserSrv);
    srvL[10]->setEnabled(false);
    srvL_Click(0);
}

// ---- One attempt ----

void frmNTP::Syn_Click()
{
    if (!m_loaded)
        return;
    ++m_attempt;
    m_attemptOpen = true;
    m_waitingForClock = false;
    m_attemptTimer.setEnabled(false);
    if (SyncMode == 0)
        setManualMenus(false);
    Timer5.setEnabled(false);
    Label1->clear();
    const int index = serverInUse();
    const QString host = serverName(index);
    setServerTooltips(host, {});
    setStatusColour(kGrey);
    if (!Line2->isVisible())
        resetBar();
    StinkySock->Close();
    NTPReply.clear();
    if (SyncMode != 0 && AutoIdx != -1)
        Label3->setText(host);
    log(QStringLiteral("Sync Time: ") + stamp() + kCrLf + QStringLiteral("Server: ") + Label3->text() + kCrLf);
    if (host.isEmpty() || (index == 10 && !userServerSet())) {
        StinkySock->Fail(11001, QStringLiteral("No server chosen"));
        return;
    }
    StinkySock->RemoteHost = host;
    StinkySock->RemotePort = timesync::timePort();
    m_connectedAtMs = platform::monotonicMs();
    m_attemptTimer.setEnabled(true);
    StinkySock->Connect();
}

void frmNTP::StinkySock_Connect() { m_connectedAtMs = platform::monotonicMs(); }

void frmNTP::StinkySock_DataArrival()
{
    if (!m_attemptOpen)
        return;
    NTPReply += StinkySock->GetData(timesync::kLongestReadReply - NTPReply.size());
    setServerTooltips(serverName(serverInUse()), StinkySock->RemoteHostIP());
    // A server that keeps sending is not read any further: its answer is wrong already.
    if (NTPReply.size() >= timesync::kLongestReadReply) {
        StinkySock->Close();
        invalidReply();
    }
}

void frmNTP::StinkySock_Close()
{
    if (!m_attemptOpen || m_waitingForClock)
        return;
    try {
        NTPReply += StinkySock->GetData(timesync::kLongestReadReply - NTPReply.size());
        StinkySock->Close();
        NTPDelay = static_cast<double>(platform::monotonicMs() - m_connectedAtMs) / 2000.0;
        ProcTimeReply(NTPReply);
    } catch (const std::exception&) {
        invalidReply();
    }
}

void frmNTP::ProcTimeReply(const QByteArray& reply)
{
    const std::optional<QDateTime> utc = timesync::decodeTimeReply(reply, NTPDelay, timesync::earliestTrustedTime());
    if (!utc) {
        invalidReply();
        return;
    }
    m_attemptTimer.setEnabled(false);
    m_waitingForClock = true;
    const quint64 attempt = m_attempt;
    platform::clockSetter().setTime(timesync::toUsecSinceEpoch(*utc), SyncMode == 0, this,
                                    [this, attempt](platform::ClockSetResult result) {
                                        if (attempt == m_attempt && m_loaded && m_waitingForClock)
                                            clockAnswered(result);
                                    });
}

void frmNTP::clockAnswered(platform::ClockSetResult result)
{
    m_waitingForClock = false;
    if (result == platform::ClockSetResult::Set)
        succeeded();
    else
        refused(result);
}

void frmNTP::succeeded()
{
    endAttempt();
    const QString caption = QStringLiteral("Local System Clock synchronised succesfully");
    setResult(caption, kResultColour);
    logLine(caption);
    if (SyncMode == 0) {
        Clfrm->setEnabled(true);
        ServList->setEnabled(false);
        Syn->setEnabled(false);
        const QString digits = platform::formatDateTime(platform::clock().now(), QStringLiteral("hhmmss"));
        for (int i = 1; i <= 6; ++i)
            platform::saveSetting(kOptions, platform::optionkeys::syncDigit(i), digits.mid(i - 1, 1));
        const QString text = digits.left(2) + QLatin1Char(':') + digits.mid(2, 2) + QLatin1Char(':') + digits.mid(4);
        setMessAuto();
        if (m_host)
            m_host->setNtpTooltips(m_host->state().NetAutoSync ? QStringLiteral("NTP Auto-Sync On - Next at ") + text
                                                               : QStringLiteral("NTP Auto-Sync Off"));
        return;
    }
    SyncOK = true;
    Timer6.setEnabled(true);
}

void frmNTP::refused(platform::ClockSetResult result)
{
    endAttempt();
    const QString reason = platform::clockSetFailureText(result);
    setResult(reason, kRed);
    logLine(reason);
    if (SyncMode == 0) {
        setManualMenus(true);
        return;
    }
    SyncOK = false;
    m_refused = true;
    Timer6.setEnabled(true);
}

void frmNTP::showError(const QString& result)
{
    setResult(result, kRed);
    logLine(result);
    Label2->setText(QString::fromLatin1(kStates[9].text));
    setStatusColour(kRed);
    Line2->setVisible(true);
    setBarPace(100);
    if (SyncMode == 0) {
        setManualMenus(true);
        return;
    }
    SyncOK = false;
    Timer6.setEnabled(true);
}

void frmNTP::invalidReply()
{
    endAttempt();
    showError(QStringLiteral("NTP Server returned an invalid response"));
}

void frmNTP::socketFailed()
{
    endAttempt();
    Timer5.setEnabled(true);
    showError(QStringLiteral("Network Time Synchronisation failed"));
}

void frmNTP::attemptTimedOut()
{
    m_attemptTimer.setEnabled(false);
    if (m_attemptOpen && !m_waitingForClock && StinkySock)
        StinkySock->Fail(10060, QStringLiteral("Connection is timed out"));
}

// Opened by hand during an automatic run: the run ends here, and the window
// waits for the user.
void frmNTP::abandonAutomaticRun()
{
    ++m_attempt;
    endAttempt();
    Timer5.setEnabled(false);
    Timer6.setEnabled(false);
    StinkySock->Close();
}

void frmNTP::endAttempt()
{
    m_attemptOpen = false;
    m_waitingForClock = false;
    m_attemptTimer.setEnabled(false);
}

// ---- Timers ----

void frmNTP::Timer1_Timer()
{
    SockState = StinkySock ? StinkySock->State() : 0;
    const StateRow& row = kStates[static_cast<size_t>(qBound(0, SockState, 9))];
    Label2->setText(QString::fromLatin1(row.text));
    if (SockState == 0) {
        setColours(Label2, row.colour);
        Line2->setVisible(false);
        resetBar();
    } else {
        setStatusColour(row.colour);
        Line2->setVisible(true);
        setBarPace(SockState == 9 ? 100 : 25);
    }
    if (SockState != PrevSockState && PrevSockState != -1)
        logLine(QString::fromLatin1(row.text));
    PrevSockState = SockState;
    if (SockState == 9 && m_attemptOpen && !m_waitingForClock)
        socketFailed();
}

void frmNTP::Timer2_Timer()
{
    BlinkLoc = !BlinkLoc;
    const Blink b = localBlink(SockState, BlinkLoc);
    Image1->setPixmap(platform::loadBitmap(b.picture));
    Timer2.setInterval(b.interval);
}

void frmNTP::Timer3_Timer()
{
    BlinkSrv = !BlinkSrv;
    const Blink b = serverBlink(SockState, BlinkSrv);
    Image2->setPixmap(platform::loadBitmap(b.picture));
    Timer3.setInterval(b.interval);
}

void frmNTP::Timer4_Timer()
{
    constexpr int kStep = 15;
    if (BarRight) {
        BarX = {BarX[0] + kStep, BarX[1] + kStep};
        if (BarX[1] >= kTrackRight)
            BarRight = false;
    } else {
        BarX = {BarX[0] - kStep, BarX[1] - kStep};
        if (BarX[0] <= kTrackLeft)
            BarRight = true;
    }
    placeBar();
}

void frmNTP::Timer5_Timer()
{
    Timer5.setEnabled(false);
    if (StinkySock)
        StinkySock->Close();
    if (SyncMode == 0)
        setManualMenus(true);
}

void frmNTP::Timer6_Timer()
{
    Timer6.setEnabled(false);
    if (StinkySock)
        StinkySock->Close();
    const bool lastServer = (AutoIdx >= 9 && !userServerSet()) || AutoIdx >= 10;
    if (SyncOK || m_refused || lastServer) {
        Form_Unload();
        return;
    }
    ++AutoIdx;
    Syn_Click();
}

// ---- Helpers ----

void frmNTP::setManualMenus(bool on)
{
    Clfrm->setEnabled(on);
    ServList->setEnabled(on);
    ServList->menuAction()->setEnabled(on);
    Syn->setEnabled(on);
}

void frmNTP::setServerTooltips(const QString& host, const QString& address)
{
    const QString tip = QStringLiteral("Server : ") + host
        + (address.isEmpty() ? QString() : QStringLiteral(" - IP Address ") + address);
    Image2->setToolTip(tip);
    Image4->setToolTip(tip);
}

void frmNTP::setLocalTooltips()
{
    const QString tip = QStringLiteral("Local : ") + platform::WinsockClient::LocalHostName()
        + QStringLiteral(" - IP Address ") + platform::WinsockClient::LocalIP();
    Image1->setToolTip(tip);
    Image3->setToolTip(tip);
}

void frmNTP::setResult(const QString& text, quint32 colour)
{
    setColours(Label1, colour, 0x000000);
    Label1->setText(text);
}

void frmNTP::setStatusColour(quint32 colour)
{
    setColours(Label2, colour);
    setColours(Line2, colour, colour);
}

void frmNTP::setBarPace(int intervalMs)
{
    // Setting the interval starts the count again: only a change may do that.
    if (Timer4.interval() != intervalMs)
        Timer4.setInterval(intervalMs);
}

void frmNTP::resetBar()
{
    BarX = {kTrackLeft, 375};
    BarRight = true;
    placeBar();
}

void frmNTP::placeBar()
{
    Line2->setGeometry(kTrackX + (BarX[0] - kTrackLeft) / kTwipsPerPixel, Line1->y() - 1,
                       (BarX[1] - BarX[0]) / kTwipsPerPixel, 4);
}

QString frmNTP::stamp() const
{
    return platform::formatDateTime(platform::clock().now(), QStringLiteral("dddd dd mmmm yyyy - hh:mm:ss"));
}

void frmNTP::logLine(const QString& text) { log(stamp() + QStringLiteral(" - ") + text + kCrLf); }

void frmNTP::log(const QString& text)
{
    SyncLog += text;
    if (SyncLog.size() <= kSyncLogLimit)
        return;
    // Keep the newest lines: cut at a line end past the surplus.
    const qsizetype cut = SyncLog.indexOf(kCrLf, SyncLog.size() - kSyncLogLimit);
    SyncLog.remove(0, cut < 0 ? SyncLog.size() - kSyncLogLimit : cut + kCrLf.size());
}
