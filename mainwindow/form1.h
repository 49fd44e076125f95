#pragma once

#include "core/appstate.h"
#include "core/neighbours.h"
#include "platform/base/filestamp.h"
#include "platform/base/timer.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

class Internet;
class Form1Shape;
class FrmTZ;
class PaintedTogether;
class PictureOnShape;
class QAction;
class QLabel;
class QMenu;

namespace platform {
class LedDigit;
}

// The main window: the LED clock with its date, status pictures and menus. It
// owns the program's shared state (its AppState part) and is the other windows' host.
class Form1 : public QWidget, public AppState, public AppHost {
    Q_OBJECT
public:
    // What Form_Load ended with.
    enum class LoadResult { Loaded, Partial, ResetRequested, EndRequested };

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    LoadResult Form_Load();
    LoadResult loadResult() const { return m_loadResult; }

    // ---- The host of the other windows ----
    AppState& state() override { return *this; }
    QObject* hostObject() override { return this; }
    void startRadioBlink() override { Timer7.setEnabled(true); }
    bool busyAnimationRunning() const override { return Timer8.isEnabled(); }
    bool mainWindowVisible() const override { return isVisible(); }
    void setMainWindowVisible(bool visible) override { visible ? show() : hide(); }

    // ---- Public procedures ----
    void ReInitVN() {}
    void Timer7_Timer();
    void StopTimer7() override;
    void StopTimer8() override;
    void DatFormSet();
    void SetDateOption();
    void FlashSet();
    void SetLogNTP();
    void AddToReg();
    void AutoChckUpdt();
    void AlSet();
    void ExtOntopmain() override;
    void SetmnuVNUpAuto();
    void SetNTPASync();
    void SN();
    void PlayAl();
    void RegOptions(qint16 index);
    void LoadOptions(qint16 index);
    // Fills TempNam / TempURL with a slot's factory name / URL.
    void DefRadioName(qint16 slot);
    void DefRadioURL(qint16 slot);

    // ---- Public procedures of the other parts' commands ----

    // World time: zone rows, zone chooser, colours (form1_worldtime.cpp)
    // Lays out the status line and the zone rows, names them and sizes the window.
    void SetTZ() override;
    // Shows row i's time (1..5) before the first tick reaches it.
    void PresetTZ(qint16 i);
    void TZUrefresh(qint16 i);
    // Reads the zone database and the zone converter's defaults.
    void TZini();
    void SetColTxt();
    void SetColTxt2();
    void TZhcSet();
    void SetClHC_Click();
    // The zone chooser, loaded with the window (null before that).
    FrmTZ* frmTZ() const { return m_frmTZ; }
    const QStringList& zoneKeyNames()
    {
        readZoneTable();
        return m_tzKeyNames;
    }
    const QStringList& zoneDisplayNames()
    {
        readZoneTable();
        return m_tzDisplayNames;
    }
    QString defaultSourceZone()
    {
        readZoneTable();
        return m_defaultSourceZone;
    }
    QString defaultTargetZone()
    {
        readZoneTable();
        return m_defaultTargetZone;
    }

    // Time servers (form1_timesync.cpp)
    void NTPserv_Click();
    void Image10_Click();
    void Image11_Click();
    // The tooltip of the time-sync picture and its click area.
    void setNtpTooltips(const QString& text) override;

    // Reminders (form1_reminders.cpp)

    // Radio and media commands (form1_radio.cpp)
    // Rebuilds the station menu from the station table and checks the current
    // station: the station-list editor and the online station list call it after
    // they have changed the stations.
    void ActURL();
    void AffSelect(qint16 Index);
    void CheckUrlavail();
    bool anyStation() const { return AnyStation; }
    void url_Click(qint16 Index);
    // Plays the current station (F2, the radio pictures, the tray).
    void Image6_Click();
    // The radio window opens (true) or closes: "Preferences" waits meanwhile.
    void radioWindowOpen(bool open) override;
    // The radio window, made on first need; nullptr when none can be made.
    RadioWindow* radioWindow();
    // How the radio window is made (the program's window set unless a test says otherwise).
    void setRadioFactory(std::function<RadioWindow*()> factory) { m_radioFactory = std::move(factory); }

