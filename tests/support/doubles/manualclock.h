#pragma once

#include "platform/base/clock.h"

#include <QList>

namespace platform {

// A clock that stands still until told to move. Moving it fires every timer
// that falls due on the way, in time order, with now() set to each due moment.
class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime& start);
    ~ManualClock() override;

    QDateTime now() const override;
    // Moves with advance() and advanceTo(), not with setNow().
    qint64 monotonicMs() const override { return m_now - m_monotonicOffset; }
    void schedule(Timer* timer) override;
    void cancel(Timer* timer) override;

    // Moves the clock forward by ms, firing due timers on the way.
    void advance(qint64 ms);
    void advanceTo(const QDateTime& when);
    // Jumps to another moment without firing anything (like the user changing
    // the computer's clock); running timers keep their remaining time.
    void setNow(const QDateTime& when);

    int scheduledCount() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry {
        Timer* timer;
        qint64 due;
        quint64 order;
    };
    int indexOf(const Timer* timer) const;

    qint64 m_now;
    qint64 m_monotonicOffset;
    quint64 m_nextOrder = 0;
    QList<Entry> m_entries;
};

} // namespace platform
