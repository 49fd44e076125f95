#pragma once

#include <functional>

namespace platform {

// Ends the program at once: no further events, nothing more is stored.
void endProgram(int exitCode = 0);

// Runs `beforeEnd` when the program is ended by endProgram (for example to
// write what is still waiting to be stored), before anything else ends.
void atProgramEnd(std::function<void()> beforeEnd);

// Tests replace the ending with one that records it; an empty function
// restores the real one.
void setEndProgramHandler(std::function<void(int)> handler);

// The display counter of the mouse cursor: hidden while below zero. Returns the
// new count, like the window system's call of the same purpose.
int ShowCursor(bool show);

} // namespace platform
