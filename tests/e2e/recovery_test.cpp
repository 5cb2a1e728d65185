// A crash or a power cut loses nothing confirmed since the last save: the
// real program, ended without a close after an event was added with real
// keys, offers the change back at its next start; so does one whose save
// was refused at every close. A lock left behind is saved through, and told.

#include <algorithm>
#include <string>
#include <vector>

#include "core/archive.h"
#include "core/archive_lock.h"
#include "core/std_archive_files.h"
#include "e2e/program_in_use.h"
#include "win/system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using ricordex::testing::ReadBytes;

class CrashRecovery : public ProgramInUse {
protected:
    // Adds an event with the keyboard, then ends the program as a crash
    // would; returns the new event's description, as the program kept it.
    std::string AddEventAndKill() {
        const std::string added = AddEvent();
        run_->Kill();
        EXPECT_EQ(ReadBytes(archive_), kEvents) << "the kill left the archive as it was";
        return added;
    }
    // Adds an event with the keyboard; returns its description, as the
    // program kept it in the recovery file.
    std::string AddEvent() {
        Start();
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusedName() == L"Nuovo Evento"; }));
        PressKey(VK_SPACE);
        EXPECT_TRUE(WaitUntil([&] { return EditorOpen(L"Inserisci"); }));
        EXPECT_TRUE(WaitUntil([&] { return ProgramRun::Text(Focused()) == L"Nuovo evento"; }));
        PressKeys({VK_HOME});
        PressKey(VK_END, {VK_SHIFT});
        TypeKeys("dentista");
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !Shown(Editor()) && Rows() == 4; }));
        // Written after the change, not at a close.
        EXPECT_TRUE(WaitUntil([&] { return Kept().size() == 4; }));
        for (const std::string& description : Kept()) {
            if (description != "Affitto" && description != "Bollo auto" && description != "Canone") return description;
        }
        return {};
    }
    // The descriptions in the recovery file, or none while it cannot be read.
    std::vector<std::string> Kept() const {
        std::vector<std::string> descriptions;
        try {
            StdArchiveFiles files;
            EventList rows;
            ReloadArchive(rows, files, recovery_);
            for (std::size_t i = 0; i < rows.Count(); ++i) descriptions.emplace_back(rows.At(i).Text(kDescrizione));
        } catch (const Error&) {
        }
        return descriptions;
    }
    std::vector<std::wstring> Descriptions() const {
        std::vector<std::wstring> descriptions;
        for (int row = 0; row < Rows(); ++row) descriptions.push_back(ProgramRun::Item(List(), row).text);
        return descriptions;
    }
    // The next start: the question about the changes, in front for the keys.
    HWND Restart() {
        run_ = std::make_unique<ProgramRun>(dir_.path());
        HWND question = run_->WaitForMessageBox(L"Ripristino Modifiche", 10s);
        if (question == nullptr) return nullptr;
        EXPECT_EQ(ProgramRun::MessageBoxText(question), L"Ripristinare le modifiche non salvate?");
        EXPECT_TRUE(Shown(Main())) << "asked over the window, which a start shows first";
        EXPECT_TRUE(WaitUntil([&] { return Active() == question; })) << "the keys go to the question";
        return question;
    }
    // Asks to close, and answers "Sì" to "Salvare le modifiche?".
    void CloseSaving() {
        ::PostMessageW(Main(), WM_CLOSE, 0, 0);
        HWND save = run_->WaitForMessageBox(L"Conferma Modifiche", 5s);
        ASSERT_NE(save, nullptr);
        PressKey(VK_RETURN);
    }
};

TEST_F(CrashRecovery, AnEventAddedBeforeAKillIsOfferedAtTheNextStartAndYesBringsItBack) {
    const std::string added = AddEventAndKill();
    ASSERT_FALSE(added.empty());
    HWND question = Restart();
    ASSERT_NE(question, nullptr);
    PressKey(VK_RETURN);  // "Sì"
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question) && Shown(Main()) && Rows() == 4; }));
    const std::vector<std::wstring> shown = Descriptions();
    EXPECT_NE(std::find(shown.begin(), shown.end(), std::wstring(added.begin(), added.end())), shown.end());
    EXPECT_EQ(ReadBytes(archive_), kEvents) << "saved only when the user says so";

    // Unsaved as before the crash: the close asks, and the save removes it.
    ::PostMessageW(Main(), WM_CLOSE, 0, 0);
    HWND save = run_->WaitForMessageBox(L"Conferma Modifiche", 5s);
    ASSERT_NE(save, nullptr);
    PressKey(VK_RETURN);  // "Sì"
    ASSERT_TRUE(WaitUntil([&] { return !run_->Running(); }, 10s));
    EXPECT_EQ(std::filesystem::file_size(archive_), 4 * 164u);
    EXPECT_FALSE(std::filesystem::exists(recovery_));
}

