#include "platform/base/modal.h"

#include "platform/base/runningstep.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace platform {
namespace {

// Ends a nested event loop when the watched window is hidden or destroyed.
// A window that is hidden and shown again at once (the window system re-creates
// it to change its stacking) is still running.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* window, QEventLoop* loop) : m_window(window), m_loop(loop)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Destroy)
            m_loop->quit();
        else if (event->type() == QEvent::Hide)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!m_window || !m_window->isVisible())
                        m_loop->quit();
                },
                Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_window;
    QEventLoop* m_loop;
};

class QtModalWindows : public ModalWindows {
public:
    void runModal(QWidget* window) override
    {
        if (!window)
            return;
        QPointer<QWidget> guard(window);
        const Qt::WindowModality before = window->windowModality();
        window->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        HideWatcher watcher(window, &loop);
        const RunningStep step;
        window->show();
        if (window->isVisible())
            loop.exec(QEventLoop::DialogExec);
        if (guard)
            guard->setWindowModality(before);
    }
};

QtModalWindows g_qtModal;
ModalWindows* g_modal = &g_qtModal;

} // namespace

ModalWindows& modalWindows() { return *g_modal; }

void setModalWindows(ModalWindows* m) { g_modal = m ? m : &g_qtModal; }

} // namespace platform
