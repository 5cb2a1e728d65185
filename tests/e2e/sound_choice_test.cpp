// "Seleziona File" in the options: the file chosen in the dialog becomes
// the alarm sound, with its whole path.

#include "e2e/program_in_use.h"

#include <commdlg.h>
#include <dlgs.h>

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;

class SoundChoiceTest : public ProgramInUse {};

TEST_F(SoundChoiceTest, TheFileChosenInTheDialogBecomesTheSoundAndACancelLeavesIt) {
    // (Wine's dialog takes no path longer than MAX_PATH: this one is shorter.)
    const std::filesystem::path folder = dir_.path() / std::wstring(95, L'a');
    std::filesystem::create_directories(folder);
    const std::filesystem::path sound = folder / L"Campanello.wav";
    std::filesystem::copy_file(BuiltProgram().parent_path() / L"Suoni" / L"1.wav", sound);

    ProgramRun& run = Start();
    ClickOn(ProgramRun::Control(Main(), L"Opzioni"));
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    HWND suono = ::GetDlgItem(Options(), ui::TFOpzioni::kESuono);
    const std::wstring before = ProgramRun::Text(suono);

    ClickOn(ProgramRun::Control(Options(), L"Seleziona File"));
    HWND picker = run.WaitForMessageBox(L"Seleziona Suono", 10s);
    ASSERT_NE(picker, nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
    EXPECT_EQ(ProgramRun::Text(suono), before) << "a cancel leaves the sound as it was";

    ClickOn(ProgramRun::Control(Options(), L"Seleziona File"));
    picker = run.WaitForMessageBox(L"Seleziona Suono", 10s);
    ASSERT_NE(picker, nullptr);
    // The name as pasted into the file name box, which has the focus, then Enter.
    ASSERT_TRUE(WaitUntil([&] { return ::IsChild(::GetDlgItem(picker, cmb13), run.Focus()) != FALSE; }));
    ::SendMessageW(run.Focus(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sound.c_str()));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));
    EXPECT_EQ(ProgramRun::Text(suono), sound.wstring());
    ASSERT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
