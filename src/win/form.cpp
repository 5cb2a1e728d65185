#include "win/form.h"

#include <vector>

#include "win/application.h"
#include "win/controls.h"

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

namespace {

// Owned by the form, directly or through another of its windows.
bool OwnedBy(HWND window, HWND form) {
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == form) return true;
    }
    return false;
}

}  // namespace

void Form::KeepOwnedWindowsInFront() {
    // Windows keeps a form's dialogs and boxes in front of it. Wine's virtual
    // desktop can show a clicked form above them; moved to the top again,
    // the back one first so that their order stays, they come back in front
    // on the screen (Wine keeps an owned window above its owner, so the move
    // behind the form only makes sure the one to the top is a real move).
    // Windows that float above everything (tooltips, the alert) are left
    // alone: put behind the form they would stop floating.
    if (!RunningOnWine() || !::IsWindowVisible(Handle()) || ::GetForegroundWindow() != Handle()) return;
    std::vector<HWND> owned;
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        const bool floats = (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if (OwnedBy(w, Handle()) && ::IsWindowVisible(w) && !floats) {
            owned.push_back(w);
        }
    }
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (auto w = owned.rbegin(); w != owned.rend(); ++w) {
        ::SetWindowPos(*w, Handle(), 0, 0, 0, 0, kOrderOnly | SWP_NOOWNERZORDER);
        ::SetWindowPos(*w, HWND_TOP, 0, 0, 0, 0, kOrderOnly);
    }
}

void Form::ColoursChanged(UINT message) {
    // Only top-level windows hear of it from the system: the common
    // controls (the list, its header, the calendar, the pickers) keep their
    // old colours until told.
    if (message == WM_SYSCOLORCHANGE) {
        for (HWND child = ::GetWindow(Handle(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ::SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
        }
    }
    OnColoursChanged();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Form::FitWindowToClient(const POINT* at) {
    RECT window{}, client{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    const UINT dpi = WindowDpi(Handle());
    RECT r{0, 0, Scale(clientAt96_.cx, dpi), Scale(clientAt96_.cy, dpi)};
    // The frame at the window's scale. Windows scales it when the window
    // moves to a monitor of another scale, but only after telling it; Wine
    // keeps the system's: there the frame drawn now is the one that counts.
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE));
    if (RunningOnWine() || adjustForDpi == nullptr || !adjustForDpi(&r, style, FALSE, exStyle, dpi)) {
        r.right += (window.right - window.left) - client.right;
        r.bottom += (window.bottom - window.top) - client.bottom;
    }
    const POINT corner = at != nullptr ? *at : POINT{window.left, window.top};
    ::SetWindowPos(Handle(), nullptr, corner.x, corner.y, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale: the layout is made again
        // for it, and the window goes where the system suggests, at the size
        // its client area takes there (larger than the suggestion only
        // where a caption or the calendar needed room).
        SetFormDpi(Handle(), LOWORD(wParam));
        OnDpiChanged();
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        const POINT at{suggested->left, suggested->top};
        FitWindowToClient(&at);
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    }
    case WM_ACTIVATE:
        // Not left to the default procedure, which would focus the frame.
        if (LOWORD(wParam) == WA_INACTIVE) {
            ::KillTimer(Handle(), kKeepOwnedWindowsInFrontTimer);
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(Handle(), focus)) activeControl_ = focus;
        } else if (HIWORD(wParam) == 0) {  // not while minimised
            Application::Instance().FormActivated(Handle());
            // Wine raises the form on the screen a moment after the
            // activation, telling it nothing: looked at once that is over.
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
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        ColoursChanged(message);
        return Window::HandleMessage(message, wParam, lParam);
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) ColoursChanged(WM_SYSCOLORCHANGE);
        return Window::HandleMessage(message, wParam, lParam);
    case WM_DESTROY:
        Application::Instance().RemoveForm(Handle());
        return Window::HandleMessage(message, wParam, lParam);
    case WM_NEXTDLGCTL: {
        // How the dialog manager moves the focus, a label's underlined
        // letter included: to the control given, or to the next (previous)
        // one in tab order. A form is no dialog, so it is done here.
        HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                          : ::GetNextDlgTabItem(Handle(), ::GetFocus(), wParam != 0);
        if (target == nullptr) return 0;
        ::SetFocus(target);
        if ((::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
            ::SendMessageW(target, EM_SETSEL, 0, -1);
        }
        return 0;
    }
    case DM_GETDEFID:
        return DefaultButton() != 0 ? MAKELRESULT(DefaultButton(), DC_HASDEFID) : 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::win
