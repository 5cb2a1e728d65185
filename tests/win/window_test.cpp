#include "win/window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "win/application.h"

namespace ricordex::win {
namespace {

class PlainWindow : public Window {
public:
    void Make(const wchar_t* className) { Create(className, L"Plain", WS_POPUP, 0, 0, 0, 10, 10, nullptr); }
};

TEST(Window, ACreationTheSystemRefusesThrowsWithTheSystemsReason) {
    PlainWindow window;
    try {
        window.Make(L"Ricordex.NoSuchClass");
        FAIL();
    } catch (const Error& e) {
        const std::string text = e.what();
        // "Error creating window: Class does not exist (system error 1411)"
        const std::string start = "Error creating window: ";
        EXPECT_EQ(text.rfind(start, 0), 0u) << text;
        EXPECT_GT(text.find(" (system error "), start.size()) << text;
        EXPECT_EQ(text.back(), ')') << text;
    }
    EXPECT_EQ(window.Handle(), nullptr);
}

// A hook's error goes to the default error handler, and the message still
// reaches the window.
TEST(Window, AHookThatFailsReportsTheErrorAndPassesTheMessageOn) {
    Window::RegisterWindowClass(L"Ricordex.PlainWindow");
    PlainWindow window;
    window.Make(L"Ricordex.PlainWindow");
    std::vector<std::wstring> errors;
    Application::Instance().SetErrorSink([&](const std::wstring& text) { errors.push_back(text); });
    WindowHook hook;
    hook.Install(window.Handle(), [](UINT message, WPARAM, LPARAM) {
        if (message == WM_GETTEXT) throw Error("Guasto");
    });
    wchar_t text[16] = {};
    ::SendMessageW(window.Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
    Application::Instance().SetErrorSink(nullptr);
    EXPECT_EQ(errors, std::vector<std::wstring>{L"Guasto."});
    EXPECT_STREQ(text, L"Plain");
}

// Hooks come and go while a message runs through them: one removed by
// another does not run for it; a hook may destroy the window; a window that
// goes leaves its hooks unhooked; a window of another kind is not hooked.
TEST(Window, HooksLeaveWhileTheyRunAndWhenTheWindowGoes) {
    Window::RegisterWindowClass(L"Ricordex.PlainWindow");
    auto window = std::make_unique<PlainWindow>();
    window->Make(L"Ricordex.PlainWindow");
    std::vector<std::string> seen;
    WindowHook first, second, third;
    first.Install(window->Handle(), [&](UINT message, WPARAM, LPARAM) {
        if (message != WM_USER) return;
        seen.push_back("first");
        second.Remove();
    });
    second.Install(window->Handle(), [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_USER) seen.push_back("second");
    });
    third.Install(window->Handle(), [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_USER) seen.push_back("third");
    });
    ::SendMessageW(window->Handle(), WM_USER, 0, 0);
    ::SendMessageW(window->Handle(), WM_USER, 0, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "third", "first", "third"}));
    EXPECT_EQ(second.Hooked(), nullptr);

    // The window destroyed by a hook: the message ends there, harmlessly.
    first.Install(window->Handle(), [&](UINT message, WPARAM, LPARAM) {
        if (message == WM_USER + 1) ::DestroyWindow(window->Handle());
    });
    ::SendMessageW(window->Handle(), WM_USER + 1, 0, 0);
    EXPECT_EQ(window->Handle(), nullptr);
    EXPECT_EQ(first.Hooked(), nullptr);
    EXPECT_EQ(third.Hooked(), nullptr);
    window.reset();

    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    first.Install(other, [](UINT, WPARAM, LPARAM) {});
    EXPECT_EQ(first.Hooked(), nullptr);
    ::DestroyWindow(other);
}

// The start's remaining work waits for the messages already there (the
// window's first paint) but comes before what the user does. A key meant
// for the window as it was is dropped when the rest asked a question.
class RecordingWindow : public PlainWindow {
public:
    std::vector<UINT> seen;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP || message == WM_KEYDOWN) seen.push_back(message);
        return Window::HandleMessage(message, wParam, lParam);
    }
};

TEST(Application, TheStartsRestRunsWhenTheLoopFirstWaitsOrBeforeTheUsersFirstKey) {
    Window::RegisterWindowClass(L"Ricordex.PlainWindow");
    RecordingWindow window;
    window.Make(L"Ricordex.PlainWindow");
    Application& application = Application::Instance();
    bool asks = false;
    const auto rest = [&] {
        window.seen.push_back(0);
        if (asks) const FormsWaitingFor question(window.Handle());
        ::PostQuitMessage(0);
    };

    ::PostMessageW(window.Handle(), WM_APP, 0, 0);
    application.SetStartRemainder(rest);
    application.Run();
    EXPECT_EQ(window.seen, (std::vector<UINT>{WM_APP, 0}));

    for (const bool question : {false, true}) {
        asks = question;
        window.seen.clear();
        ::PostMessageW(window.Handle(), WM_APP, 0, 0);
        ::PostMessageW(window.Handle(), WM_KEYDOWN, VK_DOWN, 0);
        application.SetStartRemainder(rest);
        application.Run();
        const std::vector<UINT> expected = question ? std::vector<UINT>{WM_APP, 0}
                                                    : std::vector<UINT>{WM_APP, 0, WM_KEYDOWN};
        EXPECT_EQ(window.seen, expected) << question;
    }
}

}  // namespace
}  // namespace ricordex::win
