// The program as a user meets it: first run, settings at close, a damaged
// start, a read-only archive, and the archive left alone when nothing
// changed.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "support/archive_bytes.h"
#include "ui/main_form.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using ricordex::testing::BolloAuto;
using ricordex::testing::ReadBytes;
using ricordex::testing::WriteBytes;

class ProgramTest : public FreshProgram {};

TEST_F(ProgramTest, FirstRunCreatesTheArchiveShowsTheWindowAndWritesTheSettingsAtClose) {
    ProgramRun run(dir_.path());
    ASSERT_NE(run.MainWindow(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(run.MainWindow()));
    ASSERT_TRUE(std::filesystem::exists(archive_));
    EXPECT_EQ(std::filesystem::file_size(archive_), 0u);
    EXPECT_FALSE(Key()->ValueExists("Avvio"));  // nothing is written at start
    const auto written = std::filesystem::last_write_time(archive_);

    ASSERT_TRUE(run.CloseAndWait(10s));
    const std::wstring folder = dir_.path().wstring() + L"\\";
    EXPECT_EQ(Key()->ReadString("Suono"), folder + L"Suoni\\1.wav");
    EXPECT_EQ(Key()->ReadString("Dati"), folder + L"Ricordex.psc");
    EXPECT_EQ(Key()->ReadInteger("Avvio"), 3u);
    EXPECT_EQ(std::filesystem::last_write_time(archive_), written);
}

TEST_F(ProgramTest, ClosingWithoutChangesLeavesTheArchiveUntouched) {
    WriteBytes(archive_, BolloAuto());
    const auto written = std::filesystem::last_write_time(archive_);
    ProgramRun run(dir_.path());
    ASSERT_TRUE(run.CloseAndWait(10s));
    EXPECT_EQ(std::filesystem::last_write_time(archive_), written);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
}

// The daily start, into the notification area, makes no control: the
// common controls' library is loaded only when the window first opens.
TEST_F(ProgramTest, AStartIntoTheTrayLoadsTheControlsOnlyWhenTheWindowOpens) {
    WriteBytes(archive_, BolloAuto());
    SetAvvio(1);
    ProgramRun run(dir_.path());
    ASSERT_NE(run.MainWindow(), nullptr);
    EXPECT_FALSE(run.HasLoaded(L"comctl32.dll"));
    EXPECT_EQ(::FindWindowExW(run.MainWindow(), nullptr, WC_LISTVIEWW, nullptr), nullptr);

    ::PostMessageW(run.MainWindow(), ::RegisterWindowMessageW(ui::kShowMainWindowMessage), 0, 0);
    for (int i = 0; i < 200 && !::IsWindowVisible(run.MainWindow()); ++i) ::Sleep(25);
    ASSERT_TRUE(::IsWindowVisible(run.MainWindow()));
    HWND list = ::FindWindowExW(run.MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_TRUE(run.HasLoaded(L"comctl32.dll"));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

TEST_F(ProgramTest, AvvioKeepsItsLowByteAndDecidesTheWindowAtStart) {
    for (DWORD avvio : {259u, 256u, 1u, 2u, 7u}) {
        SetAvvio(avvio);
        ProgramRun run(dir_.path());
        ASSERT_NE(run.MainWindow(), nullptr) << avvio;
        const bool shown = (avvio & 0xFF) == 2 || (avvio & 0xFF) == 3;
        EXPECT_EQ(::IsWindowVisible(run.MainWindow()) != FALSE, shown) << avvio;
        ASSERT_TRUE(run.CloseAndWait(10s));
        EXPECT_EQ(Key()->ReadInteger("Avvio"), avvio & 0xFF);
    }
}

TEST_F(ProgramTest, StartedHiddenTheTrayIconBringsTheWindowBack) {
    SetAvvio(0);
    ProgramRun run(dir_.path());
    ASSERT_NE(run.TrayWindow(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(run.MainWindow()));
    // A left click on the icon, as the shell reports it.
    run.NotifyTray(WM_LBUTTONDOWN);
    run.NotifyTray(WM_LBUTTONUP);
    ::Sleep(::GetDoubleClickTime() + 500);
    EXPECT_TRUE(::IsWindowVisible(run.MainWindow()));
    ASSERT_TRUE(run.CloseAndWait(10s));
}

TEST_F(ProgramTest, ASecondStartLeavesOneProgramAndShowsItsWindowNotAnotherProgramsOfTheSameKind) {
    SetAvvio(0);
    ProgramRun first(dir_.path());
    EXPECT_FALSE(::IsWindowVisible(first.MainWindow()));
    // Another program's window, newer and so found first, of a class named
    // as generically as a form's.
    WNDCLASSW generic{};
    generic.lpfnWndProc = ::DefWindowProcW;
    generic.hInstance = ::GetModuleHandleW(nullptr);
    generic.lpszClassName = L"TFMain";
    ::RegisterClassW(&generic);
    const struct Foreign {
        HWND window;
        ~Foreign() { ::DestroyWindow(window); }
    } foreign{::CreateWindowW(L"TFMain", L"Altro", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr)};
    ASSERT_NE(foreign.window, nullptr);
    ricordex::testing::TempDir elsewhere;
    ProgramRun second(elsewhere.path());
    for (int i = 0; i < 100 && second.Running(); ++i) ::Sleep(50);
    EXPECT_FALSE(second.Running());
    EXPECT_TRUE(first.Running());
    for (int i = 0; i < 40 && !::IsWindowVisible(first.MainWindow()); ++i) ::Sleep(50);
    EXPECT_TRUE(::IsWindowVisible(first.MainWindow()));
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "Ricordex.psc"));
    ASSERT_TRUE(first.CloseAndWait(10s));
}

// An installer or an update closes the program through the Restart
// Manager, then starts it again with the argument it registered: the
// program saves and ends without a question, comes back as at log-on (here
// in the tray), and a start by Windows beside a running copy ends without
// calling that copy's window forward.
TEST_F(ProgramTest, AnUpdateEndsTheProgramAndWindowsStartsItAgainInTheTray) {
    WriteBytes(archive_, BolloAuto());
    SetAvvio(1);
    {
        ProgramRun run(dir_.path());
        HWND window = run.MainWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
        ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        for (int i = 0; i < 100 && run.Running(); ++i) ::Sleep(50);
        EXPECT_FALSE(run.Running());
        EXPECT_TRUE(Key()->ValueExists("Suono")) << "the settings are written as at a close";
        EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    }
    ProgramRun again(dir_.path(), L"/riavvio");
    ASSERT_NE(again.MainWindow(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(again.MainWindow()));

    ricordex::testing::TempDir elsewhere;
    ProgramRun beside(elsewhere.path(), L"/riavvio");
    for (int i = 0; i < 100 && beside.Running(); ++i) ::Sleep(50);
    EXPECT_FALSE(beside.Running());
    ::Sleep(500);
    EXPECT_FALSE(::IsWindowVisible(again.MainWindow()));
    ASSERT_TRUE(again.CloseAndWait(10s));
}

TEST_F(ProgramTest, AReadOnlyArchiveLoadsWithoutABox) {
    WriteBytes(archive_, BolloAuto());
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    ProgramRun run(dir_.path());
    ASSERT_NE(run.MainWindow(), nullptr);
    EXPECT_EQ(run.WaitForMessageBox(L"Ricordex", 2s), nullptr);
    EXPECT_TRUE(::IsWindowVisible(run.MainWindow()));
    HWND list = ::FindWindowExW(run.MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    ASSERT_TRUE(run.CloseAndWait(10s));
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
}

TEST_F(ProgramTest, AvvioStoredAsTextIsReportedAndTheProgramRunsOn) {
    Key()->WriteString("Avvio", L"3");
    WriteBytes(archive_, BolloAuto());
    ProgramRun run(dir_.path());
    HWND box = run.WaitForMessageBox(L"Ricordex", 10s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), L"Invalid data type for 'Avvio'");
    ProgramRun::Press(box, IDOK);
    ASSERT_TRUE(run.CloseAndWait(10s));
    // The close writes the value back in its proper type.
    EXPECT_EQ(Key()->ReadInteger("Avvio"), 3u);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
}

// More events than the list shows at once: the vertical scroll bar takes
// its room from the description, and no sideways scrolling is needed.
TEST_F(ProgramTest, ThirtyEventsScrollDownOnlyWithEveryColumnWhole) {
    SetAvvio(2);
    std::string rows;
    for (int i = 0; i < 30; ++i) rows += ricordex::testing::Record({"Evento " + std::to_string(i), "1 giorno prima",
                                                                    "15/03", "08.00", "Ogni ora", "Annuale",
                                                                    "01/01/1900 00.01"});
    WriteBytes(archive_, rows);
    ProgramRun run(dir_.path());
    HWND list = ::FindWindowExW(run.MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_TRUE(::IsWindowVisible(list));
    const LONG_PTR style = ::GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_NE(style & WS_VSCROLL, 0);
    EXPECT_EQ(style & WS_HSCROLL, 0);
    ASSERT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
