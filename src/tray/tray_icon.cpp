#include "tray/tray_icon.h"

#include <algorithm>
#include <unordered_map>

#include "win/application.h"
#include "win/text.h"

namespace ricordex::tray {
namespace {

constexpr UINT_PTR kClickTimer = 1;
constexpr UINT_PTR kCycleTimer = 2;

bool KeyDown(int key) { return (::GetAsyncKeyState(key) & 0x8000) != 0; }

// The windows hooked by a tray icon: what each used before, and whose it is.
struct Hook {
    TTrayIcon* tray;
    WNDPROC saved;
    bool application;
};

std::unordered_map<HWND, Hook*>& Hooks() {
    static std::unordered_map<HWND, Hook*> hooks;
    return hooks;
}

}  // namespace

UINT TTrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TTrayIcon::TTrayIcon(HWND ownerWindow)
    : ownerWindow_(ownerWindow), cycleTimer_(kCycleTimer, 0), clickTimer_(kClickTimer, ::GetDoubleClickTime()) {
    TaskbarCreatedMessage();
    RegisterWindowClass(kTrayWindowClass);
    Create(kTrayWindowClass, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    iconData_.cbSize = NOTIFYICONDATAW_V2_SIZE;
    iconData_.hWnd = Handle();
    iconData_.uID = kTrayIconId;
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    iconData_.uCallbackMessage = kTrayCallbackMessage;
    cycleTimer_.Bind(Handle());
    clickTimer_.Bind(Handle());
    HookWindow(win::Application::Instance().Handle(), true);
    if (ownerWindow_ != nullptr) HookWindow(ownerWindow_, false);
}

TTrayIcon::~TTrayIcon() {
    SetIconVisible(false);
    cycleTimer_.SetEnabled(false);
    clickTimer_.SetEnabled(false);
    UnhookWindow(win::Application::Instance().Handle());
    if (ownerWindow_ != nullptr) UnhookWindow(ownerWindow_);
}

// Properties.

void TTrayIcon::SetIconList(HIMAGELIST list) {
    iconList_ = list;
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    if (cycle) SetIconIndex(0);
    cycleTimer_.SetEnabled(cycle);
}

void TTrayIcon::SetCycleInterval(unsigned milliseconds) {
    cycleInterval_ = milliseconds;
    cycleTimer_.SetInterval(milliseconds);
}

void TTrayIcon::SetHint(std::string hint) {
    hint_ = std::move(hint);
    RefreshTrayIcon();
}

void TTrayIcon::SetShowHint(bool show) {
    showHint_ = show;
    RefreshTrayIcon();
}

void TTrayIcon::SetIcon(HICON image) {
    ReadIcon(image);
    RefreshTrayIcon();
}

void TTrayIcon::ReadIcon(HICON image) { icon_.reset(image != nullptr ? ::CopyIcon(image) : nullptr); }

void TTrayIcon::SetIconVisible(bool visible) {
    if (visible) {
        AddTrayIcon();
    } else {
        RemoveTrayIcon();
    }
}

HICON TTrayIcon::ListImage(int index) const {
    if (iconList_ == nullptr || index < 0 || index >= ::ImageList_GetImageCount(iconList_)) return nullptr;
    return ::ImageList_GetIcon(iconList_, index, ILD_NORMAL);
}

void TTrayIcon::SetIconIndex(int index) {
    if (iconList_ != nullptr) {
        const int count = ::ImageList_GetImageCount(iconList_);
        iconIndex_ = index >= count ? count - 1 : index;
        icon_.reset(ListImage(iconIndex_));
    } else {
        iconIndex_ = 0;
    }
    RefreshTrayIcon();
}

// Requests to the shell.

void TTrayIcon::PrepareIconData() {
    iconData_.hIcon = icon_.get();
    std::fill(std::begin(iconData_.szTip), std::end(iconData_.szTip), L'\0');
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = win::AnsiToWide(std::string_view(hint_).substr(0, 127));
        std::copy_n(tip.begin(), std::min<std::size_t>(tip.size(), 127), iconData_.szTip);
    }
}

bool TTrayIcon::Notify(DWORD request) {
    PrepareIconData();
    return ::Shell_NotifyIconW(request, &iconData_) != FALSE;
}

bool TTrayIcon::AddTrayIcon() {
    iconVisible_ = true;
    return Notify(NIM_ADD);
}

bool TTrayIcon::RemoveTrayIcon() {
    iconVisible_ = false;
    return Notify(NIM_DELETE);
}

// Sent whether or not the icon is shown; the shell refuses it when not.
bool TTrayIcon::RefreshTrayIcon() { return Notify(NIM_MODIFY); }

// Dispatchers.

void TTrayIcon::Click() {
    if (OnClick) OnClick(*this);
}

void TTrayIcon::DblClick() {
    if (OnDblClick) OnDblClick(*this);
}

void TTrayIcon::Cycle() {
    const int count = iconList_ != nullptr ? ::ImageList_GetImageCount(iconList_) : 0;
    const int next = iconList_ != nullptr && iconIndex_ < count - 1 ? iconIndex_ + 1 : 0;
    if (OnCycle) OnCycle(*this, next);
}

void TTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TTrayIcon::SendToTray() {
    HideMainWindow();
    SetIconVisible(true);  // refused by the shell when the icon is there already
}

// The message window.

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kTrayCallbackMessage:
        OnTrayMessage(lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kClickTimer) ClickTimerTick();
        if (wParam == kCycleTimer) CycleTimerTick();
        return 0;
    // A close request never destroys this window, and it never objects
    // when Windows asks whether it may end the session.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_USERCHANGED:
        return 1;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

TShiftState TTrayIcon::KeyboardShift() const {
    TShiftState shift = 0;
    if (KeyDown(VK_SHIFT)) shift |= ssShift;
    if (KeyDown(VK_CONTROL)) shift |= ssCtrl;
    if (KeyDown(VK_MENU)) shift |= ssAlt;
    return shift;
}

void TTrayIcon::OnTrayMessage(LPARAM mouseMessage) {
    if (!enabled_) return;
    POINT at{};
    auto read = [&](TShiftState button) {
        const TShiftState shift = KeyboardShift() | button;
        ::GetCursorPos(&at);
        return shift;
    };
    switch (mouseMessage) {
    case WM_MOUSEMOVE: {
        const TShiftState shift = read(0);
        MouseMove(shift, at.x, at.y);
        break;
    }
    case WM_LBUTTONDOWN: {
        clickTimer_.SetEnabled(true);  // a press while it runs does not restart it
        const TShiftState shift = read(ssLeft);
        MouseDown(mbLeft, shift, at.x, at.y);
        leftButtonDown_ = true;
        if (leftPopup_) PopupMenuAtCursor();
        break;
    }
    case WM_LBUTTONUP: {
        const TShiftState shift = read(ssLeft);
        if (leftButtonDown_) {
            clickPending_ = true;
            // Held longer than a double-click: the click is due now.
            if (!clickTimer_.Enabled()) {
                leftButtonDown_ = false;
                clickPending_ = false;
                Click();
            }
        }
        leftButtonDown_ = false;
        MouseUp(mbLeft, shift, at.x, at.y);
        break;
    }
    case WM_LBUTTONDBLCLK:
        clickPending_ = false;
        doubleClickSeen_ = true;
        DblClick();
        if (popupMenu_ != nullptr && popupMenu_->AutoPopup() && !leftPopup_) popupMenu_->ClickDefault();
        break;
    case WM_RBUTTONDOWN: {
        const TShiftState shift = read(ssRight);
        MouseDown(mbRight, shift, at.x, at.y);
        PopupMenuAtCursor();
        break;
    }
    case WM_RBUTTONUP: {
        const TShiftState shift = read(ssRight);
        MouseUp(mbRight, shift, at.x, at.y);
        break;
    }
    case WM_MBUTTONDOWN: {
        const TShiftState shift = read(ssMiddle);
        MouseDown(mbMiddle, shift, at.x, at.y);
        break;
    }
    case WM_MBUTTONUP: {
        const TShiftState shift = read(ssMiddle);
        MouseUp(mbMiddle, shift, at.x, at.y);
        break;
    }
    default:
        break;
    }
}

void TTrayIcon::ClickTimerTick() {
    clickTimer_.SetEnabled(false);
    if (!doubleClickSeen_ && clickPending_) {
        clickPending_ = false;
        Click();
    }
    doubleClickSeen_ = false;
}

void TTrayIcon::CycleTimerTick() {
    if (iconList_ == nullptr) return;
    icon_.reset(ListImage(iconIndex_));
    Cycle();
    RefreshTrayIcon();
    const int count = ::ImageList_GetImageCount(iconList_);
    SetIconIndex(iconIndex_ < count - 1 ? iconIndex_ + 1 : 0);
}

void TTrayIcon::PopupMenuAtCursor() {
    if (popupMenu_ == nullptr || !popupMenu_->AutoPopup()) return;
    POINT at{};
    if (!::GetCursorPos(&at)) return;
    win::Application::Instance().ProcessMessages();
    // A menu opened from the tray closes when the user clicks elsewhere
    // only if its window is in the foreground.
    // The owner, or the box that keeps it waiting: the owner must never come
    // in front of a box it cannot leave until the box is answered.
    ::SetForegroundWindow(Handle());
    if (ownerWindow_ != nullptr) ::SetForegroundWindow(win::FrontWindowOf(ownerWindow_));
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(at.x, at.y, Handle());
    // And the next message makes the switch of foreground take effect.
    if (ownerWindow_ != nullptr) ::PostMessageW(ownerWindow_, WM_NULL, 0, 0);
}

// Life in the tray.

void TTrayIcon::Loaded() {
    if (ownerWindow_ != nullptr && startMinimized_) {
        win::Application& application = win::Application::Instance();
        application.SetShowMainForm(false);
        ::ShowWindow(application.Handle(), SW_HIDE);
    }
    RefreshTrayIcon();
    SetIconVisible(iconVisible_);
}

void TTrayIcon::ComponentRemoved(const void* component) {
    if (component == nullptr) return;
    if (component == iconList_) {
        iconList_ = nullptr;
        SetIconIndex(0);
    }
    if (component == popupMenu_) popupMenu_ = nullptr;
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

// The hooks.

void TTrayIcon::HookWindow(HWND window, bool application) {
    if (window == nullptr) return;
    auto* hook = new Hook{this, nullptr, application};
    hook->saved = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTrayIcon::HookProc)));
    Hooks()[window] = hook;
}

