#include "platform/base/clocksetter.h"

namespace platform {
namespace {

class NoClockSetter : public ClockSetter {
public:
    void setTime(qint64, bool, QObject*, Done done) override { done(ClockSetResult::NoService); }
};

NoClockSetter g_noSetter;
ClockSetter* g_setter = &g_noSetter;
RealClockGuard g_guard;

} // namespace

QString clockSetFailureText(ClockSetResult result)
{
    switch (result) {
    case ClockSetResult::Set: return {};
    case ClockSetResult::AutomaticSyncOn: return QStringLiteral("Clock not set: automatic time synchronisation is on");
    case ClockSetResult::NotAuthorised: return QStringLiteral("Clock not set: not allowed to set the system clock");
    case ClockSetResult::NoService: return QStringLiteral("Clock not set: no time service on this computer");
    case ClockSetResult::Failed: break;
    }
    return QStringLiteral("Clock not set: the system could not set the clock");
}

ClockSetter& clockSetter() { return *g_setter; }

void setClockSetter(ClockSetter* setter) { g_setter = setter ? setter : &g_noSetter; }

void setRealClockGuard(RealClockGuard guard) { g_guard = std::move(guard); }

bool realClockPermitted(const QString& busAddress) { return !g_guard || g_guard(busAddress); }

} // namespace platform
