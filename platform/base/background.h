#pragma once

#include <QObject>
#include <QThread>

#include <memory>
#include <utility>

namespace platform {

// Work still running on its own thread when the program ends would go on
// using what the end tears down: the program waits for it first (its last
// step, once the event loop is gone). Called by runInBackground.
void keepUntilExit(QThread* thread);

// Waits for every piece of work runInBackground started that is still running.
void waitForBackgroundWork();

// Runs `work` on a thread of its own and hands its result to `done` on the
// window thread, unless `context` is gone by then. For steps too long for the
// window thread: hashing or writing a large file.
template <typename Work, typename Done>
void runInBackground(QObject* context, Work work, Done done)
{
    using Result = decltype(work());
    auto result = std::make_shared<Result>();
    QThread* thread = QThread::create([result, work = std::move(work)]() mutable { *result = work(); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, context,
                     [result, done = std::move(done)]() mutable { done(std::move(*result)); });
    keepUntilExit(thread);
    thread->start();
}

} // namespace platform
