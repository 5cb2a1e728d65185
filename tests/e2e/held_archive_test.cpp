// An archive another program holds whole (no sharing: a backup tool, a
// sync client rewriting it) while the program starts: the start says so,
// and once it is let go the next ticks read it, alert its due event and
// list its events.

#include <windows.h>
#include <commctrl.h>

#include "e2e/due_event.h"
#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "e2e/user_input.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;

class HeldArchive : public FreshProgram {};

TEST_F(HeldArchive, AnArchiveHeldAtStartIsReadOnceLetGoAndItsDueEventAlerted) {
    SetAvvio(2);
    const DueEvent due = EventDueWithinTheHour("Dentista");
    ricordex::testing::WriteBytes(archive_, ricordex::testing::BolloAuto() + due.record);
    const HANDLE held = ::CreateFileW(archive_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    ProgramRun run(dir_.path());
    HWND error = run.WaitForMessageBox(L"Ricordex", 10s);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(error),
              L"Il file \"" + archive_.wstring() +
                  L"\" \u00E8 in uso da un altro programma (un antivirus, la sincronizzazione, l'altro PC) o non "
                  L"\u00E8 accessibile, e lo \u00E8 rimasto per i 2 secondi dei tentativi (I/O error 32): "
                  L"riprovare pi\u00F9 tardi.");
    // Over the window the settings ask for, not alone on the desktop.
    EXPECT_TRUE(::IsWindowVisible(run.MainWindow()));
    wchar_t title[64] = {};
    ::GetWindowTextW(run.MainWindow(), title, 64);
    EXPECT_STREQ(title, L"Ricordex - promemoria delle scadenze");
    ASSERT_TRUE(WaitUntil([&] { return run.ActiveWindow() == error; }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(error); }));
    ::CloseHandle(held);

    // Within two of the program's ten-second ticks.
    HWND alert = run.WaitForMessageBox(L"Avviso Scadenza", 25s);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(alert), due.alert);
    ASSERT_TRUE(WaitUntil([&] { return run.ActiveWindow() == alert; }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(alert); }));
    ASSERT_TRUE(::IsWindowVisible(run.MainWindow()));
    HWND list = ::FindWindowExW(run.MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ProgramRun::Item(list, 0).text, L"Bollo auto");
    EXPECT_EQ(ProgramRun::Item(list, 1).text, L"Dentista");
    ASSERT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