TEST_F(CrashRecovery, NoKeepsTheArchivesEventsAndSetsTheChangesAside) {
    ASSERT_FALSE(AddEventAndKill().empty());
    HWND question = Restart();
    ASSERT_NE(question, nullptr);
    AnswerNo(question);
    ASSERT_TRUE(WaitUntil([&] { return Shown(Main()) && Rows() == 3; }));
    EXPECT_FALSE(std::filesystem::exists(recovery_));
    int setAside = 0;
    for (const auto& file : std::filesystem::directory_iterator(recovery_.parent_path())) {
        const std::wstring name = file.path().filename().wstring();
        if (name.starts_with(L"Ricordex-recupero.psc.") && name.ends_with(L".scartato")) ++setAside;
    }
    EXPECT_EQ(setAside, 1);
    ASSERT_TRUE(run_->CloseAndWait(10s)) << "nothing unsaved: no question";
    EXPECT_EQ(ReadBytes(archive_), kEvents);
}

// A save refused at every close (here a lock that nobody lets go, as a PC
// that crashed on a share leaves it): one box says so and keeps the change;
// the next close ends the program, and the next start offers it back.
TEST_F(CrashRecovery, ACloseWhoseSaveIsRefusedEndsAtTheNextCloseAndTheNextStartOffersTheChange) {
    const std::string added = AddEvent();
    ASSERT_FALSE(added.empty());
    std::filesystem::path lock = archive_;
    lock += L".lock";
    const HANDLE held = ::CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    CloseSaving();
    HWND refused = run_->WaitForMessageBox(L"Ricordex", 30s);
    ASSERT_NE(refused, nullptr);
    EXPECT_NE(ProgramRun::MessageBoxText(refused).find(L"Le modifiche restano nel file di recupero"),
              std::wstring::npos)
        << ProgramRun::MessageBoxText(refused);
    ProgramRun::Press(refused, IDOK);
    EXPECT_TRUE(run_->Running());
    CloseSaving();
    EXPECT_TRUE(WaitUntil([&] { return !run_->Running(); }, 30s)) << "the second close ends it, without a box";
    ::CloseHandle(held);
    ASSERT_FALSE(run_->Running());
    EXPECT_EQ(ReadBytes(archive_), kEvents);

    HWND question = Restart();
    ASSERT_NE(question, nullptr);
    PressKey(VK_RETURN);  // "Sì"
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question) && Rows() == 4; }));
    const std::vector<std::wstring> shown = Descriptions();
    EXPECT_NE(std::find(shown.begin(), shown.end(), std::wstring(added.begin(), added.end())), shown.end());
}

// A lock left by a program of this PC that no longer runs (a share's server
// may keep it open): "Chiudi" saves all the same, and says so once saved, as
// information, with the lock it ignored.
TEST_F(CrashRecovery, ALockLeftBehindIsTakenOverAndToldAsInformationOnceSaved) {
    ASSERT_FALSE(AddEvent().empty());
    std::filesystem::path lock = archive_;
    lock += L".lock";
    win::UniqueFile held(
        ::CreateFileW(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held);
    const std::string owner = LockOwnerText({win::WideToCp1252(win::ComputerName()), 0x7FFFFFFC, 1796821380});
    DWORD written = 0;
    ::WriteFile(held.get(), owner.data(), static_cast<DWORD>(owner.size()), &written, nullptr);

    ClickOn(::FindWindowExW(Main(), nullptr, L"BUTTON", L"Chiudi"));
    HWND save = run_->WaitForMessageBox(L"Conferma Modifiche", 5s);
    ASSERT_NE(save, nullptr);
    PressKey(VK_RETURN);
    HWND told = run_->WaitForMessageBox(L"Ricordex", 30s);
    ASSERT_NE(told, nullptr);
    const std::wstring text = ProgramRun::MessageBoxText(told);
    EXPECT_NE(text.find(L"\" (processo 2147483644, non pi\u00F9 in esecuzione) dal "), std::wstring::npos) << text;
    EXPECT_NE(text.find(L", \u00E8 stato ignorato. L'archivio \u00E8 stato salvato."), std::wstring::npos) << text;
    ProgramRun::Press(told, IDOK);
    held.reset();
    EventList saved;
    StdArchiveFiles files;
    ReloadArchive(saved, files, archive_);
    EXPECT_EQ(saved.Count(), 4u);
}

}  // namespace
}  // namespace ricordex::e2e
