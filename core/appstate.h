#pragma once

#include <QDateTime>
#include <QPointer>
#include <QString>

class QObject;

// The program-wide state the windows share. The main window owns it; the
// other windows read and write it through the AppHost they were given.
struct AppState {
    bool Form1OnTop = true;  // every window stands above the others when activated
    bool FirstUse = true;    // the factory station table is still to be written
    bool Searchsize = false; // media chooser: true one file, false a folder
    qint16 InitialSize = 0;  // the main window's height at load, in twips
    QString TempNam;         // one slot's factory name and URL while the table loads
    QString TempURL;
    bool ModifURL = false;   // the station editor saved (true) or was cancelled
    bool AlarmRadio = true;  // the alarm also starts the default station
    QString RaURL;           // URL, file or folder now being played
    qint16 DefaultRadio = 2; // current station slot, 1..12
    bool AlarmActive = false;
    bool AutoPla = true;
    bool Rpeat = false;
    bool Shuffl = false;
    QString MP3Dir;
    bool MP3D = false;   // a folder is being played
    bool On_Off = false; // busy animation state
    qint32 On_Off_Count = 0;
    qint32 ActTim8Cycle = 0;
    qint16 LastTZAdd = 0; // number of added world-clock zones, 0..5
    QString TZFormat = QStringLiteral("ddd dd mmm yyyy");
    QString ExportHeur;      // the current time "hh:mm:ss" of the last tick
    QDateTime NowTime;       // the time read at the start of the last tick
    bool NetAutoSync = true; // daily time-server synchronisation
    bool LogSync = true;
    bool VNNetAutoSync = true;
    bool VNNetAutoSync2 = true;
    bool VNNetAutoSyncSilent = false;
    bool ActuSyncVN = false; // an online update check is running
};

// The few calls the other windows make back to the main window.
class AppHost {
public:
    virtual ~AppHost() = default;

    virtual AppState& state() = 0;
    // The object whose end is the host's end (windows that may outlive it watch it).
    virtual QObject* hostObject() = 0;

    // Lays out the world-clock rows again after the zones or their format changed.
    virtual void SetTZ() = 0;
    // The radio picture blinks while a station plays, and stops.
    virtual void startRadioBlink() = 0;
    virtual void StopTimer7() = 0;
    // The busy animation of an online check, and its end.
    virtual bool busyAnimationRunning() const = 0;
    virtual void StopTimer8() = 0;
    // Every open window applies the on-top flag again.
    virtual void ExtOntopmain() = 0;
    // The radio window opens (true) or closes.
    virtual void radioWindowOpen(bool open) = 0;
    // The tooltip of the time-sync picture.
    virtual void setNtpTooltips(const QString& text) = 0;
    virtual bool mainWindowVisible() const = 0;
    virtual void setMainWindowVisible(bool visible) = 0;
};

// A window's link to its host: empty once the host has gone.
class HostLink {
public:
    HostLink() = default;
    HostLink(AppHost* host);                     // NOLINT(google-explicit-constructor): a link stands for its host
    HostLink(AppHost& host) : HostLink(&host) {} // NOLINT(google-explicit-constructor)

    AppHost* get() const { return m_guard ? m_host : nullptr; }
    AppHost* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    AppHost* m_host = nullptr;
    QPointer<QObject> m_guard;
};

// The host of the running program, set by the main window while it exists;
// windows made before they were given a host fall back to it.
AppHost* runningHost();
void setRunningHost(AppHost* host);
