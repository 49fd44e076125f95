#pragma once

#include "platform/base/clocksetter.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>

namespace platform {

// For tests: records each request and answers it, at once with the chosen
// result, or later when the test says so.
class RecordingClockSetter : public ClockSetter {
public:
    struct Request {
        qint64 usecUtc = 0;
        bool interactive = false;
    };

    void setTime(qint64 usecUtc, bool interactive, QObject* context, Done done) override;

    // The result given to the following requests (Set at first).
    void setAnswer(ClockSetResult result) { m_answer = result; }
    // Holds the answers back until answerPending() is called.
    void setDeferred(bool deferred) { m_deferred = deferred; }
    // Answers the held-back requests; returns how many were still wanted.
    int answerPending(ClockSetResult result);

    const QList<Request>& requests() const { return m_requests; }
    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    void clear();

private:
    struct Pending {
        QPointer<QObject> context;
        Done done;
    };
    ClockSetResult m_answer = ClockSetResult::Set;
    bool m_deferred = false;
    QList<Request> m_requests;
    QList<Pending> m_pending;
};

} // namespace platform
