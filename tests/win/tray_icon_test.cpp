#include "tray/tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "support/live_handles.h"
#include "ui/resource_ids.h"
#include "win/application.h"
#include "win/pictures.h"

namespace ricordex::tray {
namespace {

using Clock = std::chrono::steady_clock;

void PumpFor(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            ::DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A plain form to own the icon and be the application's main form.
class Form : public win::Window {
public:
    Form() {
        RegisterWindowClass(L"RicordexTestForm");
        Create(L"RicordexTestForm", L"Form", WS_POPUP | WS_CAPTION, 0, 100, 100, 200, 100,
               win::Application::Instance().Handle());
        win::Application::Instance().SetMainForm(Handle());
    }
};

// Records what the icon dispatches and what it asks of the shell; the
// shell can be made to refuse the next adds, as one still starting does.
class RecordingTray : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;
    using TTrayIcon::SetAddRetry;
    std::vector<std::string> events;
    int adds = 0;
    std::vector<DWORD> requests;
    int addsToRefuse = 0;

    bool AddTrayIcon() override {
        ++adds;
        return TTrayIcon::AddTrayIcon();
    }
    bool ShellNotifyIcon(DWORD request, NOTIFYICONDATAW& data) override {
        requests.push_back(request);
        if (request == NIM_SETVERSION) {
            EXPECT_EQ(data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
        }
        if (request == NIM_ADD && addsToRefuse > 0) {
            --addsToRefuse;
            return false;
        }
        return TTrayIcon::ShellNotifyIcon(request, data);
    }
    long Count(DWORD request) const { return std::count(requests.begin(), requests.end(), request); }
    void Click() override { events.push_back("Click"); }
    void DblClick() override { events.push_back("DblClick"); }
    void MouseDown(TMouseButton button, TShiftState shift, int, int) override {
        events.push_back("MouseDown " + std::to_string(button) + " " + std::to_string(shift));
    }
    void MouseUp(TMouseButton button, TShiftState shift, int, int) override {
        events.push_back("MouseUp " + std::to_string(button) + " " + std::to_string(shift));
    }
};

void PressKeys(std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(2, input, sizeof(INPUT));
    }
}

class TrayIconTest : public ::testing::Test {
protected:
    // What the shell sends once the icon has version 4: the event and the
    // icon's id in lParam, the point in wParam (the cursor, for the mouse).
    void Notify(UINT event, POINT anchor) {
        ::SendMessageW(tray_.Handle(), kTrayCallbackMessage, MAKEWPARAM(anchor.x, anchor.y),
                       MAKELPARAM(event, kTrayIconId));
    }
    void Mouse(UINT mouseMessage) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        Notify(mouseMessage, cursor);
    }
    std::chrono::milliseconds DoubleClickTime() { return std::chrono::milliseconds(::GetDoubleClickTime()); }

    Form form_;
    RecordingTray tray_{form_.Handle()};
};

TEST_F(TrayIconTest, AQuickClickIsReportedOnlyOnceNoDoubleClickCanFollow) {
    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    Mouse(NIN_SELECT);  // the shell's word for the click just reported
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 0 8", "MouseUp 0 8"}));
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(300));
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 0 8", "MouseUp 0 8", "Click"}));
}

// The click is reported a double-click time later, when the shell's leave
// to come to the front may have lapsed: the program takes the front at the
// press, so that the window it then shows may come forward.
TEST_F(TrayIconTest, APressTakesTheForegroundBeforeTheClickIsDue) {
    HWND other = ::CreateWindowExW(0, L"STATIC", L"altro", WS_POPUP | WS_VISIBLE, 300, 300, 100, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_EQ(::GetForegroundWindow(), other);
    Mouse(WM_LBUTTONDOWN);
    EXPECT_EQ(::GetForegroundWindow(), tray_.Handle());
    EXPECT_EQ(tray_.events, std::vector<std::string>{"MouseDown 0 8"});
    ::DestroyWindow(other);
}

TEST_F(TrayIconTest, ALongPressClicksBeforeTheRelease) {
    Mouse(WM_LBUTTONDOWN);
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(300));
    Mouse(WM_LBUTTONUP);
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 0 8", "Click", "MouseUp 0 8"}));
}

TEST_F(TrayIconTest, ADoubleClickRunsTheDefaultItemOnceAndNoClick) {
    PopupMenu menu;
    int chosen = 0;
    menu.Add({L"uno", [&] { chosen = 1; }});
    menu.Add({L"due", [&] { chosen += 2; }, nullptr, true});
    tray_.SetPopupMenu(&menu);
    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    Mouse(WM_LBUTTONDBLCLK);
    Mouse(WM_LBUTTONUP);
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(300));
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 0 8", "MouseUp 0 8", "DblClick", "MouseUp 0 8"}));
    EXPECT_EQ(chosen, 2);
    menu.SetAutoPopup(false);  // nor does a menu that does not pop up by itself
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(chosen, 2);
}

