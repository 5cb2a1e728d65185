// The archive among other programs, on Wine's files: one Wine server
// enforces sharing modes even between handles of one process, so another
// program is played by another handle, released from another thread.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/archive_follow.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "core/retrying_files.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/fakes.h"
#include "support/flaky_files.h"
#include "support/temp_dir.h"
#include "win/archive_files.h"
#include "win/unique_handle.h"

namespace ricordex::win {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

// Another program's handle on a file, closed from another thread after `hold`.
class HeldByAnother {
public:
    HeldByAnother(const std::filesystem::path& path, DWORD access, DWORD share, DWORD flags,
                  std::chrono::milliseconds hold)
        : handle_(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_ALWAYS, flags, nullptr)),
          closer_([this, hold] {
              std::this_thread::sleep_for(hold);
              ::CloseHandle(handle_);
          }) {}
    ~HeldByAnother() { closer_.join(); }
    HeldByAnother(const HeldByAnother&) = delete;
    HeldByAnother& operator=(const HeldByAnother&) = delete;

    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
    std::thread closer_;
};

// One running program: its state, and its services on its own files.
struct Program {
    explicit Program(ArchiveFiles& files, const std::filesystem::path& archive) : services{registry, files, clock, questions, L""} {
        registry.keys[kSettingsKey]["Dati"] = archive.wstring();
        services.report = [this](const std::string& text) { told.push_back(text); };
    }
    void Start() { StartUp(state, services, [this](const std::string& text) { told.push_back(text); }); }
    void Add(const std::string& description) {
        state.list.AggiungiRiga({description, "", "", "", "", "", ""}, 0);
        state.modificato = true;
    }

    FakeRegistry registry;
    FakeClock clock;
    FakeQuestions questions;
    Services services;
    ProgramState state;
    std::vector<std::string> told;
};

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class AmongOthers : public ::testing::Test {
protected:
    AmongOthers() { WriteBytes(archive_, BolloAuto()); }
    std::size_t Events() {
        EventList rows;
        ReloadArchive(rows, plain_, archive_);
        return rows.Count();
    }

    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    Win32ArchiveFiles plain_;
    RetryingArchiveFiles files_{plain_};  // waits for real
};

