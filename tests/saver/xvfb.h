#pragma once

#include "tests/support/testenv.h"

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWindow>

#include <memory>

namespace testsupport {

// A private X server (Xvfb) on a free display, stopped by its pid when the
// object goes. Start it before the QApplication and point DISPLAY at it.
class Xvfb {
public:
    explicit Xvfb(const QString& screen = QStringLiteral("1280x1024x24"));
    ~Xvfb();

    bool isRunning() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; } // ":N"
    qint64 pid() const { return m_pid; }

private:
    QString m_display;
    qint64 m_pid = 0;
};

// A window manager (openbox) on that server, stopped by its pid when the object
// goes. It is ready once the root window names it (_NET_SUPPORTING_WM_CHECK).
class WindowManager {
public:
    explicit WindowManager(const QString& display);
    ~WindowManager();

private:
    qint64 m_pid = 0;
};

// How many pixels of the window (0: the whole screen) show the LED digits'
// light blue, looking at every `step`-th pixel of every `step`-th row.
int litPixels(WId window, int step = 2);

// A test executable's main on its own X server: Xvfb first, the
// application on it, then the tests.
template <typename TestClass>
int runTestsOnXvfb(int argc, char** argv)
{
    environment();
    Xvfb xvfb;
    if (!xvfb.isRunning())
        qFatal("Xvfb did not start");
    qputenv("DISPLAY", xvfb.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int code = 0;
    {
        QApplication app(argc, argv);
        TestClass tests;
        code = QTest::qExec(&tests, argc, argv);
    }
    return code;
}

} // namespace testsupport
