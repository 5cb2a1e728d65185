#include "core/retrying_files.h"

#include <gtest/gtest.h>

#include "core/archive.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/flaky_files.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

class Retries : public ::testing::Test {
protected:
    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    StdArchiveFiles real_;
    CountedWaits waits_;
};

// Each kind of step waits its failures out: open, read, new file, commit,
// copy, rename (the program's loads, saves and copies are tried in
// tests/app/archive_retries_test.cpp).
TEST_F(Retries, EveryKindOfStepWaitsItsFailuresOut) {
    WriteBytes(archive_, BolloAuto());
    FlakyFiles flaky(real_, InOutError::kLockViolation, 2);
    RetryingArchiveFiles files(flaky, waits_.Sleep());
    EventList list;
    LoadOrCreateArchive(list, files, archive_);
    list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    ScriviRecord(list, files, archive_);
    files.CopyToNew(archive_, dir_ / "copia.bak");
    files.RenameToNew(dir_ / "copia.bak", dir_ / "copia.merged");
    EXPECT_EQ(ReadBytes(dir_ / "copia.merged").size(), 2 * 164u);
    EXPECT_EQ(flaky.failed.size(), 6u);
    EXPECT_EQ(waits_.total, 6 * (50ms + 100ms));
}

TEST_F(Retries, OtherFailuresAreRaisedAtOnce) {
    for (const int code : {InOutError::kDiskFull, InOutError::kFileNotFound, InOutError::kFileExists}) {
        FlakyFiles flaky(real_, code, 1);
        RetryingArchiveFiles files(flaky, waits_.Sleep());
        EXPECT_EQ(ErrorText<InOutError>([&] { files.CopyToNew(archive_, dir_ / "copia"); }), InOutError(code).what());
    }
    EXPECT_EQ(waits_.count, 0);
    // The archive read-only, or another program's archive where this one was missing.
    EXPECT_FALSE(ReadOnlyFileError(archive_).Transient());
    EXPECT_FALSE(TargetAppearedError().Transient());
}

// The reads of a file that stays refused are waited out every time: they
// run off the window's thread, or for a save, whose merge must not take a
// busy file for an unreadable one.
TEST_F(Retries, AReadRefusedForLongIsWaitedOutEachTime) {
    WriteBytes(archive_, BolloAuto());
    FlakyFiles flaky(real_, InOutError::kAccessDenied, 8);
    RetryingArchiveFiles files(flaky, waits_.Sleep());
    EXPECT_THROW(files.OpenExisting(archive_), InOutError);
    EXPECT_EQ(waits_.total, 2000ms);
    EXPECT_NE(files.OpenExisting(archive_), nullptr) << "the ninth try, after waiting again";
    EXPECT_EQ(waits_.total, 2050ms);
}

}  // namespace
}  // namespace ricordex
