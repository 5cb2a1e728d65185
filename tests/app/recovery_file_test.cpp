#include "app/recovery_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "app/archive_follow.h"
#include "app/options.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "support/archive_bytes.h"
#include "support/faulty_files.h"
#include "support/program_on_disk.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;
using Names = std::vector<std::string>;

RowTexts Row(const std::string& description, const std::string& stamp = "01/01/1900 00.01") {
    return {description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", stamp};
}

std::string Records(std::initializer_list<RowTexts> rows) {
    std::string bytes;
    for (const RowTexts& row : rows) bytes += Record(row);
    return bytes;
}

Names Descriptions(const EventList& list) {
    Names names;
    for (std::size_t i = 0; i < list.Count(); ++i) names.emplace_back(list.At(i).Text(kDescrizione));
    std::sort(names.begin(), names.end());
    return names;
}

Names Descriptions(const std::filesystem::path& file) {
    StdArchiveFiles files;
    EventList rows;
    ReloadArchive(rows, files, file);
    return Descriptions(rows);
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Archive files that count the new files made, by name, and may refuse to
// remove one.
class CountingFiles final : public ArchiveFiles {
public:
    explicit CountingFiles(ArchiveFiles& real) : real_(real) {}
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override { return real_.OpenOrCreate(p); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& p) override { return real_.OpenExisting(p); }
    bool Exists(const std::filesystem::path& p) override { return real_.Exists(p); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.CopyToNew(from, to);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.RenameToNew(from, to);
    }
    void Remove(const std::filesystem::path& p) override {
        if (p == refusedRemoval) throw InOutError(InOutError::kAccessDenied);
        real_.Remove(p);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
        ++made[p.filename().string()];
        return real_.CreateReplacement(p);
    }
    std::map<std::string, int> made;
    std::filesystem::path refusedRemoval;

private:
    ArchiveFiles& real_;
};

class Recovery : public ::testing::Test, protected ProgramOnDisk {
protected:
    Recovery() {
        clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        registry_.keys[kSettingsKey]["Dati"] = archive_.wstring();
        std::filesystem::create_directories(local_);
        services_.recoveryFile = recovery_.rows;
        services_.report = [this](const std::string& text) { reported_.push_back(text); };
    }

    // A start of the program, as after a crash: nothing of the run before.
    void Start() {
        state_ = ProgramState{};
        questions_.asked.clear();
        StartUp(state_, services_, [this](const std::string& text) { reported_.push_back(text); });
    }
    // The editor's "Conferma" of a new event, and the hook after it.
    void Add(const std::string& description) {
        state_.list.AggiungiRiga(FieldsOf(Row(description)), 0);
        state_.modificato = true;
        KeepRecovery(state_, services_);
    }
    // Recovery files as a run left them.
    void LeaveRecovery(const std::string& rows, const std::filesystem::path& archive) {
        WriteBytes(recovery_.rows, rows);
        WriteBytes(recovery_.archive, Utf8(archive));
    }
    bool Offered() const {
        return questions_.asked.size() == 1 && questions_.asked[0].text == "Ripristinare le modifiche non salvate?" &&
               questions_.asked[0].caption == "Ripristino Modifiche" && questions_.asked[0].flags == kYesNoQuestion;
    }
    bool NoRecovery() const {
        return !std::filesystem::exists(recovery_.rows) && !std::filesystem::exists(recovery_.base) &&
               !std::filesystem::exists(recovery_.archive);
    }
    // The recovery files set aside, by name.
    Names SetAside() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(local_)) {
            if (entry.path().extension() == ".scartato") names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // A start whose read of the archive fails after its first block (the
    // recovery files, on this PC's disk, read whole), as the window starts:
    // the question comes then.
    void StartReadingOneBlock() {
        FailingLoads half(files_, 1);
        Services starting{registry_, half, clock_, questions_, L"C:\\Ricordex\\"};
        ReadSettingsAtStart(state_, starting, [](const std::string&) {});
        EXPECT_THROW(LoadArchiveAtStart(state_, starting, [](const std::string&) {}), Error);
        ASSERT_TRUE(state_.loadIncomplete);
        ASSERT_EQ(state_.list.Count(), kRecordsPerBlock);
        OfferRecovery(state_, services_);
        EXPECT_TRUE(Offered());
    }
    // The next look reads it whole; the window offers again, once a run.
    void LookReadsItWhole() {
        FollowArchive(state_, services_);
        ASSERT_FALSE(state_.loadIncomplete);
        OfferRecovery(state_, services_);
        EXPECT_EQ(questions_.asked.size(), 1u);
    }
    static std::string Filler() {
        std::string rows;
        for (std::size_t i = 0; i < kRecordsPerBlock; ++i) rows += Record(Row("Affitto"));
        return rows;
    }

    std::filesystem::path local_ = dir_ / "AppData" / "Ricordex";
    RecoveryFiles recovery_ = RecoveryFilesOf(local_ / "Ricordex-recupero.psc");
    std::vector<std::string> reported_;
};

TEST_F(Recovery, EachChangeIsKeptAndTheStartAfterACrashOffersItBack) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto")}));
    Start();
    KeepRecovery(state_, services_);
    EXPECT_TRUE(NoRecovery()) << "nothing changed yet";
    Add("Canone");
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Affitto", "Bollo auto", "Canone"}));
    EXPECT_EQ(ReadBytes(recovery_.archive), Utf8(archive_));
    EXPECT_EQ(Descriptions(recovery_.base), (Names{"Affitto", "Bollo auto"}));
    const std::string archived = ReadBytes(archive_);

    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto", "Bollo auto", "Canone"}));
    EXPECT_TRUE(state_.modificato) << "unsaved: the close asks";
    EXPECT_FALSE(state_.aggiornatoDaTimer);
    EXPECT_EQ(ReadBytes(archive_), archived);
    EXPECT_FALSE(NoRecovery()) << "kept until it is saved";

    SaveOnClose(state_, services_);
    EXPECT_EQ(questions_.asked.back().text, "Salvare le modifiche?");
    EXPECT_EQ(Descriptions(archive_), (Names{"Affitto", "Bollo auto", "Canone"}));
    EXPECT_TRUE(NoRecovery());
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(reported_.empty());
}

// A power cut in the recovery file's own swap: the changes are left as
// .old, and a .new that the disk never filled reads empty. The changes are
// offered, never an empty list.
TEST_F(Recovery, AnEmptyNewChangesFileLeftByAPowerCutLosesToTheOldOne) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    LeaveRecovery(Records({Row("Affitto"), Row("Canone")}), archive_);
    std::filesystem::rename(recovery_.rows, recovery_.rows.string() + ".old");
    WriteBytes(recovery_.rows.string() + ".new", "");
    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto", "Canone"}));
}

