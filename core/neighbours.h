#pragma once

#include <QDateTime>

// The windows of other parts of the program that the main window drives.
// Each is handed to the main window when its window exists; until then the
// steps that need it are skipped.

class TimeServerWindow {
public:
    virtual ~TimeServerWindow() = default;
    virtual bool isVisible() const = 0;
    // mode -1: automatic (closes itself on success), 0: manual.
    virtual void StartNTP(int mode) = 0;
    virtual void setMessAuto() = 0;
};

class RadioWindow {
public:
    virtual ~RadioWindow() = default;
    virtual bool isVisible() const = 0;
    virtual bool FormActive() const = 0;
    virtual bool playerVisible() const = 0;
    // WebcamOn: a playback is running.
    virtual bool webcamOn() const = 0;
    // Empties ActualMP3Play and clears FullStop before a new station is chosen.
    virtual void clearFileInHand() = 0;
    virtual void SelectRad(int station) = 0;
    virtual void Show() = 0;
    virtual void Image1_Click() = 0;
    // The player's mute flag and the window's "mute" toolbar button.
    virtual void setAlarmMute(bool mute) = 0;
    virtual void ExtOntop() = 0;
    virtual void RepShu() = 0;
};

class ReminderHost {
public:
    virtual ~ReminderHost() = default;
    virtual bool editorVisible() const = 0;
    virtual int memoCount() const = 0;
    // Reloads the reminders and opens a notice for each one due at `now`.
    virtual void showDueReminders(const QDateTime& now) = 0;
};

class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;
    virtual void ChkUpdate(bool silent) = 0;
    // A check started by ChkUpdate is still on its way.
    virtual bool checkRunning() const { return false; }
};