    // Station list editor, media chooser (form1_stations.cpp)
    // The station editor exchange ("Preferences", F5): the editor is filled from
    // the station table, and what the user saved is stored as one change.
    void seturl_Click();

    // Online services: updates, station-list news, mail (form1_online.cpp)
    void InterLaunch_Click();
    void ChckUpdt_Click();
    void ChckUpdtList_Click();
    void SendLinks_Click(int index);
    void Image12_Click();
    Internet* internet() const { return m_internet; }

    // Screensaver commands (form1_saver.cpp)
    void SetmnuPassword();
    void SetmnuMin();
    qint32 idleMinutes() const { return IdleMinutes; }

    // Tray, help, About, history and system information (form1_info.cpp)
    // The tray icon's pointer events: the tip shows the time, a click shows
    // the window, a double click plays the current station.
    void cSysTray1_MouseMove();
    void cSysTray1_MouseUp();
    void cSysTray1_MouseDblClick();
    void hidtout();
    // Whether "Hide in Systray" has the window hidden behind the tray icon.
    bool isHiddenInTray() const { return m_hiddenInTray; }
    // The segmented progress bar: picBuffer is the off-screen buffer.
    void InitProgressBar(qint16& Index);
    void SetProgressBarValue(QLabel* Target, qint32 Min, qint32 Max, qint32 Value, QLabel* Segment);

    // The main tick, also run once by Form_Load.
    void Timer1_Timer();

    // ---- The windows of other parts, handed in when they exist ----
    void setTimeServer(TimeServerWindow* w) { m_timeServer = w; }
    void setRadio(RadioWindow* w) { m_radio = w; }
    void setReminders(ReminderHost* h) { m_reminders = h; }
    void setUpdateChecker(UpdateChecker* u) { m_updates = u; }

    // ---- Read access for the other windows and for tests ----
    QString stationName(int slot) const;
    QString stationURL(int slot) const;
    QString alarmTimeText() const { return AlarmTimeText; }
    bool alarmOn() const { return AlarmOn; }
    qint16 alarmChoice() const { return AlarmChoice; }
    bool isRinging() const { return Timer3.isEnabled(); }
    bool isSnoozed() const { return Snoozed; }
    qint16 snoozeCount() const { return SnoozeCount; }
    bool autoRunOn() const { return AutoRunOn; }
    // Timer `number` of the design; 9 and 10 are moments of the tick (see
    // runDueMoments) and throw std::out_of_range like unknown numbers.
    platform::Timer& timer(int number);

