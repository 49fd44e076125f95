#pragma once

class QWidget;

// Puts a window into (mode True, -1) or out of (False, 0) the top-most layer, or
// to the top of its layer (any other mode), without moving, resizing or
// activating it; the window is shown.
void SetOnTop(QWidget* hWnd, int mode);