void TTrayIcon::UnhookWindow(HWND window) {
    auto found = Hooks().find(window);
    if (found == Hooks().end() || found->second->tray != this) return;
    if (::IsWindow(window)) ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second->saved));
    delete found->second;
    Hooks().erase(found);
}

LRESULT CALLBACK TTrayIcon::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = Hooks().find(window);
    if (found == Hooks().end()) return ::DefWindowProcW(window, message, wParam, lParam);
    Hook hook = *found->second;
    if (message == WM_NCDESTROY) {
        // The window goes: nothing is left to put back.
        delete found->second;
        Hooks().erase(found);
        return ::CallWindowProcW(hook.saved, window, message, wParam, lParam);
    }
    win::Guarded([&] {
        return hook.application ? hook.tray->ApplicationWindowProc(message, wParam, lParam)
                                : hook.tray->OwnerWindowProc(message, wParam, lParam);
    });
    return ::CallWindowProcW(hook.saved, window, message, wParam, lParam);
}

LRESULT TTrayIcon::ApplicationWindowProc(UINT message, WPARAM wParam, LPARAM) {
    win::Application& application = win::Application::Instance();
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && minimizeToTray_) SendToTray();
    if (message == WM_WINDOWPOSCHANGED && awaitingFirstPosChange_ && application.MainForm() != nullptr) {
        // Only a multi-document frame would need hiding again here; this
        // program's main form is an ordinary one.
        awaitingFirstPosChange_ = false;
    }
    if (message == TaskbarCreatedMessage() && iconVisible_) AddTrayIcon();
    return 0;
}

LRESULT TTrayIcon::OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
    return 0;
}

}  // namespace ricordex::tray
