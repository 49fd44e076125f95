#include "core/sysmod.h"

#include "platform/base/clock.h"
#include "platform/base/windowsystem.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

void SetOnTop(QWidget* hWnd, int mode)
{
    platform::doEvents();
    platform::ZOrder order = platform::ZOrder::Top;
    if (mode == -1)
        order = platform::ZOrder::TopMost;
    else if (mode == 0)
        order = platform::ZOrder::NotTopMost;
    platform::windowSystem().placeAndShow(hWnd, order);
    platform::doEvents();
}

AboveMainWindow::AboveMainWindow(QWidget* main, std::function<bool()> onTop)
    : QObject(main), m_main(main), m_onTop(std::move(onTop))
{
    qApp->installEventFilter(this);
}

AboveMainWindow::~AboveMainWindow() { qApp->removeEventFilter(this); }

bool AboveMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    const Qt::WindowType type = window->windowType();
    if (window == m_main || !window->isWindow() || (type != Qt::Window && type != Qt::Dialog)
        || window->testAttribute(Qt::WA_X11NetWmWindowTypeDock)
        || window->windowFlags().testFlag(Qt::BypassWindowManagerHint))
        return false;
    QWindow* handle = window->windowHandle();
    QWindow* main = m_main->windowHandle();
    if (handle && main && handle != main && !handle->transientParent())
        handle->setTransientParent(main);
    const bool above = m_onTop();
    platform::setKeepAbove(window, above);
    if (above)
        platform::renewKeepAbove(window);
    return false;
}