    // Opens the Tools menu at a point (a right click on the clock).
    void popupTools(const QPoint& globalPos);

signals:
    // The tick has shown a new second (NowTime and ExportHeur hold it): the
    // windows that show the main window's time follow it without a clock of their own.
    void secondShown();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- Building the window (form1.cpp, form1_menus.cpp) ----
    void Form_Initialize();
    void buildControls();
    void buildMenus();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QString& shortcut = {});
    void loadPictures();
    void paintSecondsTogether(Form1Shape* panel);
    void describeForScreenReaders();
    void popupToolsFromKeyboard();
    void runLoadSteps();
    // The clock as screen readers read it: the time and date shown.
    void updateClockText();

    // ---- Tick (form1_tick.cpp) ----
    template <typename Step>
    void runTickStep(Step step);
    void showChangedDigits();
    void flashSeconds();
    void showDateIfChanged();
    void showZoneTimes();
    void refreshSyncDigits();
    void startDailyTimeSync();
    void checkAlarmTime(const QString& tnow);
    void countDownUpdateCheck();
    void dailyUpdateCheck();
    void storeOptionsEveryTenSeconds();
    void showDueReminders();
    void beepOnTheHour();
    // One second of the time shown: the local day and second of the day, and
    // the monotonic reading of the tick. Telling two apart needs no time-zone
    // arithmetic; the monotonic reading keeps a local second that comes again
    // (the clock put back, the hour repeated where summer time ends) from
    // being taken for the one already handled.
    struct TickSecond {
        qint64 local = std::numeric_limits<qint64>::min();
        qint64 monotonicMs = 0;
        bool sameAs(const TickSecond& other) const
        {
            return local == other.local && std::abs(monotonicMs - other.monotonicMs) < 1000;
        }
    };
    TickSecond currentSecond() const;
    bool digitChanged(int i) const { return DigitNow[i] != DigitShown[i]; }
    void Timer2_Timer();
    void Timer8_Timer();
    void Timer9_Timer();
    void Timer10_Timer();
    // The status blink runs only while one of its two options is on.
    void applyBlinkTimer();
    // The seconds flash's end and the status blink's changes are moments of the
    // tick: Timer1 wakes at the next full second or the next such moment,
    // whichever comes first, and does everything then due in that one wake-up.
    void runDueMoments();
    void scheduleNextWake();
    void scheduleNextWake(const QDateTime& wallNow);
    static qint64 blinkMomentAfter(int ms);
    void Timer11_Timer();
    void setUpdateTooltips(const QString& text);
    void setSyncTooltips(const QString& text);

    // ---- Alarm (form1_alarm.cpp) ----
    void alar_Click();
    void alarmbeep_Click();
    void snoozealarm_Click();
    void stopalarm_Click();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    void startRadioWakeUp();
    void applyAlarmDisplay();

public:
    // The accepted "hh:mm" of an alarm input, or "" when the input is refused.
    static QString parseAlarmInput(const QString& answer);
    // Arms the timer that deletes VN.zip ten seconds later.
    void enableHelpCleanup();
    void sEula_Click();

