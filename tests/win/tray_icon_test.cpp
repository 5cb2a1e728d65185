#include "tray/tray_icon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

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

// Records what the icon dispatches and what it asks of the shell.
class RecordingTray : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;
    std::vector<std::string> events;
    int adds = 0;

    bool AddTrayIcon() override {
        ++adds;
        return TTrayIcon::AddTrayIcon();
    }
    void Click() override { events.push_back("Click"); }
    void DblClick() override { events.push_back("DblClick"); }
    void MouseDown(TMouseButton button, TShiftState shift, int, int) override {
        events.push_back("MouseDown " + std::to_string(button) + " " + std::to_string(shift));
    }
    void MouseUp(TMouseButton button, TShiftState shift, int, int) override {
        events.push_back("MouseUp " + std::to_string(button) + " " + std::to_string(shift));
    }
};

class TrayIconTest : public ::testing::Test {
protected:
    void Mouse(UINT mouseMessage) {
        ::SendMessageW(tray_.Handle(), kTrayCallbackMessage, kTrayIconId, static_cast<LPARAM>(mouseMessage));
    }
    std::chrono::milliseconds DoubleClickTime() { return std::chrono::milliseconds(::GetDoubleClickTime()); }

    Form form_;
    RecordingTray tray_{form_.Handle()};
};

TEST_F(TrayIconTest, AQuickClickIsReportedOnlyOnceNoDoubleClickCanFollow) {
    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    EXPECT_EQ(tray_.events, (std::vector<std::string>{"MouseDown 0 8", "MouseUp 0 8"}));
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(300));
    EXPECT_EQ(tray_.events.back(), "Click");
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

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouse) {
    tray_.SetEnabled(false);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_MBUTTONUP}) Mouse(m);
    PumpFor(DoubleClickTime() + std::chrono::milliseconds(200));
    EXPECT_TRUE(tray_.events.empty());
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
