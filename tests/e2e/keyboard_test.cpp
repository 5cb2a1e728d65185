// The program used with the keyboard, as a user of any Windows program
// would: real key presses (and a mouse click) through the window system's
// input, checked by what the user then sees and what the program keeps.

#include "e2e/program_in_use.h"
#include "win/application.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using ricordex::testing::ReadBytes;

class KeyboardTest : public ProgramInUse {};

TEST_F(KeyboardTest, DeleteAsksEveryTimeEnterEditsAndEscapeLeavesTheEventAlone) {
    ProgramRun& run = Start();
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return Selected() == 0; }));
    for (int time = 0; time < 2; ++time) {
        PressKey(VK_DELETE);
        HWND box = run.WaitForMessageBox(L"Conferma Eliminazione", 5s);
        ASSERT_NE(box, nullptr) << "Delete number " << time + 1;
        EXPECT_EQ(ProgramRun::MessageBoxText(box), L"Eliminare: Affitto del 15/03");
        AnswerNo(box);
        EXPECT_TRUE(WaitUntil([&] { return Active() == Main() && Focused() == List(); }));
    }
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Modifica"); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !Shown(Editor()) && Focused() == List(); }));
    EXPECT_EQ(Rows(), 3);
    ASSERT_TRUE(run.CloseAndWait(10s)) << "nothing changed: no question at close";
    EXPECT_EQ(ReadBytes(archive_), kEvents);
}

TEST_F(KeyboardTest, TabReachesTheButtonsAndEnterPressesTheFocusedOne) {
    ProgramRun& run = Start();
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Nuovo Evento"; }));
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    EXPECT_TRUE(WaitUntil([&] { return ProgramRun::Text(Focused()) == L"Nuovo evento"; }))
        << "the description first";
    PressKey(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Annulla"; }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));
    EXPECT_EQ(Rows(), 3) << "Enter on \"Annulla\" adds nothing";

    ASSERT_TRUE(WaitUntil([&] { return Active() == Main() && FocusedName() == L"Nuovo Evento"; }));
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
    PressKey(VK_RETURN);  // in the description
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()) && Rows() == 4; }));

    ::PostMessageW(Main(), WM_CLOSE, 0, 0);
    HWND question = run.WaitForMessageBox(nullptr, 5s);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(question), L"Salvare le modifiche?");
    PressKey(VK_RETURN);  // "Sì"
    ASSERT_TRUE(WaitUntil([&] { return !run.Running(); }, 10s));
    EXPECT_EQ(std::filesystem::file_size(archive_), 4 * 164u);
}

TEST_F(KeyboardTest, EnterOnAnnullaInTheOptionsAppliesNothing) {
    ProgramRun& run = Start();
    PressKeys({VK_TAB, VK_TAB, VK_TAB, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Opzioni"; }));
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    HWND suono = ::GetNextDlgTabItem(Options(), nullptr, FALSE);
    EXPECT_TRUE(WaitUntil([&] { return Focused() == suono; })) << "the sound field first";
    PressKeys({VK_TAB, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return FocusedName().starts_with(L"&Esecuzione automatica"); }));
    PressKey(VK_SPACE);  // ticks "Esecuzione automatica"
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(Focused(), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    PressKey(VK_TAB, {VK_SHIFT});
    PressKey(VK_TAB, {VK_SHIFT});
    PressKey(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Annulla"; }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Options()); }));
    EXPECT_FALSE(RunValueExists());
    ASSERT_TRUE(run.CloseAndWait(10s));
    EXPECT_EQ(Key()->ReadInteger("Avvio"), 2u);
}

TEST_F(KeyboardTest, AfterChiudiTheTrayIconBringsTheWindowBackWithTheListFocused) {
    ProgramRun& run = Start();
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return Selected() == 0; }));
    ClickOn(ProgramRun::Control(Main(), L"Chiudi"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Main()); }));
    // The tray menu, opened and closed: the hidden window takes no key.
    run.NotifyTray(WM_RBUTTONDOWN);
    ::Sleep(500);
    PressKeys({VK_ESCAPE, VK_DELETE});
    EXPECT_EQ(run.WaitForMessageBox(L"Conferma Eliminazione", 1s), nullptr);
    // A left click on the icon, as the shell reports it.
    run.NotifyTray(WM_LBUTTONDOWN);
    run.NotifyTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return Shown(Main()) && Active() == Main() && Focused() == List(); }));
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 1; })) << "the keys reach the list";
    ASSERT_TRUE(run.CloseAndWait(10s));
}

