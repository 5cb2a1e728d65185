#pragma once
// The test's own message loop: what the program's loop would do with the
// messages waiting now.

#include <windows.h>

namespace ricordex::win {

// Dispatches every message in this thread's queue; a quit asked for by a
// closed main window is dropped.
inline void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) ::DispatchMessageW(&message);
    }
}

}  // namespace ricordex::win
