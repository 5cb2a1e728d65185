// A save whose swap fails at any of its steps loses nothing: either the
// archive is whole under its name, or under the backup name that the next
// start takes it back from; the list keeps the changes meanwhile.

#include "app/archive_recovery.h"

#include <gtest/gtest.h>

#include "app/program_state.h"
#include "core/archive.h"
#include "core/retrying_files.h"
#include "support/archive_bytes.h"
#include "support/flaky_files.h"
#include "support/program_on_disk.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;

const std::string kOld = BolloAuto() + Record({"Canone", "", "", "", "", "", ""}) +
                         Record({"Dentista", "", "", "", "", "", ""});

class ArchiveTakenBack : public ::testing::Test, protected ProgramOnDisk {
protected:
    ArchiveTakenBack() {
        clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        registry_.keys[kSettingsKey]["Dati"] = archive_.wstring();
    }
    std::filesystem::path Beside(const char* suffix) const { return archive_.string() + suffix; }
    std::size_t Events(const std::filesystem::path& path) {
        EventList rows;
        ReloadArchive(rows, files_, path);
        return rows.Count();
    }
    // A start of the program as it would be now, with what it told.
    ProgramState NextStart(std::vector<std::string>& told) {
        ProgramState next;
        StartUp(next, services_, [&](const std::string& text) { told.push_back(text); });
        return next;
    }
    void EmptyFolder() {
        for (const auto& entry : std::filesystem::directory_iterator(archive_.parent_path())) {
            std::filesystem::remove(entry.path());
        }
    }
    bool Holds(const EventList& list, const std::string& description) {
        return list.FindDescriptionPrefix(description, 0, false).has_value();
    }
};

TEST_F(ArchiveTakenBack, ASwapFailingAtEveryStepLosesNothingAndTheNextStartTakesTheArchiveBack) {
    StdSwapSteps realSteps;
    FaultySwapSteps steps(realSteps);
    StdArchiveFiles faulty(steps);
    CountedWaits waits;
    RetryingArchiveFiles files(faulty, waits.Sleep());
    Services saving{registry_, files, clock_, questions_, L"C:\\Ricordex\\"};

    struct Fault {
        int code, times;
    };
    const Fault faults[] = {{InOutError::kSharingViolation, 1},  {InOutError::kSharingViolation, 100},
                            {InOutError::kDiskFull, 1},          {InOutError::kUnableToMoveReplacement2, 1},
                            {InOutError::kUnableToMoveReplacement2, 2}, {InOutError::kUnableToMoveReplacement2, 100}};
    int failed = 0, recovered = 0;
    // Exists, CarryAttributes, Replace, Remove; a move back after a 1177.
    for (int step = 1; step <= 5; ++step) {
        for (const Fault fault : faults) {
            const std::string what = "step " + std::to_string(step) + ", code " + std::to_string(fault.code) +
                                     " x" + std::to_string(fault.times);
            for (const std::filesystem::path& left : std::filesystem::directory_iterator(dir_.path())) {
                std::filesystem::remove(left);
            }
            WriteBytes(archive_, kOld);
            state_ = ProgramState{};
            StartUp(state_, services_, [](const std::string&) {});
            state_.list.AggiungiRiga({"Nuovo", "", "", "", "", "", ""}, 0);
            state_.modificato = true;

            steps.called.clear();
            steps.failAt = step;
            steps.times = fault.times;
            steps.code = fault.code;
            bool saved = true;
            try {
                SaveOnClose(state_, saving);
            } catch (const InOutError&) {
                saved = false;
            }
            steps.failAt = 0;
            const bool transient = fault.code != InOutError::kDiskFull;
            if (fault.times == 1 && transient) EXPECT_TRUE(saved) << what << ": a moment's failure is waited out";
            // The archive is under its own name or under the backup name.
            ASSERT_TRUE(std::filesystem::exists(archive_) || std::filesystem::exists(Beside(".old"))) << what;
            if (saved) {
                EXPECT_EQ(Events(archive_), 4u) << what;
                EXPECT_FALSE(state_.modificato);
            } else {
                EXPECT_TRUE(state_.modificato) << what;
                EXPECT_EQ(state_.list.Count(), 4u);
            }

            // The program ends here; the next start has every event saved whole.
            std::vector<std::string> told;
            const ProgramState next = NextStart(told);
            for (const char* event : {"Bollo", "Canone", "Dentista"}) EXPECT_TRUE(Holds(next.list, event)) << what;
            if (!Holds(next.list, "Nuovo")) {
                EXPECT_FALSE(saved) << what;
                // The new file of a swap that stopped half-way is kept aside.
                if (!told.empty()) {
                    ++recovered;
                    EXPECT_NE(told[0].find("Ricordex.psc.old\""), std::string::npos) << told[0];
                    EXPECT_EQ(Events(dir_ / "Ricordex.psc.20261207-094130.bak"), 4u) << what;
                }
            }
            // And the program that kept the changes writes them at its next close.
            if (!saved) {
                ++failed;
                SaveOnClose(state_, services_);
                EXPECT_EQ(Events(archive_), 4u) << what;
            }
        }
    }
    EXPECT_GT(failed, 0);
    EXPECT_GT(recovered, 0) << "some faults leave the archive under the backup name";
}

