#include "platform/base/program.h"

#include <QApplication>
#include <QCursor>

#include <cstdlib>
#include <vector>

namespace platform {
namespace {

std::function<void(int)> g_endHandler;

std::vector<std::function<void()>>& endHooks()
{
    static std::vector<std::function<void()>> hooks;
    return hooks;
}
int g_cursorCount = 0;

} // namespace

void atProgramEnd(std::function<void()> beforeEnd) { endHooks().push_back(std::move(beforeEnd)); }

void endProgram(int exitCode)
{
    for (const auto& hook : endHooks())
        hook();
    if (g_endHandler) {
        g_endHandler(exitCode);
        return;
    }
    // Like the runtime's End: nothing else runs, no window gets another event.
    // Everything the program stores is on disk when its write call returns.
    std::_Exit(exitCode);
}

void setEndProgramHandler(std::function<void(int)> handler) { g_endHandler = std::move(handler); }

int ShowCursor(bool show)
{
    const bool wasHidden = g_cursorCount < 0;
    g_cursorCount += show ? 1 : -1;
    const bool hidden = g_cursorCount < 0;
    if (hidden && !wasHidden)
        QApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else if (!hidden && wasHidden)
        QApplication::restoreOverrideCursor();
    return g_cursorCount;
}

} // namespace platform