// A scanner or another program reads the archive and lets nobody replace it
// for half a second: the save waits for it, and then goes through.
TEST_F(AmongOthers, ASaveWaitsForAReaderThatLetsNobodyReplaceTheArchive) {
    Program program(files_, archive_);
    program.Start();
    program.Add("nuovo");
    const auto start = std::chrono::steady_clock::now();
    {
        const HeldByAnother reader(archive_, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL, 500ms);
        ASSERT_TRUE(reader.Held());
        SaveOnClose(program.state, program.services);
    }
    EXPECT_GE(MillisecondsSince(start), 400);
    EXPECT_EQ(Events(), 2u);
    EXPECT_FALSE(program.state.modificato);
    EXPECT_TRUE(program.told.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.old"));
}

// Two PCs' programs on one archive: one's read, held open, stops neither the
// other's read nor its save, and each follows the other. Without waiting:
// their files try every step once.
TEST_F(AmongOthers, TwoProgramsReadTheArchiveAtOnceAndSaveWhileTheOtherReads) {
    Win32ArchiveFiles firstFiles, secondFiles;
    Program first(firstFiles, archive_), second(secondFiles, archive_);
    first.Start();
    std::unique_ptr<InputFile> reading = firstFiles.OpenExisting(archive_);
    second.Start();
    EXPECT_EQ(second.state.list.Count(), 1u);
    second.Add("dal secondo");
    SaveOnClose(second.state, second.services);
    EXPECT_EQ(Events(), 2u);
    reading.reset();
    // Both follow the archive while the other reads it.
    reading = secondFiles.OpenExisting(archive_);
    EXPECT_TRUE(FollowArchive(first.state, first.services));
    EXPECT_EQ(first.state.list.Count(), 2u);
    first.Add("dal primo");
    reading.reset();
    SaveOnClose(first.state, first.services);
    reading = firstFiles.OpenExisting(archive_);
    EXPECT_TRUE(FollowArchive(second.state, second.services));
    EXPECT_EQ(second.state.list.Count(), 3u);
    EXPECT_TRUE(first.told.empty());
    EXPECT_TRUE(second.told.empty());
}

// Windows keeps the name of a deleted file until its last handle closes:
// while another program still reads the archive a save replaced, the next
// save cannot put the archive under the backup name (access denied), and
// waits until the reader lets go.
TEST_F(AmongOthers, ASaveWaitsForTheLastReaderOfTheArchiveBeforeTheLastSave) {
    Program program(files_, archive_);
    program.Start();
    const auto start = std::chrono::steady_clock::now();
    {
        const HeldByAnother reader(archive_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   FILE_ATTRIBUTE_NORMAL, 500ms);
        ASSERT_TRUE(reader.Held());
        program.Add("primo");
        SaveOnClose(program.state, program.services);
        program.Add("secondo");
        SaveOnClose(program.state, program.services);
    }
    EXPECT_EQ(Events(), 3u);
    EXPECT_FALSE(program.state.modificato);
    EXPECT_LT(MillisecondsSince(start), 2500);
}

// Another program saving holds the lock: the save waits and goes through.
TEST_F(AmongOthers, ASaveWaitsForTheLockOfAnotherProgramsSave) {
    Program program(files_, archive_);
    program.Start();
    program.Add("nuovo");
    const auto start = std::chrono::steady_clock::now();
    {
        const HeldByAnother lock(dir_ / "Ricordex.psc.lock", GENERIC_WRITE, 0,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, 500ms);
        ASSERT_TRUE(lock.Held());
        SaveOnClose(program.state, program.services);
    }
    EXPECT_GE(MillisecondsSince(start), 400);
    EXPECT_EQ(Events(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.lock"));
}

TEST_F(AmongOthers, AReadOnlyArchiveLoadsAndItsSaveIsRefusedOnceWithoutWaiting) {
    ASSERT_TRUE(::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY));
    Program program(files_, archive_);
    program.Start();
    EXPECT_EQ(program.state.list.Count(), 1u);
    program.Add("nuovo");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorText<ReadOnlyFileError>([&] { SaveOnClose(program.state, program.services); }),
              "L'archivio \"" + PathText(archive_) +
                  "\" \xE8 di sola lettura: le modifiche non sono salvate e restano solo nell'elenco.");
    SaveOnClose(program.state, program.services);  // told once a run
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_TRUE(program.state.modificato);
    EXPECT_TRUE(program.told.empty());
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1) << "no .bak, .new, .lock";
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The swap's steps on Wine's own calls, failing as ReplaceFileW does with
// 1177: moved back when it can be; left under the backup name, with the new
// file kept, when it cannot, and taken back by the next start.
TEST_F(AmongOthers, AReplaceThatStopsHalfWayLosesNothing) {
    Win32SwapSteps real;
    FaultySwapSteps steps(real);
    steps.failAt = 3;
    steps.code = InOutError::kUnableToMoveReplacement2;
    Win32ArchiveFiles faulty(steps);
    CountedWaits waits;
    RetryingArchiveFiles files(faulty, waits.Sleep());
    Program program(files, archive_);
    program.Start();
    program.Add("nuovo");
    SaveOnClose(program.state, program.services);
    EXPECT_EQ(Events(), 2u) << "moved back, then replaced";

    steps.called.clear();
    steps.times = 100;
    program.Add("ancora");
    EXPECT_THROW(SaveOnClose(program.state, program.services), HalfDoneSwapError);
    EXPECT_FALSE(std::filesystem::exists(archive_));
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.old").size(), 2 * 164u);
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.new").size(), 3 * 164u);

    Program next(plain_, archive_);
    next.clock.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
    next.Start();
    EXPECT_EQ(next.state.list.Count(), 2u);
    ASSERT_EQ(next.told.size(), 1u);
    EXPECT_NE(next.told[0].find("ripreso da"), std::string::npos) << next.told[0];
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.20261207-094130.bak").size(), 3 * 164u);
    steps.failAt = 0;
    SaveOnClose(program.state, program.services);  // the first program's next close
    EXPECT_EQ(Events(), 3u);
}

// Another program's save lands where the archive was missing: the move in
// does not replace it (MoveFileExW without MOVEFILE_REPLACE_EXISTING).
TEST_F(AmongOthers, ANewFileMovedInNeverReplacesAnArchiveThatAppeared) {
    std::filesystem::remove(archive_);
    Win32SwapSteps real;
    FaultySwapSteps steps(real);
    steps.beforeMove = [&] { WriteBytes(archive_, BolloAuto()); };
    Win32ArchiveFiles files(steps);
    EventList list;
    list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    EXPECT_THROW(ScriviRecord(list, files, archive_), TargetAppearedError);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
}

TEST_F(AmongOthers, ABackupLeftByAnEarlierSaveDoesNotStopTheNext) {
    WriteBytes(dir_ / "Ricordex.psc.old", "rimasto");
    EventList list;
    LoadOrCreateArchive(list, plain_, archive_);
    list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    ScriviRecord(list, plain_, archive_);
    EXPECT_EQ(Events(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.old"));
}

}  // namespace
}  // namespace ricordex::win
