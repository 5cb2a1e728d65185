// Accented letters, the archive's and the program's own, shown as written
// and kept byte for byte whatever code page this PC's ANSI functions use:
// these tests run again under a Russian setting (code page 1251 under Wine).

#include "e2e/program_in_use.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

// A row as the program itself writes it: unused bytes are zeros.
std::string Written(const std::string& description) {
    return Record({description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"}, '\0');
}

class AccentedTextTest : public ProgramInUse {
protected:
    void SetUp() override {
        ProgramInUse::SetUp();
        WriteBytes(archive_, kArchive);
    }
    std::wstring Description(int row) const { return ProgramRun::Item(List(), row).text; }

    // In the order of the list: by description.
    const std::string kArchive = Written("Caff\xE8") + Written("Perch\xE9 no") + Written("Tiramis\xF9 \x80 5");
};

TEST_F(AccentedTextTest, TheArchivesLettersAreShownEditedAndWrittenBackByteForByte) {
    ProgramRun& run = Start();
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Description(0), L"Caff\u00E8");
    EXPECT_EQ(Description(1), L"Perch\u00E9 no");
    EXPECT_EQ(Description(2), L"Tiramis\u00F9 \u20AC 5");

    // The question joins the program's words and the row's.
    PressKeys({VK_DOWN, VK_DELETE});
    HWND question = run.WaitForMessageBox(L"Conferma Eliminazione", 5s);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(question), L"Eliminare: Caff\u00E8 del 15/03");
    AnswerNo(question);

    // Through the editor's box and back, unchanged.
    ASSERT_TRUE(WaitUntil([&] { return Active() == Main() && Focused() == List(); }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Modifica"); }));
    EXPECT_TRUE(WaitUntil([&] { return ProgramRun::Text(Focused()) == L"Caff\u00E8"; })) << "the description";
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));
    EXPECT_EQ(Description(0), L"Caff\u00E8");

    ::PostMessageW(Main(), WM_CLOSE, 0, 0);
    if (HWND save = run.WaitForMessageBox(nullptr, 3s)) {
        EXPECT_EQ(ProgramRun::MessageBoxText(save), L"Salvare le modifiche?");
        PressKey(VK_RETURN);  // "Sì"
    }
    ASSERT_TRUE(WaitUntil([&] { return !run.Running(); }, 10s));
    EXPECT_EQ(ReadBytes(archive_), kArchive);
}

}  // namespace
}  // namespace ricordex::e2e
