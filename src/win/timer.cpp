#include "win/timer.h"

namespace ricordex::win {

void Timer::Start(HWND window) {
    window_ = window;
    ::SetTimer(window_, id_, interval_, nullptr);
}

void Timer::Stop() {
    if (window_ != nullptr) ::KillTimer(window_, id_);
    window_ = nullptr;
}

void Timer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    // Setting a timer again under its id restarts its countdown.
    if (window_ != nullptr) ::SetTimer(window_, id_, interval_, nullptr);
}

}  // namespace ricordex::win
