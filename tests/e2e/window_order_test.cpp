// The program's windows in the order a user expects: a dialog or a box
// stays in front of the window it belongs to, whatever is clicked, and the
// box that keeps the program waiting is the one that answers the keys.

#include "core/date_time.h"
#include "e2e/program_in_use.h"
#include "win/system.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using ricordex::testing::Record;
using ricordex::testing::WriteBytes;

// True when `front` comes before `behind` in the order of windows on screen.
bool InFrontOf(HWND front, HWND behind) {
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == front) return true;
        if (w == behind) return false;
    }
    return false;
}

// An event due within the hour, alerted at the first examination.
std::string DueEvent(const std::string& description) {
    const FormatSettings settings = ProgramFormatSettings();
    const DateTime now = win::SystemClock().Now();
    DateTime event = now + 1.0 / 24;
    const int year = DecodeDateTime(now).year;
    if (DecodeDateTime(event).year != year) event = EncodeDateTime({year, 12, 31, 23, 59, 0, 0});
    return Record({description, "1 giorno prima", FormatDateTime(kDatePattern, event, settings),
                   FormatDateTime(kTimePattern, event, settings), "Avvio Computer", "Annuale",
                   std::string(kInitialStamp)});
}

// A window of another program, brought to the foreground.
class ForeignWindow {
public:
    ForeignWindow() {
        WNDCLASSW other{};
        other.lpfnWndProc = ::DefWindowProcW;
        other.hInstance = ::GetModuleHandleW(nullptr);
        other.lpszClassName = L"AltroProgramma";
        ::RegisterClassW(&other);
        window_ = ::CreateWindowW(L"AltroProgramma", L"Altro", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(window_);
    }
    ~ForeignWindow() { ::DestroyWindow(window_); }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

private:
    HWND window_;
};

class WindowOrderTest : public ProgramInUse {
protected:
    // A click on the main window's caption, left of anything centred on it.
    void ClickMainCaption() {
        RECT r{};
        ::GetWindowRect(Main(), &r);
        ClickAt({r.left + 60, r.top + ::GetSystemMetrics(SM_CYCAPTION) / 2 + 2});
    }
    HWND OpenMenu() const { return ::FindWindowW(L"#32768", nullptr); }
};

TEST_F(WindowOrderTest, TheTrayMenuOrACloseDuringAnAlertLeavesTheAlertInFrontAndAnsweringEnter) {
    WriteBytes(archive_, kEvents + DueEvent("Dovuto"));
    run_ = std::make_unique<ProgramRun>(dir_.path());
    HWND alert = run_->WaitForMessageBox(L"Avviso Scadenza", 10s);
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Active() == alert; }));

    run_->NotifyTray(WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return OpenMenu() != nullptr && Shown(OpenMenu()); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return OpenMenu() == nullptr || !Shown(OpenMenu()); }));

    EXPECT_TRUE(WaitUntil([&] { return Active() == alert; })) << "the alert, not the window it keeps waiting";
    EXPECT_TRUE(InFrontOf(alert, Main()));
    // "Interrompi Esecuzione" (or an uninstaller) asks the window to close:
    // the alert is answered first.
    ::PostMessageW(Main(), WM_CLOSE, 0, 0);
    ::Sleep(500);
    ASSERT_TRUE(::IsWindow(alert));
    EXPECT_EQ(Active(), alert);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !run_->Running(); }, 10s)) << "answered, the close goes ahead";
}

// While an alert waits, the program's other windows wait for it too.
TEST_F(WindowOrderTest, DuringAnAlertTheTrayMenuOpensNoDialogOverIt) {
    WriteBytes(archive_, kEvents + DueEvent("Dovuto"));
    run_ = std::make_unique<ProgramRun>(dir_.path());
    HWND alert = run_->WaitForMessageBox(L"Avviso Scadenza", 10s);
    ASSERT_NE(alert, nullptr);
    // "Nuova Scadenza" from the tray menu, with the keys: the alert comes forward.
    run_->NotifyTray(WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return OpenMenu() != nullptr && Shown(OpenMenu()); }));
    PressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return OpenMenu() == nullptr || !Shown(OpenMenu()); }));
    ::Sleep(500);
    EXPECT_FALSE(Shown(Editor())) << "no dialog over the alert";
    EXPECT_TRUE(WaitUntil([&] { return Active() == alert; }));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(alert); }));
    ASSERT_TRUE(run_->CloseAndWait(10s));
}

TEST_F(WindowOrderTest, TheWindowCalledFromTheTrayDuringAnAlertLeavesTheAlertAnswering) {
    Key()->WriteInteger("Avvio", 0);  // in the notification area
    WriteBytes(archive_, kEvents + DueEvent("Dovuto"));
    run_ = std::make_unique<ProgramRun>(dir_.path());
    HWND alert = run_->WaitForMessageBox(L"Avviso Scadenza", 10s);
    ASSERT_NE(alert, nullptr);
    run_->NotifyTray(WM_LBUTTONDOWN);
    run_->NotifyTray(WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return Shown(Main()); }));
    EXPECT_TRUE(WaitUntil([&] { return Active() == alert; }));
    EXPECT_TRUE(InFrontOf(alert, Main()));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(alert); }));
    ASSERT_TRUE(run_->CloseAndWait(10s));
}

