#include "platform/base/runningstep.h"

#include <QList>
#include <QTimer>

namespace platform {
namespace {

int g_depth = 0;
QList<std::function<void()>> g_waiting;

void runWaiting()
{
    while (g_depth == 0 && !g_waiting.isEmpty())
        g_waiting.takeFirst()();
}

} // namespace

RunningStep::RunningStep() { ++g_depth; }

RunningStep::~RunningStep()
{
    if (--g_depth == 0 && !g_waiting.isEmpty())
        QTimer::singleShot(0, [] { runWaiting(); });
}

bool stepRunning() { return g_depth > 0; }

void whenNoStepRunning(std::function<void()> action)
{
    if (g_depth == 0) {
        action();
        return;
    }
    g_waiting.append(std::move(action));
}

} // namespace platform
