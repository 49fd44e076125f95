#pragma once

#include <QSize>

#include <optional>

class QWidget;

// Windows of other programs on the X11 desktop that one of ours draws into
// (the screensaver daemon's window, the preview of its settings tool). Qt's
// foreign windows report no size, so the size is asked of the X server.
namespace platform {

// A window id as the screensaver daemon passes it: "0x2a00007" (hex) or
// decimal. Nothing for text that is not one, and for 0.
std::optional<quint32> parseWindowId(const QString& text);

// The window's current size; nothing when it no longer exists or the program
// does not run on X11.
std::optional<QSize> foreignWindowSize(quint32 windowId);

// Makes widget a native child of the foreign window, at its top left, shown.
// False when the program does not run on X11.
bool embedIntoForeignWindow(QWidget* widget, quint32 windowId);

} // namespace platform
