#include "tray/tray_icon.h"

#include <optional>
#include <utility>

#include "win/application.h"

namespace ricordex::tray {
namespace {

// A refused add is tried again every three seconds for five minutes; after
// that, the next "TaskbarCreated" or the next time the program goes to the
// tray starts again.
constexpr unsigned kAddRetryInterval = 3000;
constexpr int kAddRetryAttempts = 100;

bool KeyDown(int key) { return (::GetAsyncKeyState(key) & 0x8000) != 0; }

// The point a version-4 notification carries in its wParam, in screen pixels.
POINT AnchorOf(WPARAM wParam) {
    return {static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
}

}  // namespace

UINT TTrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TTrayIcon::TTrayIcon(HWND ownerWindow)
    : ownerWindow_(ownerWindow),
      cycleTimer_(kCycleTimer, 0),
      clickTimer_(kClickTimer, ::GetDoubleClickTime()),
      addRetryTimer_(kAddRetryTimer, kAddRetryInterval),
      addRetryAttempts_(kAddRetryAttempts) {
    TaskbarCreatedMessage();
    RegisterWindowClass(kTrayWindowClass);
    Create(kTrayWindowClass, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    // The whole structure of Windows Vista and later: the version-4
    // notifications, and the standard tooltip kept with them (NIF_SHOWTIP;
    // with version 4 the shell shows none unless asked).
    iconData_.cbSize = sizeof(iconData_);
    iconData_.hWnd = Handle();
    iconData_.uID = kTrayIconId;
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    iconData_.uCallbackMessage = kTrayCallbackMessage;
    iconData_.uVersion = NOTIFYICON_VERSION_4;
    cycleTimer_.Bind(Handle());
    clickTimer_.Bind(Handle());
    addRetryTimer_.Bind(Handle());
    HookWindows();
}

TTrayIcon::~TTrayIcon() {
    *alive_ = false;
    if (shellAsked_) SetIconVisible(false);  // else never there, and the shell is not loaded for it
    cycleTimer_.SetEnabled(false);
    clickTimer_.SetEnabled(false);
    UnhookWindows();
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

// The message window.

LRESULT TTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    // The version-4 form: the event in the low word of lParam (the icon's
    // id, the only one of this window, in the high word), the point in
    // wParam. A shell that refused the version sends the event alone in
    // lParam, which reads the same.
    case kTrayCallbackMessage:
        OnTrayMessage(LOWORD(lParam), AnchorOf(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kClickTimer) ClickTimerTick();
        if (wParam == kCycleTimer) CycleTimerTick();
        if (wParam == kAddRetryTimer) AddRetryTick();
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

// The shell's mouse messages over the icon that the component reports: the
// button, its shift bit, whether it is a move, a press or a release, and what
// the component does beside reporting it (before the report, after it).
struct TTrayIcon::MouseRow {
    enum Report { kMove, kDown, kUp };
    UINT message;
    TMouseButton button;
    TShiftState shiftBit;
    Report report;
    void (TTrayIcon::*before)();
    void (TTrayIcon::*after)();
};

const TTrayIcon::MouseRow* TTrayIcon::FindMouseRow(UINT mouseMessage) {
    static constexpr MouseRow kRows[] = {
        {WM_MOUSEMOVE, mbLeft, 0, MouseRow::kMove, nullptr, nullptr},
        {WM_LBUTTONDOWN, mbLeft, ssLeft, MouseRow::kDown, &TTrayIcon::StartClickTimer, &TTrayIcon::LeftPressed},
        {WM_LBUTTONUP, mbLeft, ssLeft, MouseRow::kUp, &TTrayIcon::LeftReleased, nullptr},
        {WM_RBUTTONDOWN, mbRight, ssRight, MouseRow::kDown, nullptr, &TTrayIcon::PopupMenuAtCursor},
        {WM_RBUTTONUP, mbRight, ssRight, MouseRow::kUp, nullptr, nullptr},
        {WM_MBUTTONDOWN, mbMiddle, ssMiddle, MouseRow::kDown, nullptr, nullptr},
        {WM_MBUTTONUP, mbMiddle, ssMiddle, MouseRow::kUp, nullptr, nullptr},
    };
    for (const MouseRow& row : kRows) {
        if (row.message == mouseMessage) return &row;
    }
    return nullptr;
}

// The keyboard opens the menu at the icon: Enter or Space (NIN_KEYSELECT),
// or Shift+F10 and the menu key (WM_CONTEXTMENU). The shell sends
// WM_CONTEXTMENU after a right click too, whose press opened the menu
// already. A left click is followed by NIN_SELECT, which adds nothing to
// the press and release before it. The double-click reads neither the keys
// nor the cursor; the other messages that are not in the table (the right
// and middle double-clicks) do nothing.
void TTrayIcon::OnTrayMessage(UINT event, POINT anchor) {
    if (!enabled_) return;
    // The program's start is finished before the icon's first command.
    if (event != WM_MOUSEMOVE) win::Application::Instance().FinishStartBeforeCommand();
    const bool afterRightRelease = std::exchange(lastEventWasRightRelease_, event == WM_RBUTTONUP);
    switch (event) {
    case NIN_KEYSELECT: PopupMenuAt(anchor, OpenedBy::Keyboard); return;
    case WM_CONTEXTMENU:
        if (!afterRightRelease) PopupMenuAt(anchor, OpenedBy::Keyboard);
        return;
    case NIN_SELECT: TakeForeground(); return;
    case WM_LBUTTONDBLCLK: LeftDoubleClicked(); return;
    default: break;
    }
    const MouseRow* row = FindMouseRow(event);
    if (row == nullptr) return;
    // The keys and the cursor as they are now, before anything changes.
    const TShiftState shift = KeyboardShift() | row->shiftBit;
    POINT at{};
    ::GetCursorPos(&at);
    if (row->before != nullptr) (this->*row->before)();
    switch (row->report) {
    case MouseRow::kMove:
        MouseMove(shift, at.x, at.y);
        break;
    case MouseRow::kDown:
        MouseDown(row->button, shift, at.x, at.y);
        break;
    case MouseRow::kUp:
        MouseUp(row->button, shift, at.x, at.y);
        break;
    }
    if (row->after != nullptr) (this->*row->after)();
}

// A press while the timer runs does not restart it.
void TTrayIcon::StartClickTimer() {
    TakeForeground();
    clickTimer_.SetEnabled(true);
}

// The shell lets the program come to the front only for a moment after a
// click: long enough for this, not for the click reported a double-click
// time later. Once the program is the foreground process, the window it
// shows then may come to the front.
void TTrayIcon::TakeForeground() { ::SetForegroundWindow(Handle()); }

void TTrayIcon::LeftPressed() {
    leftButtonDown_ = true;
    if (leftPopup_) PopupMenuAtCursor();
}

void TTrayIcon::LeftReleased() {
    TakeForeground();
    if (leftButtonDown_) {
        clickPending_ = true;
        // Held longer than a double-click: the click is due now.
        if (!clickTimer_.Enabled()) {
            clickPending_ = false;
            Click();
        }
    }
    leftButtonDown_ = false;
}

void TTrayIcon::LeftDoubleClicked() {
    clickPending_ = false;
    doubleClickSeen_ = true;
    DblClick();
    if (popupMenu_ != nullptr && popupMenu_->AutoPopup() && !leftPopup_) popupMenu_->ClickDefault();
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

// The owner, or the box that keeps it waiting: the owner must never come in
// front of a box it cannot leave until the box is answered.
HWND TTrayIcon::MenuWindow() const {
    return ownerWindow_ != nullptr ? win::FrontWindowOf(ownerWindow_) : Handle();
}

void TTrayIcon::PopupMenuAtCursor() {
    if (popupMenu_ == nullptr || !popupMenu_->AutoPopup()) return;
    POINT at{};
    if (!::GetCursorPos(&at)) return;
    PopupMenuAt(at, OpenedBy::Mouse);
}

// One menu at a time: the shell may ask again while it opens (Enter sends
// NIN_KEYSELECT twice) or while it is open.
void TTrayIcon::PopupMenuAt(POINT at, OpenedBy openedBy) {
    PopupMenu* menu = popupMenu_;
    if (menu == nullptr || !menu->AutoPopup() || menuOpen_) return;
    std::optional<std::size_t> chosen;
    HWND window = nullptr;
    const std::shared_ptr<bool> alive = alive_;
    {
        menuOpen_ = true;
        const struct MenuClosed {
            const std::shared_ptr<bool>& alive;
            bool& open;
            ~MenuClosed() {
                if (*alive) open = false;
            }
        } closed{alive, menuOpen_};
        win::Application::Instance().ProcessMessages();
        if (!*alive) return;
        // A menu opened from the tray closes when the user clicks elsewhere
        // only if its window is in the foreground; the message posted to it
        // once the menu is over makes the switch of foreground take effect.
        window = MenuWindow();
        ::SetForegroundWindow(window);
        menu->SetPopupComponent(this);
        chosen = menu->Track(at.x, at.y, window);
        ::PostMessageW(window, WM_NULL, 0, 0);
        if (!*alive) return;  // the icon went while its menu was open
    }
    // The item's action runs once the menu is over: a box it opens leaves
    // the menu free to open again.
    if (chosen) {
        menu->Click(*chosen);
    } else if (openedBy == OpenedBy::Keyboard && ::GetForegroundWindow() == window) {
        // Opened from the keyboard and left with Escape, or by a click that
        // took no other window to the front: the keys go back to the icons,
        // where the user was. A window the user clicked keeps them, and a
        // menu opened with the mouse leaves them where they were.
        ReturnFocusToNotificationArea();
    }
}

// Life in the tray.

void TTrayIcon::Loaded() {
    LoadedWithoutIcon();
    ShowIcon();
}

void TTrayIcon::ShowIcon() {
    loaded_ = true;
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

}  // namespace ricordex::tray
