#include "win/form.h"

#include <vector>

#include "win/application.h"

namespace ricordex::win {
namespace {
constexpr UINT_PTR kKeepOwnedWindowsInFrontTimer = 0x52C0;
}  // namespace

HWND Form::RememberedControl() const {
    if (activeControl_ != nullptr && ::IsWindow(activeControl_) && ::IsChild(Handle(), activeControl_) &&
        ::IsWindowVisible(activeControl_) && ::IsWindowEnabled(activeControl_)) {
        return activeControl_;
    }
    return ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
}

void Form::SetActiveControl(HWND control) {
    activeControl_ = control;
    if (::GetActiveWindow() == Handle()) FocusActiveControl();
}

void Form::FocusActiveControl() {
    // A hidden form may be active (the tray menu brings it forward to open):
    // its controls get no keys then. It takes the focus when shown.
    if (!::IsWindowVisible(Handle())) return;
    if (HWND control = RememberedControl()) ::SetFocus(control);
}

void Form::KeepOwnedWindowsInFront() {
    // Windows keeps a form's dialogs and boxes in front of it. Wine's
    // virtual desktop raises a clicked form on the screen above them, and
    // its own order may still have them in front, so asking for that order
    // would change nothing: each one is put behind the form, then in front
    // of everything, two real moves that the screen follows.
    std::vector<HWND> owned;
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        // Tooltips float above everything already; moved behind the form
        // they would lose that.
        if (::GetWindow(w, GW_OWNER) == Handle() && ::IsWindowVisible(w) &&
            (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
            owned.push_back(w);
        }
    }
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    for (auto w = owned.rbegin(); w != owned.rend(); ++w) {  // the back one first: the order stays
        ::SetWindowPos(*w, Handle(), 0, 0, 0, 0, kOrderOnly);
        ::SetWindowPos(*w, HWND_TOP, 0, 0, 0, 0, kOrderOnly);
    }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // Not left to the default procedure, which would focus the frame.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(Handle(), focus)) activeControl_ = focus;
        } else if (HIWORD(wParam) == 0) {  // not while minimised
            Application::Instance().FormActivated(Handle());
            // Wine raises the form a moment after the activation, telling
            // it nothing: looked at again once that is over.
            ::SetTimer(Handle(), kKeepOwnedWindowsInFrontTimer, 100, nullptr);
            FocusActiveControl();
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        // Activated before it became visible (the show itself activates).
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0 &&
            ::GetActiveWindow() == Handle()) {
            FocusActiveControl();
        }
        return Window::HandleMessage(message, wParam, lParam);
    case WM_SETFOCUS:
        FocusActiveControl();
        return 0;
    case WM_TIMER:
        if (wParam != kKeepOwnedWindowsInFrontTimer) return Window::HandleMessage(message, wParam, lParam);
        ::KillTimer(Handle(), kKeepOwnedWindowsInFrontTimer);
        KeepOwnedWindowsInFront();
        return 0;
    case WM_SYSCOMMAND: {
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        if ((wParam & 0xFFF0) == SC_MOVE) KeepOwnedWindowsInFront();
        return result;
    }
    case DM_GETDEFID:
        return DefaultButton() != 0 ? MAKELRESULT(DefaultButton(), DC_HASDEFID) : 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::win
