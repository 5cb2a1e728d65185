#include "win/form.h"

#include "win/application.h"

namespace ricordex::win {

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

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // Not left to the default procedure, which would focus the frame.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(Handle(), focus)) activeControl_ = focus;
        } else if (HIWORD(wParam) == 0) {  // not while minimised
            Application::Instance().FormActivated(Handle());
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
    case DM_GETDEFID:
        return DefaultButton() != 0 ? MAKELRESULT(DefaultButton(), DC_HASDEFID) : 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::win
