#include "win/timer.h"

namespace ricordex::win {

void Timer::Bind(HWND window) {
    Kill();
    window_ = window;
    if (enabled_) Arm();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        Arm();
    } else {
        Kill();
    }
}

void Timer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    if (enabled_) Arm();
}

void Timer::Arm() {
    // Setting a timer again under its id restarts its countdown.
    if (window_ == nullptr) return;
    if (interval_ == 0) {
        Kill();
        return;
    }
    ::SetTimer(window_, id_, interval_, nullptr);
}

void Timer::Kill() {
    if (window_ != nullptr) ::KillTimer(window_, id_);
}

}  // namespace ricordex::win
