// The looks at the archive on their own thread: a folder that hangs keeps
// only the look waiting, and one that does not answer is left alone for
// longer each time.

#include "app/archive_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/hanging_files.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;
using namespace std::chrono_literals;
using Moment = ArchiveWatch::Moment;

class ArchiveWatchTest : public ::testing::Test {
protected:
    ArchiveWatchTest() { WriteBytes(archive_, BolloAuto()); }
    ~ArchiveWatchTest() override { hanging_.LetGo(); }

    // The result of the look under way, waiting for it as the window
    // waits for its message; taken at `now`.
    std::optional<ArchiveLook> Result(Moment now) {
        for (int i = 0; i < 500 && looked_ == 0; ++i) std::this_thread::sleep_for(10ms);
        looked_ = 0;
        return watch_.TakeResult(now);
    }
    ArchiveLookRequest Request(const std::filesystem::path& path) { return {path, std::nullopt, 0, true}; }

    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    StdArchiveFiles files_;
    HangingFiles hanging_{files_};
    std::atomic<int> looked_{0};
    ArchiveWatch watch_{hanging_, [this] { ++looked_; }};
    Moment t0_ = Moment{} + 1h;
};

TEST_F(ArchiveWatchTest, AFolderThatHangsKeepsOnlyTheLookWaiting) {
    hanging_.Hang(30s);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(watch_.Look(Request(archive_), t0_));
    EXPECT_FALSE(watch_.Look(Request(archive_), t0_)) << "one look at a time";
    EXPECT_FALSE(watch_.TakeResult(t0_).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    hanging_.LetGo();
    const std::optional<ArchiveLook> look = Result(t0_);
    ASSERT_TRUE(look.has_value());
    EXPECT_TRUE(look->sight.stamp.has_value());
    ASSERT_TRUE(look->sight.rows.has_value()) << "a changed file is read";
    EXPECT_EQ(look->sight.rows->size(), 1u);
    EXPECT_FALSE(watch_.TakeResult(t0_).has_value()) << "taken once";
}

TEST_F(ArchiveWatchTest, AFolderThatDoesNotAnswerIsLookedAtAfterAPauseThatGrows) {
    const std::filesystem::path away = dir_ / "rete" / "Ricordex.psc";
    Moment now = t0_;
    // One miss may be a file being replaced: looked at again at once.
    ASSERT_TRUE(watch_.Look(Request(away), now));
    ASSERT_FALSE(Result(now)->sight.stamp.has_value());
    for (const auto pause : {20s, 40s, 80s, 160s, 300s, 300s}) {
        ASSERT_TRUE(watch_.Look(Request(away), now));
        ASSERT_TRUE(Result(now).has_value());
        EXPECT_FALSE(watch_.Look(Request(away), now + pause - 1s)) << pause.count();
        now += pause;
    }
    // Reached again: looked at at every tick.
    ASSERT_TRUE(watch_.Look(Request(archive_), now));
    ASSERT_TRUE(Result(now)->sight.stamp.has_value());
    EXPECT_TRUE(watch_.Look(Request(archive_), now));
    ASSERT_TRUE(Result(now).has_value());

    // A look that answers only after the network's wait counts as none.
    for (int slow = 0; slow < 2; ++slow) {
        ASSERT_TRUE(watch_.Look(Request(archive_), now));
        now += ArchiveWatch::kSlowLook;
        ASSERT_TRUE(Result(now)->sight.stamp.has_value());
    }
    EXPECT_FALSE(watch_.Look(Request(archive_), now + 10s));
}

// The program may end while a look still waits on the network: the look
// ends on its own later and tells nobody.
TEST_F(ArchiveWatchTest, AWatchGoneBeforeItsLookEndsIsNotTold) {
    hanging_.Hang(30s);
    {
        ArchiveWatch watch(hanging_, [this] { ++looked_; });
        ASSERT_TRUE(watch.Look(Request(archive_), t0_));
    }
    hanging_.LetGo();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(looked_, 0);
}

}  // namespace
}  // namespace ricordex