TEST_F(Recovery, ARecoveryEqualToTheArchiveIsRemovedWithoutAQuestion) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto"), Row("Bollo auto")}));
    LeaveRecovery(Records({Row("Bollo auto"), Row("Affitto"), Row("Bollo auto")}), archive_);
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(NoRecovery());
    EXPECT_FALSE(state_.modificato);
    EXPECT_EQ(state_.list.Count(), 3u);

    // The same events, one of them once fewer (a deletion), are not the same list.
    LeaveRecovery(Records({Row("Bollo auto"), Row("Affitto")}), archive_);
    Start();
    EXPECT_TRUE(Offered());
}

TEST_F(Recovery, NoSetsItAsideAndKeepsTheArchivesList) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    Start();
    Add("Canone");
    questions_.answer = kAnswerNo;
    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto"}));
    EXPECT_FALSE(state_.modificato);
    EXPECT_TRUE(NoRecovery());
    EXPECT_EQ(SetAside(), (Names{"Ricordex-recupero.psc.20261207-094130.scartato",
                                 "Ricordex-recupero.txt.20261207-094130.scartato"}));
    EXPECT_EQ(Descriptions(local_ / "Ricordex-recupero.psc.20261207-094130.scartato"), (Names{"Affitto", "Canone"}));

    // This run's changes are kept afresh; what was set aside stays, and a
    // second No in the same second takes another name.
    Add("Dentista");
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Affitto", "Dentista"}));
    Start();
    EXPECT_EQ(SetAside().size(), 4u);
    EXPECT_EQ(SetAside()[0], "Ricordex-recupero.psc.20261207-094130-2.scartato");
    EXPECT_EQ(Descriptions(local_ / "Ricordex-recupero.psc.20261207-094130.scartato"), (Names{"Affitto", "Canone"}));
}