TEST_F(TrayIconTest, CtrlRightPressReportsItsShiftAndOpensTheMenu) {
    PopupMenu menu;
    menu.Add({L"uno", [] {}});
    tray_.SetPopupMenu(&menu);
    INPUT ctrl{};
    ctrl.type = INPUT_KEYBOARD;
    ctrl.ki.wVk = VK_CONTROL;
    ::SendInput(1, &ctrl, sizeof(ctrl));
    // The menu runs its own loop until something closes it.
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
    const auto start = Clock::now();
    Mouse(WM_RBUTTONDOWN);
    const auto open = Clock::now() - start;
    ctrl.ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &ctrl, sizeof(ctrl));
    EXPECT_EQ(tray_.events, std::vector<std::string>{"MouseDown 1 20"});  // ssCtrl + ssRight
    EXPECT_GE(open, std::chrono::milliseconds(250));
    EXPECT_EQ(menu.PopupComponent(), &tray_);
}

// The menu's top-left corner each time it opens; once open, the menu is
// given the next action (closed, by default), every 150 ms.
class TrayMenuTest : public TrayIconTest {
protected:
    TrayMenuTest() {
        menu_.Add({L"uno", [this] { chosen_.push_back(1); }});
        menu_.Add({L"due", [this] { chosen_.push_back(2); }});
        menu_.OnPopup = [this] { corners_.emplace_back(); };
        tray_.SetPopupMenu(&menu_);
        ::SetCursorPos(40, 40);
        current_ = this;
    }
    ~TrayMenuTest() override { ::KillTimer(nullptr, timer_); }
    void InMenu(std::function<void()> action) { inMenu_ = std::move(action); }
    long SetFocusRequests() const { return tray_.Count(NIM_SETFOCUS); }
    using Corner = std::pair<LONG, LONG>;

    PopupMenu menu_;
    std::vector<int> chosen_;
    std::vector<Corner> corners_;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (menu == nullptr || !::IsWindowVisible(menu)) return;
        RECT r{};
        ::GetWindowRect(menu, &r);
        current_->corners_.back() = {r.left, r.top};
        std::exchange(current_->inMenu_, ::EndMenu)();
    }
    static inline TrayMenuTest* current_ = nullptr;
    std::function<void()> inMenu_ = ::EndMenu;
    UINT_PTR timer_ = ::SetTimer(nullptr, 0, 150, Tick);
};

// Enter or Space on the icon (NIN_KEYSELECT), Shift+F10 or the menu key
// (WM_CONTEXTMENU): the menu opens at the icon, the point the shell gives,
// wherever the pointer is. A right press opens it at the pointer, and the
// WM_CONTEXTMENU the shell sends after the release opens no second one; nor
// does Enter, which sends NIN_KEYSELECT twice, both waiting at the first.
TEST_F(TrayMenuTest, TheKeysOpenTheMenuAtTheIconAndEachAskOpensOneMenu) {
    Notify(NIN_KEYSELECT, {300, 200});
    Notify(WM_CONTEXTMENU, {320, 220});
    Mouse(WM_RBUTTONDOWN);
    Mouse(WM_RBUTTONUP);
    Mouse(WM_CONTEXTMENU);
    for (int i = 0; i < 2; ++i) {
        ::PostMessageW(tray_.Handle(), kTrayCallbackMessage, MAKEWPARAM(300, 200),
                       MAKELPARAM(NIN_KEYSELECT, kTrayIconId));
    }
    PumpFor(std::chrono::milliseconds(600));
    EXPECT_EQ(corners_, (std::vector<Corner>{{300, 200}, {320, 220}, {40, 40}, {300, 200}}));
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 1 16", "MouseUp 1 16"}));
}

TEST_F(TrayMenuTest, DisabledIconIgnoresTheMouseAndTheKeys) {
    tray_.SetEnabled(false);
    for (UINT m : std::initializer_list<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                                              WM_MBUTTONUP, NIN_KEYSELECT, WM_CONTEXTMENU}) {
        Mouse(m);
    }
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(200));
    EXPECT_TRUE(tray_.events.empty());
    EXPECT_TRUE(corners_.empty());
}

