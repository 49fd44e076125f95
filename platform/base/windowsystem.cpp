#include "platform/base/windowsystem.h"

#include <QWidget>

namespace platform {
namespace {

// Uses the window manager's "keep above" state. Changing it makes Qt re-create
// the native window, which hides it: it is shown again without taking the focus,
// and Qt puts it back where it was. Desktops that refuse "keep above" (many
// Wayland compositors) simply ignore the hint.
class QtWindowSystem : public WindowSystem {
public:
    void placeAndShow(QWidget* window, ZOrder order) override
    {
        if (!window)
            return;
        const bool wasAbove = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        const bool above = order == ZOrder::TopMost || (order == ZOrder::Top && wasAbove);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        if (above != wasAbove) {
            const QPoint pos = window->pos();
            window->setWindowFlag(Qt::WindowStaysOnTopHint, above);
            window->move(pos);
        }
        window->show();
        if (order == ZOrder::Top)
            window->raise();
        window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
};

QtWindowSystem g_qtWindowSystem;
WindowSystem* g_windowSystem = &g_qtWindowSystem;

} // namespace

WindowSystem& windowSystem() { return *g_windowSystem; }

void setWindowSystem(WindowSystem* ws) { g_windowSystem = ws ? ws : &g_qtWindowSystem; }

void RecordingWindowSystem::placeAndShow(QWidget* window, ZOrder order)
{
    m_calls.append({window, order});
    if (window)
        window->show();
}

} // namespace platform
