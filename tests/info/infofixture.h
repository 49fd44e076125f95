#pragma once

#include "core/neighbours.h"
#include "platform/base/modal.h"
#include "compat/win32/shell.h"
#include "platform/desktop/trayicon.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/doubles/faketrayicon.h"
#include "tests/support/doubles/recordingshell.h"
#include "tests/support/doubles/scriptedmodalwindows.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class Form1;
class QAction;
class QMenu;

namespace testsupport {

// The main-window fixture with a fake tray icon, a recording shell and
// scripted modal windows; the program's other windows are unloaded at the end.
class InfoFixture : public Form1Fixture {
public:
    explicit InfoFixture(const QDateTime& start = QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)));
    ~InfoFixture();

    platform::FakeTrayIcon& tray() { return m_tray; }
    platform::RecordingShell& shell() { return m_shell; }
    platform::ScriptedModalWindows& modals() { return m_modals; }

private:
    platform::FakeTrayIcon m_tray;
    platform::RecordingShell m_shell;
    platform::ScriptedModalWindows m_modals;
};

// A radio window that is a real window, recording what it is asked.
class WindowRadio : public QWidget, public RadioWindow {
public:
    QStringList calls;
    bool isVisible() const override { return QWidget::isVisible(); }
    bool FormActive() const override { return QWidget::isVisible(); }
    bool playerVisible() const override { return QWidget::isVisible(); }
    bool webcamOn() const override { return QWidget::isVisible(); }
    void clearFileInHand() override {}
    void SelectRad(int station) override { calls << QStringLiteral("select %1").arg(station); }
    void Show() override { show(); }
    void Image1_Click() override { calls << QStringLiteral("play"); }
    void setAlarmMute(bool mute) override { calls << (mute ? QStringLiteral("mute") : QStringLiteral("unmute")); }
    void ExtOntop() override {}
    void RepShu() override {}
};

// A time-server window that records the runs it is asked for and shows itself.
class WindowTimeServer : public QWidget, public TimeServerWindow {
public:
    QList<int> runs;
    bool isVisible() const override { return QWidget::isVisible(); }
    void StartNTP(int mode) override
    {
        runs << mode;
        show();
    }
    void setMessAuto() override {}
};

// Puts the two stand-ins above in place of the main window's radio and time-server windows.
void attachStandIns(Form1* main, WindowRadio& radio, WindowTimeServer& timeServer);

// Every command of a menu and its submenus.
QList<QAction*> commandsOf(QMenu* menu);

// Closes every dialog that runs a modal loop of its own (colour choosers and
// the like) as soon as it is up, counting them.
class DialogCloser : public QObject {
public:
    DialogCloser();
    int closed = 0;

private:
    QTimer m_timer;
};

} // namespace testsupport
