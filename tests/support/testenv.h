#pragma once

#include "platform/base/clocksetter.h"
#include "platform/base/dialogs.h"
#include "tests/support/doubles/recordingclocksetter.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Points HOME and every XDG folder at a fresh temporary folder, pins the locale
// to US English and selects the offscreen window system. Create it before the
// QApplication; everything the program stores then lands in the temporary folder.
// It also keeps the tests away from the computer's clock and from the network:
// a recording clock setter is installed, the system bus is pointed at a socket
// in the temporary folder (nothing listens there unless a test starts its own
// bus), the real clock setter fails the test unless it talks to such a private
// bus, the program's network clients fail the test for any host that is
// not a loopback address, every name look-up ends the test (resolverguard.cpp),
// and message boxes are scripted (dialogs()).
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString home() const;
    QString configHome() const;
    QString dataHome() const;

    // Empties the temporary home again (between test cases that need a fresh user).
    void wipe();

    // The boxes shown where a test has not set its own: recorded and answered
    // with their default button, never waiting for a click.
    platform::ScriptedDialogs& dialogs() { return m_dialogs; }

    // The clock setter the program reaches in tests.
    platform::RecordingClockSetter& clockSetter() { return m_clockSetter; }
    // The system bus address the tests' programs see: a socket in the temporary folder.
    QString systemBusAddress() const;
    // The web host the program sees unless a test points it at a peer of its
    // own: a closed loopback port, so a forgotten download fails at once.
    static QString closedWebBase() { return QStringLiteral("http://127.0.0.1:1"); }
    static void restoreWebBase();

private:
    void createFolders();
    void installGuards();
    QTemporaryDir m_dir;
    platform::RecordingClockSetter m_clockSetter;
    platform::ScriptedDialogs m_dialogs;
};

// The one environment of the running test executable.
TestEnvironment& environment();

// How many times slower this build runs than the plain one: the sanitizer run
// sets VANTORA_TEST_SLOWDOWN; 1 when unset.
int slowdown();
// The iteration count of a heavy loop: `count` in the plain build, divided by
// the slowdown in a slow one, never below `floor`.
int iterations(int count, int floor = 1);
// Runs the events pending now, posted deletions included, and those they post
// in turn, a few rounds deep; no wall-clock time is waited for.
void drainEvents();
// For a child that prints one line per finished write and writes without end:
// waits until it has reported `writes` lines, then kills it with SIGKILL, so
// that the kill lands while it works on a later write. False if it ended or
// fell silent first.
bool killAfterReportedWrites(QProcess& child, int writes);
// A waiting limit: `ms` in the plain build, times the slowdown in a slow one.
int patience(int ms);

} // namespace testsupport

// A test executable's main: environment first, then the application, then the tests.
#define VANTORA_TEST_MAIN(TestClass)                                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        testsupport::environment();                                                                                    \
        QApplication app(argc, argv);                                                                                  \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
