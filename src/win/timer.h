#pragma once
// A message-driven timer: its ticks are WM_TIMER messages of the window it
// is bound to, so they are handled inside any nested modal loop too.

#include <windows.h>

namespace ricordex::win {

class Timer {
public:
    Timer(UINT_PTR id, unsigned interval) : id_(id), interval_(interval) {}
    ~Timer() { Kill(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // The window whose WM_TIMER messages, with this timer's id, are its ticks.
    void Bind(HWND window);
    UINT_PTR Id() const { return id_; }

    // Enabling an enabled timer does not restart its period.
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // The same value changes nothing; another restarts the countdown.
    // An interval of 0 never fires.
    void SetInterval(unsigned milliseconds);
    unsigned Interval() const { return interval_; }

private:
    void Arm();
    void Kill();

    UINT_PTR id_;
    unsigned interval_;
    bool enabled_ = false;
    HWND window_ = nullptr;
};

}  // namespace ricordex::win
