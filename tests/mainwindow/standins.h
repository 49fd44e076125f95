#pragma once

#include "platform/base/dialogs.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/base/windowsystem.h"
#include "platform/media/sound.h"
#include "tests/support/doubles/recordingsoundplayer.h"
#include "tests/support/doubles/recordingwindowsystem.h"
#include "tests/support/doubles/scripteddialogs.h"

namespace testsupport {

// The stand-ins a window needs to run without a user: a manual clock, scripted
// boxes, a recording sound player and window system, installed while it lives.
class StandIns {
public:
    explicit StandIns(const QDateTime& start) : clock(start)
    {
        platform::setClock(&clock);
        platform::setDialogs(&dialogs);
        platform::setSoundPlayer(&sound);
        platform::setWindowSystem(&windows);
    }
    ~StandIns()
    {
        platform::setWindowSystem(nullptr);
        platform::setSoundPlayer(nullptr);
        platform::setDialogs(nullptr);
        platform::setClock(nullptr);
    }
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

    platform::ManualClock clock;
    platform::ScriptedDialogs dialogs;
    platform::RecordingSoundPlayer sound;
    platform::RecordingWindowSystem windows;
};

} // namespace testsupport
