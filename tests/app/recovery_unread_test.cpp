// What a crash left unsaved, when the next start could not read the archive
// whole: offered at once, and merged with the archive once it is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/archive_follow.h"
#include "app/program_state.h"
#include "app/recovery_file.h"
#include "core/archive.h"
#include "support/archive_bytes.h"
#include "support/faulty_files.h"
#include "support/program_on_disk.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;
using Names = std::vector<std::string>;

RowTexts Row(const std::string& description) {
    return {description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"};
}
std::string Records(std::initializer_list<std::string> names) {
    std::string bytes;
    for (const std::string& name : names) bytes += Record(Row(name));
    return bytes;
}
Names Descriptions(const EventList& list) {
    Names names;
    for (std::size_t i = 0; i < list.Count(); ++i) names.emplace_back(list.At(i).Text(kDescrizione));
    std::sort(names.begin(), names.end());
    return names;
}
std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The archive held by another program (no sharing): its opens fail.
class ArchiveHeld final : public ArchiveFiles {
public:
    ArchiveHeld(ArchiveFiles& real, std::filesystem::path archive) : real_(real), archive_(std::move(archive)) {}
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override {
        if (p == archive_) throw InOutError(InOutError::kSharingViolation);
        return real_.OpenOrCreate(p);
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& p) override {
        if (p == archive_) throw InOutError(InOutError::kSharingViolation);
        return real_.OpenExisting(p);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
        return real_.CreateReplacement(p);
    }
    bool Exists(const std::filesystem::path& p) override { return real_.Exists(p); }
    void CopyToNew(const std::filesystem::path& f, const std::filesystem::path& t) override { real_.CopyToNew(f, t); }
    void RenameToNew(const std::filesystem::path& f, const std::filesystem::path& t) override { real_.RenameToNew(f, t); }
    void Remove(const std::filesystem::path& p) override { real_.Remove(p); }
    std::optional<FileStamp> StampOf(const std::filesystem::path& p) override { return real_.StampOf(p); }

private:
    ArchiveFiles& real_;
    std::filesystem::path archive_;
};

class RecoveryUnread : public ::testing::Test, protected ProgramOnDisk {
protected:
    RecoveryUnread() {
        clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        registry_.keys[kSettingsKey]["Dati"] = archive_.wstring();
        std::filesystem::create_directories(local_);
        services_.recoveryFile = recovery_.rows;
    }
    std::filesystem::path local_ = dir_ / "AppData" / "Ricordex";
    RecoveryFiles recovery_ = RecoveryFilesOf(local_ / "Ricordex-recupero.psc");
};

// The same recovery files give the same list whether the archive could be
// read at start or only at the first look. Here the crash left the changes
// (Esame corrected into Esame orale) without their base file (the power
// went between the two writes).
TEST_F(RecoveryUnread, ARecoveryWithoutItsBaseIsMergedAlikeWhetherTheArchiveWasReadAtStartOrLater) {
    WriteBytes(archive_, Records({"Affitto", "Esame"}));
    WriteBytes(recovery_.rows, Records({"Affitto", "Esame orale"}));
    WriteBytes(recovery_.archive, Utf8(archive_));
    // Read at start.
    StartUp(state_, services_, [](const std::string&) {});
    const Names readAtStart = Descriptions(state_.list);
    EXPECT_EQ(readAtStart, (Names{"Affitto", "Esame orale"}));

    // Not read at start (held by another program), read at the first look.
    WriteBytes(recovery_.rows, Records({"Affitto", "Esame orale"}));
    WriteBytes(recovery_.archive, Utf8(archive_));
    state_ = ProgramState{};
    questions_.asked.clear();
    ArchiveHeld held(files_, archive_);
    Services starting{registry_, held, clock_, questions_, L"C:\\Ricordex\\"};
    starting.recoveryFile = services_.recoveryFile;
    EXPECT_THROW(StartUp(state_, starting, [](const std::string&) {}), Error);
    FollowArchive(state_, services_);
    ASSERT_FALSE(state_.loadIncomplete);
    OfferRecovery(state_, services_);  // as the window does once the look loads it
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(Descriptions(state_.list), readAtStart) << "the correction is kept beside the old text";
}

// Part of the archive read at start: the crash's changes are offered at
// once (a change before the rest loads would otherwise set them aside),
// and the rest joins them when it is read.
TEST_F(RecoveryUnread, WithPartOfTheArchiveReadTheCrashsChangesAreOfferedAtOnceAndTheRestJoins) {
    std::string archive;
    for (std::size_t i = 0; i < kRecordsPerBlock + 1; ++i) archive += Records({"Affitto"});
    WriteBytes(archive_, archive);
    WriteBytes(recovery_.rows, archive + Records({"Dal crash"}));
    WriteBytes(recovery_.archive, Utf8(archive_));
    WriteBytes(recovery_.base, archive);
    // The archive's read fails after its first block (the recovery files,
    // on this PC's disk, read whole), as the window starts.
    FailingLoads half(files_, 1);
    Services starting{registry_, half, clock_, questions_, L"C:\\Ricordex\\"};
    ReadSettingsAtStart(state_, starting, [](const std::string&) {});
    EXPECT_THROW(LoadArchiveAtStart(state_, starting, [](const std::string&) {}), Error);
    ASSERT_TRUE(state_.loadIncomplete);
    ASSERT_EQ(state_.list.Count(), kRecordsPerBlock);
    OfferRecovery(state_, services_);
    EXPECT_EQ(questions_.asked.size(), 1u);
    // The user adds an event before the next look.
    state_.list.AggiungiRiga(FieldsOf(Row("Nuovo")), 0);
    state_.modificato = true;
    KeepRecovery(state_, services_);
    FollowArchive(state_, services_);
    ASSERT_FALSE(state_.loadIncomplete);
    OfferRecovery(state_, services_);  // as the window does once the look loads it: asked once a run
    EXPECT_EQ(questions_.asked.size(), 1u);
    const Names names = Descriptions(state_.list);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Affitto"), static_cast<long>(kRecordsPerBlock + 1));
    EXPECT_EQ(std::count(names.begin(), names.end(), "Dal crash"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Nuovo"), 1);
}

// The rows not read yet are taken as the changes' base has them: a
// correction made among them replaces the old text, and an alert given on
// one of them is not given again.
TEST_F(RecoveryUnread, TheChangesToRowsNotReadYetAreMergedOnceTheyAre) {
    std::string filler;
    for (std::size_t i = 0; i < kRecordsPerBlock; ++i) filler += Records({"Affitto"});
    RowTexts alerted = Row("Bollo");
    alerted[kUltimoAvviso] = "07/12/2026 08.00";
    WriteBytes(archive_, filler + Records({"Esame", "Bollo"}));
    WriteBytes(recovery_.rows, filler + Records({"Esame orale"}) + Record(alerted));
    WriteBytes(recovery_.archive, Utf8(archive_));
    WriteBytes(recovery_.base, filler + Records({"Esame", "Bollo"}));
    FailingLoads half(files_, 1);
    Services starting{registry_, half, clock_, questions_, L"C:\\Ricordex\\"};
    ReadSettingsAtStart(state_, starting, [](const std::string&) {});
    EXPECT_THROW(LoadArchiveAtStart(state_, starting, [](const std::string&) {}), Error);
    OfferRecovery(state_, services_);
    EXPECT_EQ(questions_.asked.size(), 1u);
    FollowArchive(state_, services_);
    ASSERT_FALSE(state_.loadIncomplete);
    const Names names = Descriptions(state_.list);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Esame"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Esame orale"), 1);
    const std::optional<std::size_t> bollo = state_.list.FindDescriptionPrefix("Bollo", 0, false);
    ASSERT_TRUE(bollo);
    EXPECT_EQ(state_.list.At(*bollo).Text(kUltimoAvviso), "07/12/2026 08.00");
}

}  // namespace
}  // namespace ricordex
