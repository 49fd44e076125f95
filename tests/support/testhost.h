#pragma once

#include "core/appstate.h"

#include <QObject>
#include <QStringList>

namespace testsupport {

// A stand-in for the main window as the other windows' host: it owns a shared
// state, keeps the busy animation and the radio blink as flags and records
// every call back, so a window's test needs no main window.
class TestHost : public QObject, public AppHost {
public:
    AppState shared;
    bool busy = false;
    bool blinking = false;
    bool visible = true;
    QStringList calls;

    AppState& state() override { return shared; }
    QObject* hostObject() override { return this; }
    void SetTZ() override { calls << QStringLiteral("SetTZ"); }
    void startRadioBlink() override { blinking = true; }
    void StopTimer7() override { blinking = false; }
    bool busyAnimationRunning() const override { return busy; }
    void StopTimer8() override
    {
        busy = false;
        calls << QStringLiteral("StopTimer8");
    }
    void ExtOntopmain() override { calls << QStringLiteral("ExtOntopmain"); }
    void radioWindowOpen(bool open) override { calls << QStringLiteral("radioWindowOpen %1").arg(open); }
    void setNtpTooltips(const QString& text) override { calls << QStringLiteral("setNtpTooltips ") + text; }
    bool mainWindowVisible() const override { return visible; }
    void setMainWindowVisible(bool v) override { visible = v; }
};

} // namespace testsupport