// The user switched archive folders: a recovery of the other archive is
// neither offered here nor removed by a save here; this run's first change
// sets it aside instead of writing over it.
TEST_F(Recovery, ARecoveryOfAnotherArchiveIsNotOfferedNorOverwritten) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    const std::filesystem::path other = dir_ / "altra" / "Ricordex.psc";
    LeaveRecovery(Records({Row("Altrove")}), other);
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    SaveArchive(state_, services_);
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Altrove"}));

    Add("Canone");
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Affitto", "Canone"}));
    EXPECT_EQ(ReadBytes(recovery_.archive), Utf8(archive_));
    ASSERT_EQ(SetAside().size(), 2u);
    EXPECT_EQ(Descriptions(local_ / SetAside()[0]), (Names{"Altrove"}));
    EXPECT_EQ(ReadBytes(local_ / SetAside()[1]), Utf8(other));
    ASSERT_EQ(reported_.size(), 1u) << "the user is told where it went";
    EXPECT_NE(reported_[0].find(SetAside()[0]), std::string::npos) << reported_[0];

    // Nor is one whose archive is not told.
    reported_.clear();
    std::filesystem::remove(recovery_.archive);
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(reported_.empty());
}

// Windows paths: letters in either case, "." and ".." name the same file.
TEST_F(Recovery, TheArchivesNameIsComparedAsWindowsComparesPaths) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    LeaveRecovery(Records({Row("Affitto"), Row("Canone")}), dir_ / "x" / ".." / "RICORDEX.psc");
    Start();
    EXPECT_TRUE(Offered());
}

TEST_F(Recovery, AnUnreadableRecoveryIsSetAsideAndReportedOnce) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    LeaveRecovery(Records({Row("Canone")}).substr(0, 100), archive_);
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto"}));
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(reported_[0],
              "Le modifiche non salvate della volta scorsa non si possono leggere (Read beyond end of file): il file "
              "\xE8 stato messo da parte come \"Ricordex-recupero.psc.20261207-094130.scartato\".");
    EXPECT_EQ(ReadBytes(local_ / "Ricordex-recupero.psc.20261207-094130.scartato").size(), 100u);
    Add("Dentista");
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Affitto", "Dentista"}));
    EXPECT_EQ(reported_.size(), 1u);
}

// A base that cannot be read: the changes are taken as they are.
TEST_F(Recovery, AnUnreadableBaseLeavesTheChangesAsTheyAre) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto")}));
    LeaveRecovery(Records({Row("Affitto"), Row("Canone")}), archive_);
    WriteBytes(recovery_.base, "corto");
    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto", "Canone"}));
}

TEST_F(Recovery, AWriteThatFailsIsReportedOnceTriedAgainAtTheNextChangeAndNothingElseBreaks) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    WriteBytes(dir_ / "file", "");
    CountingFiles counting(files_);
    Services services{registry_, counting, clock_, questions_, L"C:\\Ricordex\\", services_.report,
                      dir_ / "file" / "Ricordex-recupero.psc"};  // in a folder that is a file
    StartUp(state_, services, [](const std::string&) {});
    state_.list.AggiungiRiga(FieldsOf(Row("Canone")), 0);
    state_.modificato = true;
    KeepRecovery(state_, services);
    KeepRecovery(state_, services);  // the next tick
    EXPECT_EQ(counting.made["Ricordex-recupero.txt"], 1);
    state_.list.AggiungiRiga(FieldsOf(Row("Dentista")), 0);
    KeepRecovery(state_, services);
    EXPECT_EQ(counting.made["Ricordex-recupero.txt"], 2);
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(reported_[0].rfind("Le modifiche non salvate non si possono scrivere nel file di recupero (", 0), 0u)
        << reported_[0];
    SaveOnClose(state_, services);
    EXPECT_EQ(Descriptions(archive_), (Names{"Affitto", "Canone", "Dentista"}));
}