// The program's icon as Wine's taskbar shows it, the only one there: at the
// right end of the notification area, a small icon and its border wide.
POINT IconInNotificationArea() {
    RECT tray{};
    ::GetWindowRect(::FindWindowW(L"Shell_TrayWnd", nullptr), &tray);
    const int iconWidth = ::GetSystemMetrics(SM_CXSMICON) + 4;
    return {tray.right - iconWidth / 2, (tray.top + tray.bottom) / 2};
}

// The icon itself, clicked with the mouse: the shell's own notifications,
// in the form the program asked for (the version-4 one, which Wine sends too).
TEST_F(KeyboardTest, TheIconInTheNotificationAreaOpensTheMenuAndBringsTheWindowBack) {
    ProgramRun& run = Start();
    ClickOn(ProgramRun::Control(Main(), L"Chiudi"));
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Main()); }));
    auto openMenu = [] {
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        return menu != nullptr && ::IsWindowVisible(menu) ? menu : nullptr;
    };
    RightClickAt(IconInNotificationArea());
    ASSERT_TRUE(WaitUntil([&] { return openMenu() != nullptr; }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return openMenu() == nullptr; }));
    ::Sleep(500);
    EXPECT_EQ(openMenu(), nullptr);
    EXPECT_FALSE(Shown(Main()));

    ClickAt(IconInNotificationArea());
    EXPECT_TRUE(WaitUntil([&] { return Shown(Main()) && Active() == Main() && Focused() == List(); }));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

// The taskbar button stands for the application window; clicked, the
// taskbar brings that window to the foreground. The window in front of the
// program comes back active: the main window with its focused control, the
// options, or a question that keeps the main window waiting.
TEST_F(KeyboardTest, TheTaskbarButtonActivatesTheWindowInFront) {
    ProgramRun& run = Start();
    HWND application = run.Window(win::kApplicationClass);
    auto taskbarClick = [&] {
        ::SetForegroundWindow(::GetDesktopWindow());
        EXPECT_TRUE(WaitUntil([&] { return Active() == nullptr; }));
        ::SetForegroundWindow(application);
    };
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Nuovo Evento"; }));
    taskbarClick();
    EXPECT_TRUE(WaitUntil([&] { return Active() == Main() && FocusedName() == L"Nuovo Evento"; }));

    PressKeys({VK_TAB, VK_TAB, VK_TAB, VK_SPACE});  // "Opzioni"
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    taskbarClick();
    EXPECT_TRUE(WaitUntil([&] { return Active() == Options(); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Options()) && Active() == Main(); }));

    PressKey(VK_TAB, {VK_SHIFT});
    PressKey(VK_TAB, {VK_SHIFT});
    PressKey(VK_TAB, {VK_SHIFT});
    PressKey(VK_TAB, {VK_SHIFT});  // back to the list
    ASSERT_TRUE(WaitUntil([&] { return Focused() == List(); }));
    PressKeys({VK_DOWN, VK_DELETE});
    HWND question = run.WaitForMessageBox(L"Conferma Eliminazione", 5s);
    ASSERT_NE(question, nullptr);
    taskbarClick();
    EXPECT_TRUE(WaitUntil([&] { return Active() == question; }));
    AnswerNo(question);
    ASSERT_TRUE(run.CloseAndWait(10s));
}

TEST_F(KeyboardTest, TypingTheFirstLettersSelectsTheEvent) {
    ProgramRun& run = Start();
    TypeKeys("c");
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 2; }));
    ::Sleep(1500);  // a new search, not "cb"
    TypeKeys("bo");
    EXPECT_TRUE(WaitUntil([&] { return Selected() == 1; }));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
