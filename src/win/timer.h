#pragma once
// A message-driven timer of a window: its ticks are WM_TIMER messages of
// that window, handled inside any nested modal loop too.

#include <windows.h>

namespace ricordex::win {

class Timer {
public:
    Timer(UINT_PTR id, unsigned interval) : id_(id), interval_(interval) {}
    ~Timer() { Stop(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Starts ticking to the window at the current interval.
    void Start(HWND window);
    void Stop();

    // The same value changes nothing; another restarts the countdown.
    void SetInterval(unsigned milliseconds);
    unsigned Interval() const { return interval_; }
    UINT_PTR Id() const { return id_; }

private:
    UINT_PTR id_;
    unsigned interval_;
    HWND window_ = nullptr;
};

}  // namespace ricordex::win
