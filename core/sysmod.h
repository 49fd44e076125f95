#pragma once

class QWidget;

// Puts a window into (mode True, -1) or out of (False, 0) the top-most layer, or
// to the top of its layer (any other mode), without moving, resizing or
// activating it; the window is shown.
void SetOnTop(QWidget* hWnd, int mode);

#include <QObject>

#include <functional>

// Keeps the program's other windows above its main window. Each window that
// comes up without an owner window of its own is made transient for the main
// window (rather than for Qt's hidden owner, which the window manager stacks
// under an always-on-top clock) and takes the main window's always-on-top
// state, so dialogs of every part, and the dialogs those open, stand above
// the clock.
class AboveMainWindow : public QObject {
public:
    AboveMainWindow(QWidget* main, std::function<bool()> onTop);
    ~AboveMainWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_main;
    std::function<bool()> m_onTop;
};
