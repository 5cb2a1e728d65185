// The tray icon's second half: the hooks on the application window and on
// the owner's window, and the program's life in the tray with no taskbar
// button.

#include "tray/tray_icon.h"

#include "win/application.h"

namespace ricordex::tray {

// The application window first, then the owner's; removed in the same order.
void TTrayIcon::HookWindows() {
    applicationHook_.Install(win::Application::Instance().Handle(),
                             [this](UINT message, WPARAM wParam, LPARAM lParam) {
                                 ApplicationWindowProc(message, wParam, lParam);
                             });
    if (ownerWindow_ != nullptr) {
        ownerHook_.Install(ownerWindow_, [this](UINT message, WPARAM wParam, LPARAM lParam) {
            OwnerWindowProc(message, wParam, lParam);
        });
    }
}

void TTrayIcon::UnhookWindows() {
    applicationHook_.Remove();
    ownerHook_.Remove();
}

void TTrayIcon::ApplicationWindowProc(UINT message, WPARAM wParam, LPARAM) {
    win::Application& application = win::Application::Instance();
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && minimizeToTray_) SendToTray();
    if (message == WM_WINDOWPOSCHANGED && awaitingFirstPosChange_ && application.MainForm() != nullptr) {
        // Only a multi-document frame would need hiding again here; this
        // program's main form is an ordinary one.
        awaitingFirstPosChange_ = false;
    }
    if (message == TaskbarCreatedMessage() && iconVisible_) AddTrayIcon();
}

void TTrayIcon::OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE) {
        const WORD state = LOWORD(wParam);
        if (state == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(ownerWindow_, focus)) focusedControl_ = focus;
        } else if (focusedControl_ != nullptr && ::IsWindow(focusedControl_) && ::IsWindowVisible(focusedControl_) &&
                   ::IsWindowEnabled(focusedControl_)) {
            // IsWindowVisible is false for the control of a hidden owner:
            // the owner may be activated while hidden (to open the tray
            // menu), and then no key must reach its controls.
            HWND parent = ::GetParent(focusedControl_);
            if (parent == nullptr) parent = focusedControl_;
            if (parent != reinterpret_cast<HWND>(lParam)) ::SetFocus(focusedControl_);
        }
    }
    if (message == WM_SHOWWINDOW && wParam == TRUE && lParam == 0) {
        HWND application = win::Application::Instance().Handle();
        ::ShowWindow(application, SW_RESTORE);
        ::SetForegroundWindow(application);
        ::SetForegroundWindow(win::FrontWindowOf(ownerWindow_));
    }
}

void TTrayIcon::SendToTray() {
    HideMainWindow();
    SetIconVisible(true);  // refused by the shell when the icon is there already
}

void TTrayIcon::StartMinimizedIfAsked() {
    if (ownerWindow_ != nullptr && startMinimized_) {
        win::Application& application = win::Application::Instance();
        application.SetShowMainForm(false);
        ::ShowWindow(application.Handle(), SW_HIDE);
    }
}

void TTrayIcon::ShowMainWindow() {
    win::Application& application = win::Application::Instance();
    HWND mainForm = application.MainForm();
    if (ownerWindow_ == nullptr || mainForm == nullptr) return;
    ::ShowWindow(application.Handle(), SW_RESTORE);
    ::ShowWindow(mainForm, SW_SHOW);
    if (::IsIconic(mainForm)) ::ShowWindow(mainForm, SW_RESTORE);
    // The window the user was in takes the keys: a dialog, or the box that
    // keeps the window waiting.
    if (HWND target = application.ActivationTarget()) ::SetForegroundWindow(target);
}

void TTrayIcon::HideMainWindow() {
    win::Application& application = win::Application::Instance();
    HWND mainForm = application.MainForm();
    if (ownerWindow_ == nullptr || mainForm == nullptr) return;
    ::ShowWindow(mainForm, SW_HIDE);
    ::ShowWindow(application.Handle(), SW_HIDE);
}

}  // namespace ricordex::tray
