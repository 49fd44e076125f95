#include "tests/support/doubles/recordingclocksetter.h"

#include <utility>

namespace platform {

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

} // namespace platform
