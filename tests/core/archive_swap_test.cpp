#include "core/archive_swap.h"

#include <gtest/gtest.h>

#include "core/archive.h"
#include "core/retrying_files.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/flaky_files.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;
using Steps = std::vector<std::string>;

class Swap : public ::testing::Test {
protected:
    Swap() {
        WriteBytes(archive_, BolloAuto());
        list_.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
        list_.AggiungiRiga({"altro", "", "", "", "", "", ""}, 0);
    }
    void Save() { ScriviRecord(list_, files_, archive_); }
    std::string Saved() const { return ReadBytes(archive_); }
    bool Beside(const char* suffix) const { return std::filesystem::exists(dir_ / ("Ricordex.psc" + std::string(suffix))); }

    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    StdSwapSteps realSteps_;
    FaultySwapSteps steps_{realSteps_};
    StdArchiveFiles std_{steps_};
    CountedWaits waits_;
    RetryingArchiveFiles files_{std_, waits_.Sleep()};
    EventList list_;
};

// ReplaceFileW's 1177: the archive went to its backup name and the new file
// did not take its place. The archive goes back, and the replace is tried
// again; the move back too, when it fails for a moment.
TEST_F(Swap, AReplaceThatStoppedHalfWayPutsTheArchiveBackAndIsTriedAgain) {
    steps_.failAt = 3;
    steps_.code = InOutError::kUnableToMoveReplacement2;
    Save();
    EXPECT_EQ(steps_.called, (Steps{"Exists", "CarryAttributes", "Replace", "Move", "Exists", "CarryAttributes",
                                    "Replace", "Remove"}));
    EXPECT_EQ(Saved().size(), 2 * 164u);

    WriteBytes(archive_, BolloAuto());
    steps_.called.clear();
    steps_.times = 2;  // the move back fails once too
    Save();
    EXPECT_EQ(steps_.called, (Steps{"Exists", "CarryAttributes", "Replace", "Move", "Move", "Exists",
                                    "CarryAttributes", "Replace", "Remove"}))
        << "the commit tried again carries on with the move back";
    EXPECT_EQ(Saved().size(), 2 * 164u);
    EXPECT_FALSE(Beside(".old"));
    EXPECT_FALSE(Beside(".new"));
}

TEST_F(Swap, AnArchiveThatCannotGoBackIsLeftUnderItsBackupNameAndTheNewFileIsKept) {
    steps_.failAt = 3;
    steps_.times = 100;
    steps_.code = InOutError::kUnableToMoveReplacement2;
    const std::string told = ErrorText<HalfDoneSwapError>([&] { Save(); });
    for (const char* name : {"Ricordex.psc\"", "Ricordex.psc.old\"", "Ricordex.psc.new\""}) {
        EXPECT_NE(told.find(name), std::string::npos) << told;
    }
    EXPECT_FALSE(std::filesystem::exists(archive_));
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.old"), BolloAuto());
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.new").size(), 2 * 164u) << "kept once the save gave up";

    // The next save finds no archive and moves its new file in.
    steps_.failAt = 0;
    Save();
    EXPECT_EQ(Saved().size(), 2 * 164u);
    EXPECT_FALSE(Beside(".new"));
}

TEST_F(Swap, AFileSystemThatCannotReplaceHasTheNewFileMovedOverTheArchive) {
    steps_.failAt = 3;
    steps_.code = 50;  // not supported
    Save();
    EXPECT_EQ(steps_.called, (Steps{"Exists", "CarryAttributes", "Replace", "Move"}));
    EXPECT_EQ(Saved().size(), 2 * 164u);
}

}  // namespace
}  // namespace ricordex