private:
    // ---- Options (form1_options.cpp) ----
    void DispDat_Click();
    void Datform_Click();
    void Flsh_Click();
    void beephour_Click();
    void alwvis_Click();
    void mnuAutoRun_Click();
    void LogNTP_Click();
    void NTPASync_Click();
    void mnuVNUpAuto_Click();
    void applyUpdateOption();
    void al_Click(qint16 choice);
    void radalarm_Click();
    void autopl_Click();
    void repeatmp3_Click();
    void shufflemp3_Click();
    void tools_Click();
    void Label3_Click();
    void Resetall_Click();
    void writeOption(const QString& key, const QString& value);
    void writeRunValue(bool on);
    void showDateText();
    QString syncTimeText() const;
    // The screensaver items of the Tools menu, read again (form1_saver.cpp).
    void refreshScreenSaverItems();
    void storeWindowOptions();

    // ---- Commands of the other parts, each wired in its own file ----
    // The menu item with this object name (every item exists from buildMenus on).
    QAction* command(const QString& name) const;
    mutable QHash<QString, QAction*> m_commands;
    // Makes a greyed-out item usable and runs `handler` when it is chosen.
    void enableCommand(const QString& name, void (Form1::*handler)());

    // World time: zone rows, zone chooser, colours (form1_worldtime.cpp)
    void wireWorldTime();
    void AddTZ_Click();
    void Label4_Click(int index);
    void Label5_Click(int index);
    void TZColTxt2_Click(int index);
    void TZColTxt_Click(int index);
    void ClHC_Click();
    void TZhc_Click();
    void GetTCDefaults();
    // The zone list and the converter's defaults (TZini's work), read on first use.
    void readZoneTable();
    void loadZoneChooser();
    void buildZoneRows();
    void paintRowTimesTogether();
    void buildColourMenu();
    void applyWatchColour(int index);
    void applyZoneColour(int index);
    void applyColonPictures();
    // A colon picture (resid) in the clock's colours: lit ones in the digits'
    // colour, the resting seconds colon in the unlit segments' colour.
    QPixmap colonPicture(int id) const;
    QString zoneRowText(int row, const std::optional<qint32>& homeBias);
    void requireConvertibleZoneValues() const;
    bool CLHighContrast = false;
    bool TZhc = true;
    quint32 m_watchColour = 0x00FFFF00;
    quint32 m_zoneColour = 0x0000FFFF;
    QStringList m_tzKeyNames;
    QStringList m_tzDisplayNames;
    QString m_tzRoot;
    QString m_defaultSourceZone;
    QString m_defaultTargetZone;
    bool m_zoneTableRead = false;
    std::array<QString, 7> m_presetTimes;
    struct RowZone;
    std::array<std::shared_ptr<RowZone>, 5> m_rowZones;
    int m_zoneRowsRead = -1;
    qint64 m_nowMsecs = 0;
    // The home bias as last read, parsed once for every tick that reads the same text.
    std::optional<qint32> storedHomeBias();
    // The zone count, read every tick, its text converted once for every tick that reads the same.
    int storedZoneCount();
    std::optional<QString> m_zoneCountText;
    int m_zoneCount = 0;
    QString m_homeBiasText;
    std::optional<qint32> m_homeBias;
    bool m_homeBiasRead = false;
    std::array<QWidget*, 5> Shape6{};
    PaintedTogether* m_rowTimes = nullptr; // paints the five Label5

    FrmTZ* m_frmTZ = nullptr;
    QMenu* VNC = nullptr;
    std::array<QAction*, 4> TZColTxt2{};
    std::array<QAction*, 2> TZColTxt{};
    QAction* ClHC = nullptr;
    QAction* mnuTZhc = nullptr;

    // Time servers (form1_timesync.cpp)
    void wireTimeSync();

    // Reminders (form1_reminders.cpp)
    void wireReminders();
    void addrem_1_Click();
    void addrem_2_Click();

    // Radio and media commands (form1_radio.cpp)
    void wireRadio();
    void Plydf_Click();
    void indicatorClick(QObject* picture);
    void stationForPlay(qint16 Index);
    RadioWindow* showStation(qint16 Index);
    std::function<RadioWindow*()> m_radioFactory;
    bool AnyStation = false;
    bool m_radioHoldsSeturl = false;
    bool m_seturlWasEnabled = false;
    QLabel* Image7 = nullptr;

    // Station list editor, media chooser (form1_stations.cpp)
    void wireStations();

    // Online services: updates, station-list news, mail (form1_online.cpp)
    void wireOnline();
    Internet* m_internet = nullptr;

    // Screensaver commands (form1_saver.cpp)
    void wireSaver();
    void VNSsaver_Click();
    void PrevSSVN_Click();
    void VNSet_Click();
    void mnuPassword_Click();
    void mnuMin_Click(int index);
    qint32 IdleMinutes = 0;
    std::optional<std::array<platform::FileStamp, 2>> m_saverItemStamps;
    std::array<QString, 2> m_saverItemFiles; // the files behind the stamps, found once

    // Tray, help, About, history and system information (form1_info.cpp)
    void wireInfo();
    void VNHelp_Click();
    void VNHist_Click();
    void aboutdnw_Click();
    void OSInf_Click();
    void hidesystr_Click();
    void showTrayIcon();
    // Tick step: the tip at each new minute, the tray host every ten seconds.
    void refreshTray();
    void pollTrayHost();
    bool m_hiddenInTray = false;
    bool m_trayHostSeen = false;
    QString m_trayTipTime;
    QLabel* picBuffer = nullptr;
    QLabel* picProgress = nullptr;

    // ---- Private state ----
    std::array<QString, 7> DigitNow;
    std::array<QString, 7> DigitShown;
    QDate LastDate;
    std::array<QString, 13> StationName;
    std::array<QString, 13> StationURL;
    QString AlarmTimeText = QStringLiteral("00:00");
    bool AlarmOn = false;
    qint16 AlarmChoice = 1;
    bool BeepHoursOn = false;
    bool Snoozed = false;
    qint16 SnoozeCount = 0;
    qint16 SnoozeLength = 9;
    QByteArray WavAlarm1;
    QByteArray WavAlarm2;
    QByteArray WavHourBeep;
    std::array<qint32, 7> ZoneBias{};
    std::array<QString, 8> SyncDigit;
    bool FlashSec = true;
    bool LongDat = true;
    bool DispDatOn = true;
    bool AutoRunOn = true;
    double UpdateCountdownStart = 0;
    QString NextUpdateTime;
    bool SaverSecure = false;
    LoadResult m_loadResult = LoadResult::Loaded;
    // Until the load has completed, the window's state is not the user's: the
    // ten-second store and pointer moves write nothing.
    bool m_loadCompleted = false;
    bool m_tickInsideLoad = false;
    bool m_updateTooltipStale = true;
    TickSecond m_alarmStartedAt;
    TickSecond m_updateCheckedAt;
    bool m_blinkPhase = false;
    bool m_blinkAllowed = false; // from the end of the load on
    // Monotonic milliseconds: when the lit seconds mark goes out (the design's
    // one-shot Timer9) and when the status blink changes next (Timer10).
    std::optional<qint64> m_flashEndsMs;
    std::optional<qint64> m_blinkDueMs;
    TickSecond m_tickedSecond;
    QDate m_tipDate;

    // ---- Controls ----
    std::array<platform::LedDigit*, 6> LED1{};
    std::array<QLabel*, 8> picSegment{};
    PictureOnShape* m_flashColon = nullptr; // picSegment[7]

    QWidget* Shape2 = nullptr; // the clock panel
    QWidget* Shape3 = nullptr; // the status bar
    QLabel* Label3 = nullptr;  // alarm text
    QLabel* Label6 = nullptr;  // date
    std::array<QLabel*, 5> Label4{};
    std::array<QLabel*, 5> Label5{};
    QLabel* Image2 = nullptr;  // alarm on
    QLabel* Image3 = nullptr;  // hourly beep on
    QLabel* Image4 = nullptr;  // blinking snooze mark
    QLabel* Image5 = nullptr;  // snooze countdown tooltip
    QLabel* Image6 = nullptr;  // radio
    QLabel* Image8 = nullptr;  // radio alarm on
    QLabel* Image9 = nullptr;  // busy animation
    QLabel* Image10 = nullptr; // time sync
    QLabel* Image11 = nullptr; // click area around Image10
    QLabel* Image12 = nullptr; // automatic updates
    QLabel* Image14 = nullptr; // click area around Image12

    platform::Timer Timer1{250};
    platform::Timer Timer2{1250};
    platform::Timer Timer3{750};
    platform::Timer Timer4{60000};
    platform::Timer Timer5{60000};
    platform::Timer Timer6{500};
    platform::Timer Timer7{500};
    platform::Timer Timer8{500};
    platform::Timer Timer11{10000};

    // ---- Menus ----
    QMenu* tools = nullptr;
    QAction* alar = nullptr;
    QAction* alarmbeep = nullptr;
    QMenu* alsoun = nullptr;
    QAction* al1 = nullptr;
    QAction* al2 = nullptr;
    QAction* radalarm = nullptr;
    QAction* snoozealarm = nullptr;
    QAction* stopalarm = nullptr;
    QAction* beephour = nullptr;
    QAction* DispDat = nullptr;
    QAction* Datform = nullptr;
    QAction* Flsh = nullptr;
    QAction* alwvis = nullptr;
    QAction* mnuAutoRun = nullptr;
    QAction* LogNTP = nullptr;
    QAction* NTPASync = nullptr;
    QAction* mnuVNUpAuto = nullptr;
    QAction* autopl = nullptr;
    QAction* repeatmp3 = nullptr;
    QAction* shufflemp3 = nullptr;

    // ---- Neighbouring windows ----
    TimeServerWindow* m_timeServer = nullptr;
    RadioWindow* m_radio = nullptr;
    ReminderHost* m_reminders = nullptr;
    UpdateChecker* m_updates = nullptr;
};
