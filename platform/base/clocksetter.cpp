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
    case ClockSetResult::Set:
        return {};
    case ClockSetResult::AutomaticSyncOn:
        return QStringLiteral("Clock not set: automatic time synchronisation is on");
    case ClockSetResult::NotAuthorised:
        return QStringLiteral("Clock not set: not allowed to set the system clock");
    case ClockSetResult::NoService:
        return QStringLiteral("Clock not set: no time service on this computer");
    case ClockSetResult::Failed:
        break;
    }
    return QStringLiteral("Clock not set: the system could not set the clock");
}

ClockSetter& clockSetter() { return *g_setter; }

void setClockSetter(ClockSetter* setter) { g_setter = setter ? setter : &g_noSetter; }

void RecordingClockSetter::setTime(qint64 usecUtc, bool interactive, QObject* context, Done done)
{
    m_requests.append({usecUtc, interactive});
    if (m_deferred) {
        m_pending.append({QPointer<QObject>(context), std::move(done)});
        return;
    }
    done(m_answer);
}

int RecordingClockSetter::answerPending(ClockSetResult result)
{
    const QList<Pending> pending = std::exchange(m_pending, {});
    int wanted = 0;
    for (const Pending& p : pending) {
        if (!p.context)
            continue;
        ++wanted;
        p.done(result);
    }
    return wanted;
}

void RecordingClockSetter::clear()
{
    m_requests.clear();
    m_pending.clear();
    m_answer = ClockSetResult::Set;
    m_deferred = false;
}

void setRealClockGuard(RealClockGuard guard) { g_guard = std::move(guard); }

bool realClockPermitted(const QString& busAddress) { return !g_guard || g_guard(busAddress); }

} // namespace platform
