#pragma once
// TTrayIcon: the program's icon in the notification area. It keeps the
// icon's image and tooltip in step with its properties, turns the shell's
// mouse notifications into click, double-click and mouse events, opens its
// popup menu at the cursor (at the icon when asked from the keyboard), can
// step the icon through an image list, and hooks the application window and
// its owner form's window so that the program can live in the tray with no
// taskbar button. An add the shell refuses is tried again until it is taken.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tray/popup_menu.h"
#include "win/timer.h"
#include "win/unique_handle.h"
#include "win/window.h"

namespace ricordex::tray {

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                             ssDouble = 64;

// The shell reports mouse activity over the icon with this message.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1024;
inline constexpr UINT kTrayIconId = 1;
inline constexpr wchar_t kTrayWindowClass[] = L"Ricordex.TTrayIconWindow";

class TTrayIcon : public win::Window {
public:
    using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
    using TMouseEvent = std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;
    using TCycleEvent = std::function<void(TTrayIcon& sender, int nextIndex)>;

    // ownerWindow is the owner form's window, or null when the owner is
    // not a windowed control.
    explicit TTrayIcon(HWND ownerWindow);
    ~TTrayIcon() override;

    HIMAGELIST IconList() const { return iconList_; }
    void SetIconList(HIMAGELIST list);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    unsigned CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(unsigned milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    const std::string& Hint() const { return hint_; }  // code page 1252
    void SetHint(std::string hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    HICON Icon() const { return icon_.get(); }
    void SetIcon(HICON image);   // a copy is kept; the icon is refreshed
    void ReadIcon(HICON image);  // the form's own image: kept without asking the shell
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    PopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
    bool LeftPopup() const { return leftPopup_; }
    void SetLeftPopup(bool on) { leftPopup_ = on; }
    bool StartMinimized() const { return startMinimized_; }
    void SetStartMinimized(bool on) { startMinimized_ = on; }
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool on) { minimizeToTray_ = on; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;

    // Requests to the shell; true when it accepted. A refused add is tried
    // again every few seconds, for a few minutes, unless the icon turns out
    // to be there already.
    virtual bool AddTrayIcon();
    virtual bool RemoveTrayIcon();
    virtual bool RefreshTrayIcon();

    // Event dispatchers, in the order of the class's design.
    virtual void Click();
    virtual void DblClick();
    virtual void Cycle();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void SendToTray();

    void PopupMenuAtCursor();
    void ShowMainWindow();
    void HideMainWindow();

    // Once the owner form has set every property: start minimised, then
    // refresh and add the icon.
    void Loaded();
    // The same in two steps, for an owner that shows its window first: start
    // minimised now, and the icon once the window is on screen.
    void LoadedWithoutIcon() { StartMinimizedIfAsked(); }
    void ShowIcon();
    // Another component of the owner is going away.
    void ComponentRemoved(const void* component);

    const NOTIFYICONDATAW& IconData() const { return iconData_; }
    static UINT TaskbarCreatedMessage();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;  // TrayWindowProc
    // Every request goes to the shell through here.
    virtual bool ShellNotifyIcon(DWORD request, NOTIFYICONDATAW& data);
    // How often and how many times a refused add is tried again.
    void SetAddRetry(unsigned intervalMilliseconds, int attempts);

private:
    enum : UINT_PTR { kClickTimer = 1, kCycleTimer, kAddRetryTimer };
    // The window hooks and life in the tray (tray_hooks.cpp).
    void HookWindows();
    void UnhookWindows();
    void ApplicationWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void StartMinimizedIfAsked();

    // The requests to the shell (tray_shell.cpp).
    void PrepareIconData();
    bool Notify(DWORD request);
    bool TryToAdd();
    void AddRetryTick();
    void ReturnFocusToNotificationArea();

    struct MouseRow;
    static const MouseRow* FindMouseRow(UINT mouseMessage);
    void OnTrayMessage(UINT event, POINT anchor);
    TShiftState KeyboardShift() const;
    void StartClickTimer();
    void TakeForeground();
    void LeftPressed();
    void LeftReleased();
    void LeftDoubleClicked();
    // The window the tray menu belongs to while it is open.
    HWND MenuWindow() const;
    enum class OpenedBy { Mouse, Keyboard };
    void PopupMenuAt(POINT at, OpenedBy openedBy);
    void ClickTimerTick();
    void CycleTimerTick();
    HICON ListImage(int index) const;

    HWND ownerWindow_;
    HIMAGELIST iconList_ = nullptr;
    bool cycleIcons_ = false;
    unsigned cycleInterval_ = 0;
    bool enabled_ = true;
    std::string hint_;
    bool showHint_ = true;
    win::UniqueIcon icon_;
    bool iconVisible_ = true;
    bool loaded_ = false;      // ShowIcon has run
    bool shellAsked_ = false;  // the icon may be in the notification area
    int iconIndex_ = 0;
    PopupMenu* popupMenu_ = nullptr;
    bool leftPopup_ = false;
    bool startMinimized_ = false;
    bool minimizeToTray_ = false;

    bool leftButtonDown_ = false;
    bool clickPending_ = false;
    win::Timer cycleTimer_;
    win::Timer clickTimer_;
    bool doubleClickSeen_ = false;
    NOTIFYICONDATAW iconData_{};

    win::Timer addRetryTimer_;
    int addRetryAttempts_;
    int addRetriesLeft_ = 0;
    bool menuOpen_ = false;
    // False once the icon is gone: the menu's loop may outlive it (an
    // update that ends the program while the menu is open).
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // The shell follows a right release with its own WM_CONTEXTMENU.
    bool lastEventWasRightRelease_ = false;

    bool awaitingFirstPosChange_ = true;
    HWND focusedControl_ = nullptr;  // the owner's control that last had the focus
    win::WindowHook applicationHook_;
    win::WindowHook ownerHook_;
};

}  // namespace ricordex::tray
