#pragma once

#include "platform/base/clocksetter.h"

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
// bus, and the program's network clients fail the test for any host that is
// not a loopback address.
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

    // The clock setter the program reaches in tests.
    platform::RecordingClockSetter& clockSetter() { return m_clockSetter; }
    // The system bus address the tests' programs see: a socket in the temporary folder.
    QString systemBusAddress() const;

private:
    void createFolders();
    void installGuards();
    QTemporaryDir m_dir;
    platform::RecordingClockSetter m_clockSetter;
};

// The one environment of the running test executable.
TestEnvironment& environment();

} // namespace testsupport

// A test executable's main: environment first, then the application, then the tests.
#define VANTORA_TEST_MAIN(TestClass)                                   \
    int main(int argc, char** argv)                                    \
    {                                                                  \
        testsupport::environment();                                    \
        QApplication app(argc, argv);                                  \
        TestClass tc;                                                  \
        return QTest::qExec(&tc, argc, argv);                          \
    }
