#pragma once

#include <QList>
#include <QPointer>

class QWidget;

namespace platform {

// Where a window goes in the desktop's stacking order.
enum class ZOrder { TopMost = -1, NotTopMost = -2, Top = 0 };

// The window system's stacking call: put a window into or out of the top-most
// layer without moving, resizing or activating it, and show it.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    virtual void placeAndShow(QWidget* window, ZOrder order) = 0;
};

// Changes the window manager's "keep above" state of the window as it is,
// without re-creating its native window (which setWindowFlags would do).
void setKeepAbove(QWidget* window, bool above);
// Tells the window system again that a window keeps above. Qt can give a
// window that was hidden a new native window, which does not carry the state
// until the flag changes: call this at every show.
void renewKeepAbove(QWidget* window);

WindowSystem& windowSystem();
// Replaces the window system; nullptr restores the real one.
void setWindowSystem(WindowSystem* ws);

} // namespace platform