// A tick that stamps several rows writes once, and the ticks after it,
// with nothing new, write nothing.
TEST_F(Recovery, ATickThatStampsSeveralRowsWritesOnce) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto"), Row("Canone")}));
    CountingFiles counting(files_);
    Services services{registry_, counting, clock_, questions_, L"C:\\Ricordex\\", nullptr, recovery_.rows};
    StartUp(state_, services, [](const std::string&) {});
    for (std::size_t i = 0; i < 3; ++i) state_.list.SetStamp(i, "07/12/2026 09.45");
    state_.aggiornatoDaTimer = true;
    KeepRecovery(state_, services);
    KeepRecovery(state_, services);
    KeepRecovery(state_, services);
    EXPECT_EQ(counting.made["Ricordex-recupero.psc"], 1);
    EXPECT_EQ(counting.made["Ricordex-recupero.txt"], 1);
    EXPECT_EQ(counting.made["Ricordex-recupero-base.psc.next"], 1);
    // The next change writes the list only: the archive and the base are as written.
    state_.list.SetStamp(0, "07/12/2026 09.50");
    KeepRecovery(state_, services);
    EXPECT_EQ(counting.made["Ricordex-recupero.psc"], 2);
    EXPECT_EQ(counting.made["Ricordex-recupero.txt"], 1);
    EXPECT_EQ(counting.made["Ricordex-recupero-base.psc.next"], 1);
}

// Another PC saved the shared archive after this one's last save and
// before its crash: the recovery's changes join what it saved, instead of
// undoing it.
TEST_F(Recovery, WhatAnotherPcSavedMeanwhileIsMergedWithTheChanges) {
    WriteBytes(archive_, Records({Row("Alfa"), Row("Beta")}));
    Start();
    Add("Mio");
    WriteBytes(archive_, Records({Row("Alfa"), Row("Suo")}));  // the other PC deleted Beta, added Suo
    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Alfa", "Mio", "Suo"}));
    SaveOnClose(state_, services_);
    EXPECT_EQ(Descriptions(archive_), (Names{"Alfa", "Mio", "Suo"}));

    // A recovery whose changes the archive already holds offers nothing.
    Start();
    Add("Altro");
    WriteBytes(archive_, Records({Row("Alfa"), Row("Altro"), Row("Mio"), Row("Suo")}));
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(NoRecovery());
}

// A crash while the changes are written beside a new base (the archive
// gained "Nuovo" from another PC since the last write): the changes meet the
// base they were made against, whichever of the two the crash left behind.
// With the other, "Nuovo" came back after that PC deleted it, or was lost
// while that PC kept it.
TEST_F(Recovery, ACrashBetweenTheChangesAndTheirNewBaseMeetsThemWithTheirOwn) {
    const std::string before = Records({Row("Affitto")}), after = Records({Row("Affitto"), Row("Nuovo")});
    const struct {
        const char* crash;
        std::string changes, archive;
        Names restored;
    } cases[] = {
        {"after the changes", Records({Row("Affitto"), Row("Mio"), Row("Nuovo")}), before, {"Affitto", "Mio"}},
        {"before the changes", Records({Row("Affitto"), Row("Mio")}), after, {"Affitto", "Mio", "Nuovo"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.crash);
        WriteBytes(recovery_.base, before);
        WriteBytes(recovery_.nextBase, after);
        LeaveRecovery(c.changes, archive_);
        const auto baseWritten = std::filesystem::last_write_time(recovery_.nextBase);
        // Written after it, within the same tick of the file clock.
        const auto changesWritten =
            c.crash == std::string("after the changes") ? baseWritten : baseWritten - std::chrono::seconds(1);
        std::filesystem::last_write_time(recovery_.rows, changesWritten);
        WriteBytes(archive_, c.archive);
        Start();
        EXPECT_TRUE(Offered());
        EXPECT_EQ(Descriptions(state_.list), c.restored);
        EXPECT_FALSE(std::filesystem::exists(recovery_.nextBase));
        SaveOnClose(state_, services_);
    }
}

// A write of the changes cut short before its swap leaves its new file
// beside them; a save then removes them, and its removal stops after the
// changes. The next start offers nothing: the new file goes with the
// changes, not after them, where it passed for a write that stopped (empty,
// for a list emptied: every event of the base was deleted).
TEST_F(Recovery, ARemovalCutShortLeavesNoWriteCutShortBehind) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto")}));
    Start();
    Add("Canone");
    WriteBytes(ReplacementName(recovery_.rows), "");
    CountingFiles refusing(files_);
    refusing.refusedRemoval = recovery_.base;
    Services saving{registry_, refusing, clock_, questions_, L"C:\\Ricordex\\", nullptr, recovery_.rows};
    SaveOnClose(state_, saving);
    ASSERT_TRUE(std::filesystem::exists(recovery_.base));
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto", "Bollo auto", "Canone"}));
}