TEST_F(ArchiveTakenBack, TheBackupIsPreferredAndTheNewFileOfTheSaveThatStoppedIsKeptAside) {
    WriteBytes(Beside(".old"), kOld);
    WriteBytes(Beside(".new"), kOld + BolloAuto());
    std::vector<std::string> told;
    const ProgramState next = NextStart(told);
    EXPECT_EQ(next.list.Count(), 3u);
    EXPECT_EQ(ReadBytes(archive_), kOld);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "L'archivio \"" + PathText(archive_) + "\" non c'era: \xE8 stato ripreso da \"" +
                           PathText(Beside(".old")) +
                           "\", dove l'aveva lasciato un salvataggio fermato a met\xE0. Il file nuovo di quel "
                           "salvataggio \xE8 conservato come \"" +
                           PathText(dir_ / "Ricordex.psc.20261207-094130.bak") + "\".");
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.20261207-094130.bak"), kOld + BolloAuto());
    EXPECT_FALSE(std::filesystem::exists(Beside(".old")));
    EXPECT_FALSE(std::filesystem::exists(Beside(".new")));
}

// A new file cut short is never the archive, and never written over: it is
// kept aside, and the archive comes from the backup when there is one.
TEST_F(ArchiveTakenBack, ANewFileCutShortIsKeptAsideAndNeverTaken) {
    for (const bool backup : {true, false}) {
        // Empty, cut short, or its full size with zeros in it (a power cut
        // before its data reached the disk).
        for (const std::string& left : {std::string(), kOld.substr(0, 200), std::string(kOld.size(), '\0')}) {
            EmptyFolder();
            if (backup) WriteBytes(Beside(".old"), kOld);
            WriteBytes(Beside(".new"), left);
            std::vector<std::string> told;
            const ProgramState next = NextStart(told);
            EXPECT_EQ(next.list.Count(), backup ? 3u : 0u);
            ASSERT_EQ(told.size(), 1u);
            EXPECT_NE(told[0].find(" \xE8 conservato come"), std::string::npos) << told[0];
            EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.20261207-094130.bak"), left);
            EXPECT_FALSE(std::filesystem::exists(Beside(".new")));
        }
    }
    EmptyFolder();
    WriteBytes(Beside(".new"), kOld);
    std::vector<std::string> told;
    EXPECT_EQ(NextStart(told).list.Count(), 3u) << "a whole one alone is the archive";
}

// A backup that cannot be renamed back: the start fails, and no empty
// archive takes the name.
TEST_F(ArchiveTakenBack, AnArchiveThatCannotBeTakenBackIsNeverReplacedByAnEmptyOne) {
    WriteBytes(Beside(".old"), kOld);
    FlakyFiles refusing(files_, InOutError::kDiskFull, 100);
    Services starting{registry_, refusing, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(StartUp(state_, starting, [](const std::string&) {}), InOutError);
    EXPECT_FALSE(std::filesystem::exists(archive_));
    EXPECT_EQ(ReadBytes(Beside(".old")), kOld);
    EXPECT_TRUE(state_.loadIncomplete);
}

}  // namespace
}  // namespace ricordex
