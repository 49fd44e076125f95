#include "tests/info/infofixture.h"

#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>

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

void attachStandIns(Form1* main, WindowRadio& radio, WindowTimeServer& timeServer)
{
    radio.setObjectName(QStringLiteral("Radio"));
    main->setRadio(&radio);
    timeServer.setObjectName(QStringLiteral("frmNTP"));
    main->setTimeServer(&timeServer);
}

QList<QAction*> commandsOf(QMenu* menu)
{
    QList<QAction*> found;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            found += commandsOf(action->menu());
        else if (!action->isSeparator())
            found << action;
    }
    return found;
}

DialogCloser::DialogCloser()
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++closed;
            dialog->reject();
        }
    });
    m_timer.start(20);
}

} // namespace testsupport
