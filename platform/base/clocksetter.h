#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <utility>

namespace platform {

// What became of a request to set the computer's clock.
enum class ClockSetResult {
    Set,             // the clock now shows the time asked for
    AutomaticSyncOn, // refused: the system keeps the clock itself (NTP is on)
    NotAuthorised,   // refused: the user may not set the clock (or declined to authenticate)
    NoService,       // nothing here can set the clock (no system bus, no time service)
    Failed,          // any other failure, a missing answer included
};

// A short text for the user saying why the clock was not set ("" for Set).
QString clockSetFailureText(ClockSetResult result);

// The operating system's service that sets the computer's clock.
class ClockSetter {
public:
    using Done = std::function<void(ClockSetResult)>;
    virtual ~ClockSetter() = default;

    // Asks to set the clock to `usecUtc` microseconds since 1970-01-01 00:00 UTC.
    // With `interactive` the system may ask the user to authenticate (only when
    // the user asked for the change; never for an unattended run). `done` gets
    // the result exactly once, during this call or later from the event loop;
    // it is dropped when `context` is destroyed before the answer comes.
    virtual void setTime(qint64 usecUtc, bool interactive, QObject* context, Done done) = 0;
};

// The setter in use. Until setClockSetter is called this one answers
// NoService to every request: only the program's main installs a real one.
ClockSetter& clockSetter();
// Replaces the setter; nullptr restores the one that answers NoService.
void setClockSetter(ClockSetter* setter);

// The last line of defence around the real setter. The real setter asks the
// guard before it sends anything, naming the bus it is about to use; a guard
// that answers false stops the request (it is reported as Failed). The test
// environment installs one that fails the test unless the bus is a private
// one of the test's own.
using RealClockGuard = std::function<bool(const QString& busAddress)>;
void setRealClockGuard(RealClockGuard guard);
bool realClockPermitted(const QString& busAddress);

} // namespace platform
