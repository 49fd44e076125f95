#pragma once

#include <functional>

namespace platform {

// Marks a step that lets window events run before it ends (a box, a modal
// window, a wait for another program, the tick's yield). Commands that unload
// windows wait for the last such step to end, so no window is taken away from
// under a step that is still on its way.
class RunningStep {
public:
    RunningStep();
    ~RunningStep();
    RunningStep(const RunningStep&) = delete;
    RunningStep& operator=(const RunningStep&) = delete;
};

bool stepRunning();
// Runs `action` now when no step is running, else from the event loop once the last one has ended.
void whenNoStepRunning(std::function<void()> action);

} // namespace platform
