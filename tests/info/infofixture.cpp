#include "tests/info/infofixture.h"

#include "mainwindow/appwindows.h"

namespace testsupport {

InfoFixture::InfoFixture(const QDateTime& start) : Form1Fixture(start)
{
    platform::setTrayIcon(&m_tray);
    platform::setShell(&m_shell);
    platform::setModalWindows(&m_modals);
}

InfoFixture::~InfoFixture()
{
    // The main window leaves the tray while the fake is still there.
    unload();
    appWindows().closeSaverPreview();
    appWindows().unloadAll();
    platform::setModalWindows(nullptr);
    platform::setShell(nullptr);
    platform::setTrayIcon(nullptr);
}

} // namespace testsupport
