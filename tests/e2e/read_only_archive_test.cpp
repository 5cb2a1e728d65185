// A read-only archive, as the user meets it: loaded as any other; a save is
// refused with one box that names the file, and nothing is written.

#include "e2e/program_in_use.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

class ReadOnlyArchiveTest : public ProgramInUse {
protected:
    void SetUp() override {
        ProgramInUse::SetUp();
        ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // Asks to close, and answers "Sì" to "Salvare le modifiche?".
    void CloseSaving(ProgramRun& run) {
        ::PostMessageW(Main(), WM_CLOSE, 0, 0);
        HWND question = run.WaitForMessageBox(L"Conferma Modifiche", 5s);
        ASSERT_NE(question, nullptr);
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question); }));
    }
};

TEST_F(ReadOnlyArchiveTest, TheSaveIsRefusedWithOneBoxAndTheNextCloseEndsWithoutAnother) {
    ProgramRun& run = Start();
    ASSERT_EQ(Rows(), 3);
    PressKeys({VK_DOWN, VK_DELETE});
    HWND question = run.WaitForMessageBox(L"Conferma Eliminazione", 5s);
    ASSERT_NE(question, nullptr);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 2; }));

    CloseSaving(run);
    HWND refused = run.WaitForMessageBox(L"Ricordex", 5s);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(refused),
              L"L'archivio \"" + archive_.wstring() +
                  L"\" \u00E8 di sola lettura: le modifiche non sono salvate e restano solo nell'elenco.");
    ProgramRun::Press(refused, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(refused); }));
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(Rows(), 2) << "the change stays in the list";

    CloseSaving(run);
    ASSERT_TRUE(WaitUntil([&] { return !run.Running(); }, 10s));
    EXPECT_EQ(ReadBytes(archive_), kEvents);
    for (const auto& file : std::filesystem::directory_iterator(dir_.path())) {
        const std::wstring name = file.path().filename().wstring();
        EXPECT_FALSE(name.starts_with(L"Ricordex.psc.")) << "nothing written beside it";
    }
}

}  // namespace
}  // namespace ricordex::e2e