// A menu opened from the keyboard and left with Escape, or by a click that
// takes nothing else to the front, gives the keys back to the notification
// area; a choice, a click on another window (which keeps the keys), or a
// menu opened with the mouse does not.
TEST_F(TrayMenuTest, AMenuLeftWithoutAChoiceGivesTheKeysBackToTheNotificationArea) {
    InMenu([] { PressKeys({VK_ESCAPE}); });
    Notify(NIN_KEYSELECT, {300, 200});
    EXPECT_EQ(SetFocusRequests(), 1);
    InMenu([] { ::EndMenu(); });  // closed as by a click beside it
    Notify(WM_CONTEXTMENU, {300, 200});
    EXPECT_EQ(SetFocusRequests(), 2);
    InMenu([] { PressKeys({VK_ESCAPE}); });
    Mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(SetFocusRequests(), 2) << "the mouse's menu leaves the keys where they were";

    InMenu([] { PressKeys({VK_DOWN, VK_DOWN, VK_RETURN}); });
    Notify(NIN_KEYSELECT, {300, 200});
    EXPECT_EQ(chosen_, std::vector<int>{2});

    HWND other = ::CreateWindowExW(0, L"STATIC", L"altro", WS_POPUP | WS_VISIBLE, 600, 300, 100, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    InMenu([other] {
        ::SetForegroundWindow(other);
        ::EndMenu();
    });
    Mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(::GetForegroundWindow(), other);
    EXPECT_EQ(SetFocusRequests(), 2);
    EXPECT_EQ(corners_.size(), 5u);
    ::DestroyWindow(other);
}

// A shell still starting refuses the add: it is tried again until taken,
// the version going with it as with every add (the taskbar made again
// included); an icon that is there already is not added again and again.
// A shell that refuses for good is asked a bounded number of times; the
// taskbar made again starts a new round, and hiding the icon ends one.
TEST_F(TrayIconTest, ARefusedAddIsTriedAgainForABoundedTime) {
    tray_.SetAddRetry(30, 3);
    tray_.addsToRefuse = 2;
    tray_.Loaded();
    PumpFor(std::chrono::milliseconds(400));
    EXPECT_EQ(tray_.Count(NIM_ADD), 3);
    EXPECT_EQ(tray_.requests.back(), static_cast<DWORD>(NIM_SETVERSION));
    tray_.requests.clear();
    ::SendMessageW(win::Application::Instance().Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(tray_.requests, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_SETVERSION}));

    tray_.SetIconVisible(false);
    tray_.requests.clear();
    tray_.addsToRefuse = 1000;
    tray_.SetIconVisible(true);
    PumpFor(std::chrono::milliseconds(400));
    EXPECT_EQ(tray_.Count(NIM_ADD), 4);
    ::SendMessageW(win::Application::Instance().Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    tray_.SetIconVisible(false);
    PumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(tray_.Count(NIM_ADD), 5);
    EXPECT_EQ(tray_.Count(NIM_SETVERSION), 0);
}

TEST_F(TrayIconTest, TheTooltipHoldsAtMost127CharactersOfTheHint) {
    tray_.SetHint(std::string(200, 'h'));
    EXPECT_EQ(std::wstring(tray_.IconData().szTip), std::wstring(127, L'h'));
    tray_.SetShowHint(false);
    EXPECT_EQ(tray_.IconData().szTip[0], L'\0');
    tray_.SetShowHint(true);
    EXPECT_EQ(std::wstring(tray_.IconData().szTip).size(), 127u);
    EXPECT_EQ(tray_.IconData().uCallbackMessage, 2048u);
    EXPECT_EQ(tray_.IconData().uID, 1u);
}

class ImagesTest : public TrayIconTest {
protected:
    ImagesTest() : list_(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0)) {
        for (int id : {IDI_STATUS_DISTANT, IDI_STATUS_PENDING, IDI_STATUS_PAST}) {
            win::UniqueIcon icon(win::LoadProgramIcon(id, 16));
            ::ImageList_AddIcon(list_.get(), icon.get());
        }
    }
    win::UniqueImageList list_;
};

TEST_F(ImagesTest, IconIndexStaysInTheListOrIsZeroWithoutOne) {
    tray_.SetIconIndex(10);
    EXPECT_EQ(tray_.IconIndex(), 0);
    tray_.SetIconList(list_.get());
    tray_.SetIconIndex(10);
    EXPECT_EQ(tray_.IconIndex(), 2);
    EXPECT_NE(tray_.Icon(), nullptr);
    tray_.ComponentRemoved(list_.get());
    EXPECT_EQ(tray_.IconList(), nullptr);
    EXPECT_EQ(tray_.IconIndex(), 0);
}