// The alerts given before the crash are this run's own once taken back:
// an answer of No at close still writes their stamps, drops the user's
// changes, and the recovery with them.
TEST_F(Recovery, AnAnswerOfNoAtCloseWritesTheRecoveredStampsAndDropsTheRest) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto")}));
    Start();
    state_.list.SetStamp(0, "07/12/2026 09.45");  // "Affitto" alerted
    state_.alertStamps[EventKey(state_.list.At(0))] = "07/12/2026 09.45";
    state_.aggiornatoDaTimer = true;
    Add("Canone");

    Start();
    EXPECT_TRUE(Offered());
    EXPECT_TRUE(state_.modificato);
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    questions_.answer = kAnswerNo;
    SaveOnClose(state_, services_);
    EventList saved;
    ReloadArchive(saved, files_, archive_);
    ASSERT_EQ(saved.Count(), 2u);
    EXPECT_EQ(saved.At(0).Texts(), Row("Affitto", "07/12/2026 09.45"));
    EXPECT_EQ(saved.At(1).Texts(), Row("Bollo auto"));
    EXPECT_TRUE(NoRecovery());
    Start();
    EXPECT_TRUE(questions_.asked.empty());
}

// The alerts given before a crash are never the user's to confirm: with
// nothing else unsaved they are taken back without a question, and after
// No to the user's changes they are kept all the same; either way the close
// saves them without asking.
TEST_F(Recovery, TheStampsACrashLeftAreKeptWithoutAQuestionAndThroughNo) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Bollo auto")}));
    const auto alerted = [&](std::size_t position, const std::string& stamp) {
        state_.list.SetStamp(position, stamp);
        state_.alertStamps[EventKey(state_.list.At(position))] = stamp;
        state_.aggiornatoDaTimer = true;
        KeepRecovery(state_, services_);
    };
    const auto savedStamps = [&] {
        EventList saved;
        ReloadArchive(saved, files_, archive_);
        Names stamps;
        for (std::size_t i = 0; i < saved.Count(); ++i) stamps.emplace_back(saved.At(i).Text(kUltimoAvviso));
        return stamps;
    };
    Start();
    alerted(0, "07/12/2026 09.45");
    Start();
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_FALSE(state_.modificato);
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    EXPECT_EQ(state_.list.At(0).Text(kUltimoAvviso), "07/12/2026 09.45");
    SaveOnClose(state_, services_);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(savedStamps(), (Names{"07/12/2026 09.45", "01/01/1900 00.01"}));

    Start();
    alerted(1, "07/12/2026 09.50");
    Add("Canone");
    questions_.answer = kAnswerNo;
    Start();
    EXPECT_TRUE(Offered());
    EXPECT_EQ(Descriptions(state_.list), (Names{"Affitto", "Bollo auto"}));
    EXPECT_FALSE(state_.modificato);
    SaveOnClose(state_, services_);
    EXPECT_EQ(savedStamps(), (Names{"07/12/2026 09.45", "07/12/2026 09.50"}));
}

// After "Chiudi" and No the program runs on with the changes in its list,
// declined: they are kept against a crash again once the list changes.
TEST_F(Recovery, NoAtChiudiDropsTheChangesUntilTheListChangesAgain) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    Start();
    Add("Canone");
    questions_.answer = kAnswerNo;
    SaveOnClose(state_, services_);
    EXPECT_TRUE(NoRecovery());
    KeepRecovery(state_, services_);  // the next tick
    EXPECT_TRUE(NoRecovery());
    Add("Dentista");
    EXPECT_EQ(Descriptions(recovery_.rows), (Names{"Affitto", "Canone", "Dentista"}));
    EXPECT_EQ(ReadBytes(recovery_.archive), Utf8(archive_));
    EXPECT_EQ(Descriptions(recovery_.base), (Names{"Affitto"}));
}

