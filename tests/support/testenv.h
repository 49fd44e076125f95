#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Points HOME and every XDG folder at a fresh temporary folder, pins the locale
// to US English and selects the offscreen window system. Create it before the
// QApplication; everything the program stores then lands in the temporary folder.
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

private:
    void createFolders();
    QTemporaryDir m_dir;
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
