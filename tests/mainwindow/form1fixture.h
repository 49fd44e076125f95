#pragma once

#include "core/neighbours.h"
#include "platform/base/dialogs.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/base/windowsystem.h"
#include "platform/media/sound.h"
#include "tests/support/doubles/recordingsoundplayer.h"
#include "tests/support/doubles/recordingwindowsystem.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <memory>

class Form1;
class QAction;

namespace testsupport {

// Everything a main-window test needs: a fresh user, a manual clock, scripted
// boxes, a recording sound player and window system, and a recorded program end.
class Form1Fixture {
public:
    explicit Form1Fixture(const QDateTime& start = QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)));
    ~Form1Fixture();

    platform::ManualClock& clock() { return *m_clock; }
    platform::ScriptedDialogs& dialogs() { return m_dialogs; }
    platform::RecordingSoundPlayer& sound() { return m_sound; }
    platform::RecordingWindowSystem& windows() { return m_windows; }
    int endCount() const { return m_endCount; }

    // A new main window, loaded as the start-up loads it.
    Form1* loadForm1();
    Form1* form1() const { return m_form1.get(); }
    // Unloads the main window and loads it again (a restart of the program).
    Form1* restart();
    void unload();

    QAction* action(const QString& name) const;
    void trigger(const QString& name) const;

    static QString option(const QString& key, const QString& def = QStringLiteral("<missing>"));
    static void setOption(const QString& key, const QString& value);
    static QStringList optionKeys();

private:
    std::unique_ptr<platform::ManualClock> m_clock;
    platform::ScriptedDialogs m_dialogs;
    platform::RecordingSoundPlayer m_sound;
    platform::RecordingWindowSystem m_windows;
    std::unique_ptr<Form1> m_form1;
    int m_endCount = 0;
};

// A reminder desk that records the tick's scans: `count` reminders stored,
// the editor open when `editor`.
class FakeReminders : public ReminderHost {
public:
    int count = 1;
    bool editor = false;
    QList<QDateTime> scans;
    bool editorVisible() const override { return editor; }
    int memoCount() const override { return count; }
    void showDueReminders(const QDateTime& now) override { scans.append(now); }
};

} // namespace testsupport
