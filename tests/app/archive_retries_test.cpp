// The program's loads, saves, follows and copies aside while other programs
// hold the archive for moments: each step fails its first tries with each
// transient error. Either the work ends whole, or, when the failure
// outlasts the tries, one error is raised and nothing is lost.

#include <gtest/gtest.h>

#include "app/archive_follow.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "core/retrying_files.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/faulty_files.h"
#include "support/flaky_files.h"
#include "support/program_on_disk.h"

namespace ricordex {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

constexpr int kTransient[] = {InOutError::kSharingViolation, InOutError::kLockViolation, InOutError::kAccessDenied,
                              InOutError::kUnableToRemoveReplaced, InOutError::kUnableToMoveReplacement,
                              InOutError::kUnableToMoveReplacement2};
constexpr int kPassing = 3;     // failures that pass within the tries
constexpr int kOutlasting = 100;  // for longer than the tries

const std::string kCanone = Record({"Canone", "", "", "", "", "", ""});
const std::string kTwoEvents = BolloAuto() + kCanone;

class HeldByOthers : public ::testing::Test, protected ProgramOnDisk {
protected:
    // The program as it runs on a folder where every step fails first.
    struct Held {
        Held(ArchiveFiles& real, int code, int failures, Services& like)
            : flaky(real, code, failures),
              files(flaky, waits.Sleep()),
              services{like.registry, files, like.clock, like.questions, like.programFolder} {
            services.report = [this](const std::string& text) { told.push_back(text); };
        }
        FlakyFiles flaky;
        CountedWaits waits;
        RetryingArchiveFiles files;
        Services services;
        std::vector<std::string> told;
    };

    HeldByOthers() { registry_.keys[kSettingsKey]["Dati"] = archive_.wstring(); }

    void Begin() {
        for (const char* left : {".new", ".old"}) std::filesystem::remove(archive_.string() + left);
        WriteBytes(archive_, kTwoEvents);
        state_ = ProgramState{};
    }
    void StartHealthy() { ASSERT_NO_THROW(StartUp(state_, services_, [](const std::string&) {})); }
    void AddEvent() {
        state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
        state_.modificato = true;
    }
    std::size_t EventsSaved() {
        EventList saved;
        ReloadArchive(saved, files_, archive_);
        return saved.Count();
    }
};

TEST_F(HeldByOthers, TheLoadEndsWholeOrRaisesOnceLeavingTheArchive) {
    for (const int code : kTransient) {
        for (const int failures : {kPassing, kOutlasting}) {
            Begin();
            Held held(files_, code, failures, services_);
            std::vector<std::string> reported;
            const auto start = [&] { StartUp(state_, held.services, [&](const std::string& t) { reported.push_back(t); }); };
            if (failures == kPassing) {
                start();
                EXPECT_EQ(state_.list.Count(), 2u) << code;
                EXPECT_FALSE(state_.loadIncomplete);
            } else {
                // Told in words the user can act on, naming the file and the system's error.
                const std::string text = ErrorText<InOutError>(start);
                EXPECT_NE(text.find("\"" + PathText(archive_) + "\" \xE8 in uso da un altro programma"),
                          std::string::npos) << text;
                EXPECT_NE(text.find(InOutError(code).what()), std::string::npos) << text;
                EXPECT_TRUE(state_.loadIncomplete) << "the next save keeps the archive aside";
                EXPECT_EQ(held.waits.total, 2000ms);
            }
            EXPECT_TRUE(reported.empty());
            EXPECT_TRUE(held.told.empty());
            EXPECT_EQ(ReadBytes(archive_), kTwoEvents);
        }
    }
}

TEST_F(HeldByOthers, TheSaveEndsWholeOrRaisesOnceKeepingTheChanges) {
    for (const int code : kTransient) {
        for (const int failures : {kPassing, kOutlasting}) {
            Begin();
            StartHealthy();
            AddEvent();
            Held held(files_, code, failures, services_);
            if (failures == kPassing) {
                SaveOnClose(state_, held.services);
                EXPECT_EQ(EventsSaved(), 3u) << code;
                EXPECT_FALSE(state_.modificato);
            } else {
                EXPECT_THROW(SaveOnClose(state_, held.services), InOutError) << code;
                EXPECT_TRUE(state_.modificato);
                EXPECT_EQ(state_.list.Count(), 3u);
                EXPECT_EQ(ReadBytes(archive_), kTwoEvents);
                SaveOnClose(state_, services_);  // the next close, once the file is free
                EXPECT_EQ(EventsSaved(), 3u) << code;
            }
            EXPECT_TRUE(held.told.empty()) << code;
            EXPECT_FALSE(std::filesystem::exists(archive_.string() + ".new"));
            EXPECT_FALSE(std::filesystem::exists(archive_.string() + ".old"));
        }
    }
}

TEST_F(HeldByOthers, TheFollowTakesTheOtherSaveOrWaitsForTheNextTick) {
    for (const int code : kTransient) {
        for (const int failures : {kPassing, kOutlasting}) {
            Begin();
            StartHealthy();
            // Another PC adds an event (a size of its own: the stamp differs).
            WriteBytes(archive_, kTwoEvents + Record({"dall'altro PC", "", "", "", "", "", ""}));
            Held held(files_, code, failures, services_);
            if (failures == kPassing) {
                EXPECT_TRUE(FollowArchive(state_, held.services)) << code;
                EXPECT_EQ(state_.list.Count(), 3u);
            } else {
                EXPECT_FALSE(FollowArchive(state_, held.services)) << code;
                EXPECT_EQ(state_.list.Count(), 2u);
                EXPECT_EQ(held.waits.total, 2000ms);
                // The look waits off the window's thread, as long each time.
                EXPECT_FALSE(FollowArchive(state_, held.services));
                EXPECT_EQ(held.waits.total, 4000ms);
                EXPECT_TRUE(FollowArchive(state_, services_)) << "followed once the file reads";
                EXPECT_EQ(state_.list.Count(), 3u);
            }
            EXPECT_TRUE(held.told.empty()) << code;
        }
    }
}

TEST_F(HeldByOthers, TheCopyAsideIsMadeOrTheSaveRaisesBeforeWriting) {
    const std::filesystem::path copy = dir_ / "Ricordex.psc.20261207-094130.bak";
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
    for (const int code : kTransient) {
        for (const int failures : {kPassing, kOutlasting}) {
            Begin();
            std::filesystem::remove(copy);
            FailingLoads unreadable(files_, -1);
            Services starting{registry_, unreadable, clock_, questions_, L"C:\\Ricordex\\"};
            EXPECT_THROW(StartUp(state_, starting, [](const std::string&) {}), InOutError);
            AddEvent();
            Held held(files_, code, failures, services_);
            if (failures == kPassing) {
                SaveOnClose(state_, held.services);
                EXPECT_EQ(ReadBytes(copy), kTwoEvents) << code;
                EXPECT_EQ(EventsSaved(), 3u) << "the events the start missed, and the new one";
            } else {
                EXPECT_THROW(SaveOnClose(state_, held.services), InOutError) << code;
                EXPECT_FALSE(std::filesystem::exists(copy));
                EXPECT_EQ(ReadBytes(archive_), kTwoEvents);
                EXPECT_TRUE(state_.modificato);
            }
        }
    }
}

}  // namespace
}  // namespace ricordex