TEST_F(ImagesTest, CyclingStepsThroughTheImagesAndTellsWhatComesNext) {
    std::vector<int> shown, next;
    tray_.OnCycle = [&](TTrayIcon& sender, int n) {
        shown.push_back(sender.IconIndex());
        next.push_back(n);
    };
    tray_.SetIconList(list_.get());
    tray_.SetCycleInterval(500);
    tray_.SetCycleIcons(true);
    PumpFor(std::chrono::milliseconds(2250));
    tray_.SetCycleIcons(false);
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 4), (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(std::vector<int>(next.begin(), next.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(ImagesTest, RefreshingAndCyclingKeepNoHandles) {
    tray_.SetIconList(list_.get());
    tray_.RefreshTrayIcon();
    const std::uintptr_t userBefore = testing::LiveUserHandles(), gdiBefore = testing::LiveGdiHandles();
    for (int i = 0; i < 10'000; ++i) {
        tray_.RefreshTrayIcon();
        tray_.SetIconIndex(i % 3);
    }
    const std::uintptr_t userAfter = testing::LiveUserHandles(), gdiAfter = testing::LiveGdiHandles();
    std::printf("over 10,000 refreshes and steps: live USER handles %zu -> %zu, live GDI handles %zu -> %zu\n",
                static_cast<std::size_t>(userBefore), static_cast<std::size_t>(userAfter),
                static_cast<std::size_t>(gdiBefore), static_cast<std::size_t>(gdiAfter));
    EXPECT_LE(userAfter, userBefore + 4);
    EXPECT_LE(gdiAfter, gdiBefore + 4);
}

TEST_F(TrayIconTest, MinimisingSendsTheProgramToTheTrayAndShowMainWindowBringsItBack) {
    win::Application& application = win::Application::Instance();
    tray_.SetMinimizeToTray(true);
    tray_.RemoveTrayIcon();
    ::ShowWindow(application.Handle(), SW_SHOW);
    ::ShowWindow(form_.Handle(), SW_SHOW);
    application.Minimize();
    EXPECT_FALSE(::IsWindowVisible(application.Handle()));  // no taskbar button
    EXPECT_FALSE(::IsWindowVisible(form_.Handle()));
    EXPECT_TRUE(tray_.IconVisible());

    tray_.ShowMainWindow();
    EXPECT_TRUE(::IsWindowVisible(form_.Handle()));
    EXPECT_TRUE(::IsWindowVisible(application.Handle()));
    EXPECT_FALSE(::IsIconic(form_.Handle()));
    ::ShowWindow(form_.Handle(), SW_MINIMIZE);
    tray_.ShowMainWindow();
    EXPECT_FALSE(::IsIconic(form_.Handle()));

    const int adds = tray_.adds;
    ::SendMessageW(application.Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(tray_.adds, adds + 1);
    tray_.SetIconVisible(false);
    ::SendMessageW(application.Handle(), TTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(tray_.adds, adds + 1);
    ::ShowWindow(application.Handle(), SW_HIDE);
}

// Two more icons of the same owner: the application window and the form
// carry three hooks each. Every hook sees each message and passes it on to
// the window's own procedure, whichever icon goes first.
TEST_F(TrayIconTest, IconsHookingOneWindowAllSeeItsMessagesAndLeaveInAnyOrder) {
    HWND application = win::Application::Instance().Handle();
    auto title = [](HWND window) {
        wchar_t text[32] = {};
        ::SendMessageW(window, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    for (const bool firstLeavesFirst : {true, false}) {
        SCOPED_TRACE(firstLeavesFirst ? "the first icon leaves first" : "the last icon leaves first");
        auto first = std::make_unique<RecordingTray>(form_.Handle());
        auto second = std::make_unique<RecordingTray>(form_.Handle());
        const int fixtureAdds = tray_.adds;
        ::SendMessageW(application, TTrayIcon::TaskbarCreatedMessage(), 0, 0);
        EXPECT_EQ(tray_.adds, fixtureAdds + 1);
        EXPECT_EQ(first->adds, 1);
        EXPECT_EQ(second->adds, 1);
        EXPECT_EQ(title(application), L"Ricordex");
        EXPECT_EQ(title(form_.Handle()), L"Form");

        std::unique_ptr<RecordingTray>& leaving = firstLeavesFirst ? first : second;
        std::unique_ptr<RecordingTray>& staying = firstLeavesFirst ? second : first;
        leaving.reset();
        ::SendMessageW(application, TTrayIcon::TaskbarCreatedMessage(), 0, 0);
        EXPECT_EQ(tray_.adds, fixtureAdds + 2);
        EXPECT_EQ(staying->adds, 2);
        staying.reset();
        ::SendMessageW(application, TTrayIcon::TaskbarCreatedMessage(), 0, 0);
        EXPECT_EQ(tray_.adds, fixtureAdds + 3);
        EXPECT_EQ(title(application), L"Ricordex");
        EXPECT_EQ(title(form_.Handle()), L"Form");
    }
}

}  // namespace
}  // namespace ricordex::tray
