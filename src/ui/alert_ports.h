#pragma once
// What the alert scheduler does on Windows: Timer1's interval, the alarm
// sound and the alert message owned by the main window.

#include <string>

#include "alerts/scheduler.h"
#include "win/timer.h"
#include "win/window.h"

namespace ricordex::ui {

class AlertPortsWin final : public AlertPorts {
public:
    AlertPortsWin(win::Timer& timer, const win::Window& owner) : timer_(timer), owner_(owner) {}

    void SetInterval(unsigned milliseconds) override { timer_.SetInterval(milliseconds); }
    void SoundAlarm(const std::wstring& sound) override;
    Postpone ShowAlert(std::string_view text) override;
    bool AlertsMustWait() override;

private:
    win::Timer& timer_;
    const win::Window& owner_;
    // A sound that could not be played is reported once in a run, after the
    // alert it went with: the alert itself never waits behind the error.
    std::string soundFailure_;
    bool soundFailureReported_ = false;
};

// Plays a sound the way the program always does: asynchronously, as a
// registered sound name first, then as a file, else the system's default.
// Raises when the sound library cannot be loaded.
void PlayAlarm(const std::wstring& sound);

}  // namespace ricordex::ui
