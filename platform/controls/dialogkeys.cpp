#include "platform/controls/dialogkeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace platform {

DialogKeys* DialogKeys::install(QWidget* window) { return new DialogKeys(window); }

DialogKeys::DialogKeys(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

DialogKeys* DialogKeys::setCancel(QAbstractButton* button)
{
    m_cancel = Target{button, nullptr, nullptr, false};
    return this;
}

DialogKeys* DialogKeys::setCancel(QAction* action)
{
    m_cancel = Target{nullptr, action, nullptr, false};
    return this;
}

DialogKeys* DialogKeys::setDefault(QAbstractButton* button, QWidget* field)
{
    m_defaults.append(Target{button, nullptr, field, field != nullptr});
    return this;
}

DialogKeys* DialogKeys::setDefault(QAction* action, QWidget* field)
{
    m_defaults.append(Target{nullptr, action, field, field != nullptr});
    return this;
}

bool DialogKeys::Target::canPress() const
{
    if (button)
        return button->isVisible() && button->isEnabled();
    return action && action->isVisible() && action->isEnabled();
}

void DialogKeys::Target::press() const
{
    if (button)
        button->click();
    else if (action)
        action->trigger();
}

bool DialogKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier)
        return escape();
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && (mods == Qt::NoModifier || mods == Qt::ControlModifier))
        return enter();
    return QObject::eventFilter(watched, event);
}

bool DialogKeys::escape()
{
    if (m_cancel.canPress())
        m_cancel.press();
    else
        m_window->close();
    return true;
}

bool DialogKeys::enter()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focus);
        button && button->window() == m_window && button->isEnabled()) {
        button->click();
        return true;
    }
    for (const Target& target : std::as_const(m_defaults)) {
        if (target.fieldOnly && (!target.field || focus != target.field))
            continue;
        if (target.canPress()) {
            target.press();
            return true;
        }
    }
    return false;
}

} // namespace platform
