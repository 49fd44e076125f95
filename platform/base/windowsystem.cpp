#include "platform/base/windowsystem.h"

#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

// Uses the window manager's "keep above" state (_NET_WM_STATE_ABOVE on X11),
// set on the existing native window: QWidget::setWindowFlags would destroy and
// re-create it, which hides it, loses the keyboard focus and drops the next
// shortcut. The widget's own record of its flags is updated without telling the
// window system, and the window handle is told, which changes the state of the
// mapped window in place. Desktops that refuse "keep above" (many Wayland
// compositors) simply ignore it.
class QtWindowSystem : public WindowSystem {
public:
    void placeAndShow(QWidget* window, ZOrder order) override
    {
        if (!window)
            return;
        const bool wasAbove = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        setKeepAbove(window, order == ZOrder::TopMost || (order == ZOrder::Top && wasAbove));
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        if (order == ZOrder::Top)
            window->raise();
        window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
};

QtWindowSystem g_qtWindowSystem;
WindowSystem* g_windowSystem = &g_qtWindowSystem;

} // namespace

void setKeepAbove(QWidget* window, bool above)
{
    if (!window)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, above);
    if (flags != window->windowFlags())
        window->overrideWindowFlags(flags);
    QWindow* handle = window->windowHandle();
    if (handle && handle->flags() != flags)
        handle->setFlags(flags);
}

void renewKeepAbove(QWidget* window)
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!handle || !handle->flags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    const Qt::WindowFlags flags = handle->flags();
    handle->setFlags(flags & ~Qt::WindowStaysOnTopHint);
    handle->setFlags(flags);
}

WindowSystem& windowSystem() { return *g_windowSystem; }

void setWindowSystem(WindowSystem* ws) { g_windowSystem = ws ? ws : &g_qtWindowSystem; }

} // namespace platform
