#pragma once

#include "core/appstate.h"
#include "core/neighbours.h"
#include "platform/base/clocksetter.h"
#include "platform/base/timer.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;

namespace platform {
class WinsockClient;
}

// The time-server window: sets the computer's clock from a TIME-protocol
// server, by hand (manual mode) or as the daily automatic run that retries the
// other servers and closes itself.
//
// The window object lives as long as the main window; "unloading" it hides
// it, stops its timers and its socket and forgets the running attempt, and
// the next StartNTP loads it afresh. An answer of the clock service that
// comes after that is ignored.
class frmNTP : public QWidget, public TimeServerWindow {
    Q_OBJECT
public:
    explicit frmNTP(AppHost* host, QWidget* parent = nullptr);
    ~frmNTP() override;

    // ---- What the main window calls ----
    bool isVisible() const override { return QWidget::isVisible(); }
    void StartNTP(int mode) override;
    void setMessAuto() override;

    // ---- The menu commands ----
    void Clfrm_Click();
    void Syn_Click();
    void srvL_Click(int index);
    void SetSrvL_Click();
    void RemSrvL_Click();

    // ---- Read access for tests and benchmarks ----
    bool isLoaded() const { return m_loaded; }
    int syncMode() const { return SyncMode; }
    int serverIndex() const { return SrvIdx; }
    int autoIndex() const { return AutoIdx; }
    bool syncOK() const { return SyncOK; }
    QString syncLog() const { return SyncLog; }
    QString serverName(int index) const;
    // How many timers of this window are running.
    int runningTimerCount() const;
    // The log is kept in memory only, and no longer than this (the oldest lines go first).
    static constexpr int kSyncLogLimit = 64 * 1024;
    // An attempt that has not ended this long after it started fails as a socket error.
    static constexpr int kAttemptTimeoutMs = 10000;

signals:
    // The window was unloaded (closed by the user or by the automatic run).
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void Form_Load();
    void Form_Unload();
    void newSocket();

    // ---- One attempt ----
    void StinkySock_Connect();
    void StinkySock_DataArrival();
    void StinkySock_Close();
    void ProcTimeReply(const QByteArray& reply);
    void clockAnswered(platform::ClockSetResult result);
    void succeeded();
    void refused(platform::ClockSetResult result);
    void invalidReply();
    void socketFailed();
    void attemptTimedOut();
    void showError(const QString& result);
    void endAttempt();
    void abandonAutomaticRun();

    // ---- Timers ----
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();

    // ---- Helpers ----
    int serverInUse() const;
    bool userServerSet() const;
    void setManualMenus(bool on);
    void setServerTooltips(const QString& host, const QString& address);
    void setLocalTooltips();
    void setResult(const QString& text, quint32 colour);
    void setStatusColour(quint32 colour);
    void setBarPace(int intervalMs);
    void resetBar();
    void placeBar();
    void log(const QString& text);
    void logLine(const QString& text);
    QString stamp() const;

    AppHost* m_host;

    // ---- Form-level state ----
    QByteArray NTPReply;
    double NTPDelay = 0;
    qint16 SyncMode = 0;
    int SrvIdx = 0;
    int AutoIdx = -1;
    bool SyncOK = false;
    QString SyncLog;
    QString UserSrv;
    int SockState = 0;
    int PrevSockState = -1;
    bool BlinkSrv = true;
    bool BlinkLoc = true;
    std::array<int, 2> BarX{330, 375};
    bool BarRight = true;

    bool m_loaded = false;
    // The running attempt: its number (answers for older ones are dropped),
    // whether it still has to end, whether it waits for the clock service,
    // and when it connected (on the monotonic clock).
    quint64 m_attempt = 0;
    bool m_attemptOpen = false;
    bool m_waitingForClock = false;
    qint64 m_connectedAtMs = 0;
    // The automatic run stops at a refusal: other servers would be refused too.
    bool m_refused = false;

    // ---- Controls ----
    QMenuBar* m_menuBar = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Image4 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPointer<platform::WinsockClient> StinkySock;

    QAction* Clfrm = nullptr;
    QAction* VslNTP = nullptr;
    QMenu* ServList = nullptr;
    std::array<QAction*, 11> srvL{};
    QAction* SetSrvL = nullptr;
    QAction* RemSrvL = nullptr;
    QAction* Syn = nullptr;

    platform::Timer Timer1{10};
    platform::Timer Timer2{50};
    platform::Timer Timer3{50};
    platform::Timer Timer4{25};
    platform::Timer Timer5{5000};
    platform::Timer Timer6{3000};
    platform::Timer m_attemptTimer{kAttemptTimeoutMs};
};