TEST_F(WindowOrderTest, TheEditorGoesToTheTrayWithTheWindowAndComesBackWithIt) {
    ProgramRun& run = Start();
    ClickOn(ProgramRun::Control(Main(), L"Nuovo Evento"));
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    TypeKeys("mezza");
    ClickOn(ProgramRun::Control(Main(), L"Chiudi"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Main()); }));
    EXPECT_FALSE(Shown(Editor())) << "no dialog left alone on the desktop";
    run.NotifyTray(WM_LBUTTONDOWN);
    run.NotifyTray(WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return Shown(Main()); }));
    EXPECT_TRUE(WaitUntil([&] { return Shown(Editor()) && InFrontOf(Editor(), Main()) && Active() == Editor(); }))
        << "the half-done edit is back, in front and taking the keys";
    EXPECT_EQ(ProgramRun::Text(::FindWindowExW(Editor(), nullptr, L"EDIT", nullptr)), L"mezza");
    ClickOn(ProgramRun::Control(Editor(), L"Annulla"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

// A second start brings the first one's window forward: never above the
// question it is waiting on.
TEST_F(WindowOrderTest, ASecondStartDuringAQuestionBringsTheQuestionForward) {
    ProgramRun& run = Start();
    PressKeys({VK_DOWN, VK_DELETE});
    HWND question = run.WaitForMessageBox(L"Conferma Eliminazione", 5s);
    ASSERT_NE(question, nullptr);
    // Another program in front, as when the user starts Ricordex again.
    const ForeignWindow other;
    ASSERT_TRUE(WaitUntil([&] { return Active() == nullptr; }));
    ricordex::testing::TempDir elsewhere;
    ProgramRun second(elsewhere.path());
    ASSERT_TRUE(WaitUntil([&] { return !second.Running(); }));
    EXPECT_TRUE(WaitUntil([&] { return Active() == question; })) << "the question, not the window it keeps waiting";
    EXPECT_TRUE(InFrontOf(question, Main()));
    AnswerNo(question);
    EXPECT_EQ(Rows(), 3);
    ASSERT_TRUE(run.CloseAndWait(10s));
}

TEST_F(WindowOrderTest, ASecondStartDuringAnEditBringsTheEditorForward) {
    ProgramRun& run = Start();
    ClickOn(ProgramRun::Control(Main(), L"Nuovo Evento"));
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    const ForeignWindow other;
    ASSERT_TRUE(WaitUntil([&] { return Active() == nullptr; }));
    ricordex::testing::TempDir elsewhere;
    ProgramRun second(elsewhere.path());
    ASSERT_TRUE(WaitUntil([&] { return !second.Running(); }));
    EXPECT_TRUE(WaitUntil([&] { return Active() == Editor(); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

TEST_F(WindowOrderTest, AClickOnTheMainWindowLeavesTheEditorAndTheOptionsInFront) {
    Start();
    ClickOn(ProgramRun::Control(Main(), L"Nuovo Evento"));
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    ClickMainCaption();
    ASSERT_TRUE(WaitUntil([&] { return Active() == Main(); }));
    EXPECT_TRUE(Shown(Editor()));
    EXPECT_TRUE(WaitUntil([&] { return InFrontOf(Editor(), Main()); }));
    // And on the screen, where Wine shows the clicked window on top for a
    // moment: a click on the editor's button reaches it, not the list behind.
    ::Sleep(500);
    ClickOn(ProgramRun::Control(Editor(), L"Annulla"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));

    ClickOn(ProgramRun::Control(Main(), L"Opzioni"));
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    ClickMainCaption();
    ASSERT_TRUE(WaitUntil([&] { return Active() == Main(); }));
    EXPECT_TRUE(WaitUntil([&] { return InFrontOf(Options(), Main()); }));
    ClickOn(ProgramRun::Control(Options(), L"Annulla"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Options()); }));
    ASSERT_TRUE(run_->CloseAndWait(10s));
}

TEST_F(WindowOrderTest, TypingInANewEventReplacesTheDefaultTextUpToWhatTheArchiveKeeps) {
    Start();
    ClickOn(ProgramRun::Control(Main(), L"Nuovo Evento"));
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    HWND description = Focused();
    TypeKeys("pagare");
    EXPECT_TRUE(WaitUntil([&] { return ProgramRun::Text(description) == L"pagare"; }));
    TypeKeys(std::string(80, 'x'));
    const std::wstring full = L"pagare" + std::wstring(74, L'x');
    EXPECT_TRUE(WaitUntil([&] { return ProgramRun::Text(description) == full; }));
    ::Sleep(300);  // the keys after the 80th change nothing
    EXPECT_EQ(ProgramRun::Text(description), full);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));
    ASSERT_TRUE(run_->CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
