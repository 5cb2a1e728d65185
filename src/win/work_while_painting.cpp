#include "win/work_while_painting.h"

#include <windows.h>

#include <exception>
#include <thread>
#include <utility>

#include "win/unique_handle.h"

namespace ricordex::win {

void RunWhilePainting(const std::function<void()>& work) {
    const UniqueKernelObject done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        work();  // no event to wait on: the work waits here
        return;
    }
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ::SetEvent(done.get());
    });
    const HANDLE waited = done.get();
    // Work that takes a moment shows the hourglass until it ends: the
    // clicks and keys meanwhile wait. The pointer the user had comes back
    // after it (and any move sets its own again).
    struct Hourglass {
        HCURSOR before = nullptr;
        bool shown = false;
        void Show() {
            if (!std::exchange(shown, true)) before = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        }
        ~Hourglass() {
            // None before (the pointer was never over this program's windows): the arrow, never none.
            if (shown) ::SetCursor(before != nullptr ? before : ::LoadCursorW(nullptr, IDC_ARROW));
        }
    } hourglass;
    // Woken by a paint or a sent message, and every so often all the same:
    // a look at the queue is what tells Windows the program still responds.
    const ULONGLONG start = ::GetTickCount64();
    while (::MsgWaitForMultipleObjectsEx(1, &waited, 200, QS_PAINT | QS_SENDMESSAGE, 0) != WAIT_OBJECT_0) {
        if (::GetTickCount64() - start >= 200) hourglass.Show();
        // A window that does not validate itself would paint forever: a
        // round of paints at a time.
        MSG message;
        for (int paints = 0; paints < 64 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT);
             ++paints) {
            if (message.message == WM_PAINT) ::DispatchMessageW(&message);
        }
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace ricordex::win
