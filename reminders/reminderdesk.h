#pragma once

#include "core/appstate.h"
#include "core/neighbours.h"
#include "platform/base/timer.h"
#include "reminders/form7.h"
#include "reminders/frmmemo.h"
#include "reminders/memofile.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

// The reminder windows of the running program: every open notice, the queue
// of pending notices still waiting for room, and the editor. The main window
// reaches it as its ReminderHost. A reminder never has two notices open: the
// pending ones and the newly due ones are each shown once, whatever order the
// start-up steps come in. Until start() the tick finds no reminders.
class ReminderDesk : public QObject, public ReminderHost {
    Q_OBJECT
public:
    // More due notices than this stay in their files and open as others close.
    static constexpr int kMaxOpenNotices = 20;

    ReminderDesk();
    ~ReminderDesk() override;

    // The host (the main window) whose on-top flag and busy animation the windows use.
    void attach(AppHost* host);
    AppHost* host() const;

    // Start-up: file names, repair of a killed run's leftovers, load, a notice
    // for every pending reminder; a damaged file is told once (a "Vantora" box).
    void start();
    // Opens a notice (mode 4) for every record of "VNTemp.log" that has none
    // open yet, at most kMaxOpenNotices at a time.
    void MemoCheckDue();

    // ReminderHost
    bool editorVisible() const override;
    // The number of waiting reminders, read again when the file changed.
    int memoCount() const override;
    // Opens a notice (mode 2) for each reminder due at `now`, oldest first.
    void showDueReminders(const QDateTime& now) override;

    // "Add Reminder": a new-reminder notice (mode 1); nothing while the editor is open.
    Form7* addReminder();
    // "Reminders Editor": opens the editor, or brings it forward when open.
    frmMemo* openEditor();
    frmMemo* editor() const { return m_editor; }
    // A mode 3 notice; see reminders/automaticmessage.h.
    Form7* showAutomaticMessage(const QString& message, std::function<void()> onClosed);

    // Every open window of this desk, notices first.
    QList<Form7*> notices() const;
    // The notices now open for due or pending reminders (snoozed ones too).
    int openDueNotices() const;
    // Closes every notice and the editor (a reset), keeping pending reminders
    // pending; forgets the queue. The tick finds no reminders until start().
    void closeAll();

signals:
    // One timer for every open notice, however many: the blink on each half
    // second, the current time "hh:mm:ss" on each new second.
    void halfSecond();
    void secondTicked(const QString& time);

private:
    Form7* newNotice();
    bool openPending(const MemoRec& rec);
    void openQueuedPending();
    void noticeClosed(Form7* notice);
    bool holdsStored(const MemoRec& rec, int occurrence) const;
    void pulse();
    void startPulse();
    void tellDamage() const;

    HostLink m_host;
    QList<QPointer<Form7>> m_notices;
    QPointer<frmMemo> m_editor;
    QList<MemoRec> m_queued;
    bool m_scanning = false;
    bool m_started = false;
    mutable bool m_damageTold = false;
    platform::Timer m_pulse;
    QString m_shownSecond;
};

// The desk of the running program.
ReminderDesk& reminderDesk();
