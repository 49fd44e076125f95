#include "platform/base/background.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>

#include <vector>

namespace platform {
namespace {

// Work hangs only when something it waits on does: the end is not held up
// for longer than this.
constexpr int kLongestWaitAtExitMs = 10000;

std::vector<QPointer<QThread>>& runningThreads()
{
    static std::vector<QPointer<QThread>> threads;
    return threads;
}

} // namespace

void keepUntilExit(QThread* thread)
{
    // The application's end runs and forgets its routines: each application gets it once.
    static QCoreApplication* waitsAtItsEnd = nullptr;
    if (QCoreApplication::instance() != waitsAtItsEnd) {
        waitsAtItsEnd = QCoreApplication::instance();
        qAddPostRoutine(waitForBackgroundWork);
    }
    auto& threads = runningThreads();
    std::erase_if(threads, [](const QPointer<QThread>& t) { return t.isNull() || t->isFinished(); });
    threads.emplace_back(thread);
}

void waitForBackgroundWork()
{
    const QDeadlineTimer deadline(kLongestWaitAtExitMs);
    auto& threads = runningThreads();
    for (const QPointer<QThread>& thread : threads)
        if (thread && thread->wait(deadline))
            delete thread.data(); // its own deleteLater needs an event loop, which may be gone
    threads.clear();
}

} // namespace platform
