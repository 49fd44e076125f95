#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractButton;
class QAction;
class QWidget;

namespace platform {

// The keyboard of a program window, as on any desktop dialog:
// - Escape presses the window's Cancel button when it has one that can be
//   pressed now, and otherwise does what the window's close box does;
// - Return (or Enter, also with Ctrl from a multi-line field) presses the
//   focused push button, else the window's default button when it can be
//   pressed now; a default may belong to one field only (Return in a name
//   field adds the name).
// Only keys that the focused control leaves alone reach it: Return still
// breaks a line in a message box, Escape still closes an open list.
class DialogKeys : public QObject {
public:
    // Installs the keys on `window`; the object lives as long as the window.
    static DialogKeys* install(QWidget* window);

    DialogKeys* setCancel(QAbstractButton* button);
    DialogKeys* setCancel(QAction* action);
    // `field`: only Return typed in this field presses it; nullptr for the whole window.
    DialogKeys* setDefault(QAbstractButton* button, QWidget* field = nullptr);
    DialogKeys* setDefault(QAction* action, QWidget* field = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A button or a menu/tool bar item.
    struct Target {
        QPointer<QAbstractButton> button;
        QPointer<QAction> action;
        QPointer<QWidget> field;
        bool fieldOnly = false;
        bool canPress() const;
        void press() const;
    };

    explicit DialogKeys(QWidget* window);
    bool escape();
    bool enter();

    QWidget* m_window;
    Target m_cancel;
    QList<Target> m_defaults;
};

} // namespace platform