TEST_F(Recovery, TheOptionsSwitchThatWritesTheListRemovesIt) {
    WriteBytes(archive_, Records({Row("Affitto")}));
    Start();
    Add("Canone");
    const std::filesystem::path other = dir_ / "altra" / "Ricordex.psc";
    std::filesystem::create_directories(other.parent_path());
    ConfirmOptions(state_, services_, L"R.exe", {L"", false, true, other.wstring()});
    EXPECT_TRUE(NoRecovery());

    // And the switch to a folder that holds an archive, which saves this one first.
    Add("Dentista");
    const std::filesystem::path third = dir_ / "terza" / "Ricordex.psc";
    std::filesystem::create_directories(third.parent_path());
    WriteBytes(third, Records({Row("Terzo")}));
    ConfirmOptions(state_, services_, L"R.exe", {L"", false, true, third.wstring()});
    EXPECT_TRUE(NoRecovery());
    EXPECT_EQ(Descriptions(other), (Names{"Affitto", "Canone", "Dentista"}));
}

// The same recovery files give the same list whether the archive could be
// read at start or only at the first look. Here the crash left the changes
// (Esame corrected into Esame orale) without their base file (the power
// went between the two writes): they wait for the archive.
TEST_F(Recovery, ARecoveryWithoutItsBaseIsMergedAlikeWhetherTheArchiveWasReadAtStartOrLater) {
    WriteBytes(archive_, Records({Row("Affitto"), Row("Esame")}));
    LeaveRecovery(Records({Row("Affitto"), Row("Esame orale")}), archive_);
    Start();
    const Names readAtStart = Descriptions(state_.list);
    EXPECT_EQ(readAtStart, (Names{"Affitto", "Esame orale"}));

    LeaveRecovery(Records({Row("Affitto"), Row("Esame orale")}), archive_);
    state_ = ProgramState{};
    questions_.asked.clear();
    OneFileHeld held(files_, archive_);
    Services starting{registry_, held, clock_, questions_, L"C:\\Ricordex\\"};
    starting.recoveryFile = services_.recoveryFile;
    EXPECT_THROW(StartUp(state_, starting, [](const std::string&) {}), Error);
    EXPECT_TRUE(questions_.asked.empty());
    LookReadsItWhole();
    EXPECT_EQ(Descriptions(state_.list), readAtStart) << "the correction is kept beside the old text";
}

// Part of the archive read at start: the crash's changes are offered at
// once (a change before the rest loads would otherwise set them aside).
// The rows not read yet are taken as the changes' base has them: the rest
// joins when it is read, a correction made among them replaces the old
// text, and an alert given on one of them is not given again.
TEST_F(Recovery, WithPartOfTheArchiveReadTheChangesAreOfferedAtOnceAndMergedOnceWithTheRest) {
    WriteBytes(archive_, Filler() + Records({Row("Esame"), Row("Bollo")}));
    LeaveRecovery(Filler() + Records({Row("Esame orale"), Row("Bollo", "07/12/2026 08.00"), Row("Dal crash")}),
                  archive_);
    WriteBytes(recovery_.base, Filler() + Records({Row("Esame"), Row("Bollo")}));
    StartReadingOneBlock();
    Add("Nuovo");  // before the next look
    LookReadsItWhole();
    const Names names = Descriptions(state_.list);
    for (const auto& [name, count] : {std::pair<std::string, long>{"Affitto", kRecordsPerBlock},
                                      {"Esame", 0}, {"Esame orale", 1}, {"Dal crash", 1}, {"Nuovo", 1}}) {
        EXPECT_EQ(std::count(names.begin(), names.end(), name), count) << name;
    }
    const std::optional<std::size_t> bollo = state_.list.FindDescriptionPrefix("Bollo", 0, false);
    ASSERT_TRUE(bollo);
    EXPECT_EQ(state_.list.At(*bollo).Text(kUltimoAvviso), "07/12/2026 08.00");
}

}  // namespace
}  // namespace ricordex
