#pragma once

#include <QDateTime>

namespace platform {

class Timer;

// The one source of "now" for the whole program. It also runs every
// platform::Timer, so a test that swaps in a ManualClock drives the timers too.
class Clock {
public:
    virtual ~Clock() = default;

    // The current local date and time.
    virtual QDateTime now() const = 0;
    // Milliseconds on a clock that only runs forward at a steady pace, whatever
    // happens to the date and time (the user or a time server setting them).
    // Only differences between two readings mean anything.
    virtual qint64 monotonicMs() const = 0;

    // Called by Timer: start counting the timer's interval from now.
    virtual void schedule(Timer* timer) = 0;
    // Called by Timer: stop counting; the timer does not fire until scheduled again.
    virtual void cancel(Timer* timer) = 0;
};

// The clock in use. Until setClock is called this is the system clock.
Clock& clock();
// Replaces the clock for timers scheduled from now on; nullptr restores the system clock.
void setClock(Clock* clock);

// clock().monotonicMs(): for measuring how long something took.
qint64 monotonicMs();

// Seconds since midnight of clock().now(), with the milliseconds as a fraction.
double secondsSinceMidnight();

// Lets pending window events run (the place where a long step yields).
void doEvents();

} // namespace platform
