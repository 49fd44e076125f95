#include "tests/support/doubles/scriptedmodalwindows.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace platform {

void ScriptedModalWindows::runModal(QWidget* window)
{
    if (!window)
        return;
    QPointer<QWidget> guard(window);
    m_shown.append(window->objectName());
    window->show();
    QCoreApplication::processEvents();
    if (!m_answers.isEmpty() && guard)
        m_answers.takeFirst()(guard);
    if (guard && guard->isVisible())
        guard->close();
}

} // namespace platform
