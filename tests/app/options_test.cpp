#include "app/options.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/fakes.h"
#include "support/program_on_disk.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;

class OptionsOpening : public ::testing::Test, protected ProgramOnDisk {};

TEST_F(OptionsOpening, TheShowBoxFollowsAvvioAndTheFolderThePendingSwitch) {
    std::wstring previous;
    for (std::uint8_t avvio : {1, 2, 3, 7}) {
        const OptionsView view =
            OpenOptions({L"s.wav", L"C:\\Dati\\Ricordex.psc", avvio}, services_, previous);
        EXPECT_EQ(view.showAtStart, avvio == 2 || avvio == 3);
        EXPECT_FALSE(view.autostart) << "no Run value: Windows starts nothing, whatever Avvio says";
        EXPECT_EQ(view.cartella, L"C:\\Dati\\");
    }
    EXPECT_EQ(previous, L"C:\\Dati\\Ricordex.psc");
    // Opened again with a switch pending: the folder "Conferma" will take.
    const OptionsView again =
        OpenOptions({L"s.wav", L"C:\\Dati\\Ricordex.psc", 1}, services_, previous, L"D:\\Altro\\Ricordex.psc");
    EXPECT_EQ(again.cartella, L"D:\\Altro\\");
    EXPECT_EQ(previous, L"C:\\Dati\\Ricordex.psc");
}

// Archive files that note, for each file written, whether the archive's lock
// was held meanwhile.
class LockWatch final : public ArchiveFiles {
public:
    explicit LockWatch(ArchiveFiles& real) : real_(real) {}
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override { return real_.OpenOrCreate(path); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override { return real_.OpenExisting(path); }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override { real_.CopyToNew(from, to); }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        writes.push_back(locked_ == path);
        return real_.CreateReplacement(path);
    }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& path) override {
        if (whileLocking) whileLocking(path);
        locked_ = path;
        return std::make_unique<Held>(locked_);
    }
    std::vector<bool> writes;
    std::function<void(const std::filesystem::path&)> whileLocking;  // another program, meanwhile

private:
    struct Held final : ArchiveLock {
        explicit Held(std::filesystem::path& locked) : locked_(locked) {}
        ~Held() override { locked_.clear(); }
        std::filesystem::path& locked_;
    };
    ArchiveFiles& real_;
    std::filesystem::path locked_;
};

class OptionsConfirm : public ::testing::Test, protected ProgramOnDisk {
protected:
    OptionsConfirm() {
        registry_.keys[kRunKey];  // the Run key exists
        state_.settings = {L"old.wav", archive_.wstring(), 3};
        state_.list.AggiungiRiga({"corrente", "", "", "", "", "", ""}, 0);
        other_ = dir_ / "altra";
        std::filesystem::create_directories(other_);
    }
    std::wstring Folder(const std::filesystem::path& p) { return p.wstring() + L"/"; }

    // A copy of the program on disk, and what Windows keeps about starting it.
    std::filesystem::path MakeProgram(const std::filesystem::path& exe) {
        std::filesystem::create_directories(exe.parent_path());
        WriteBytes(exe, "MZ");
        return exe;
    }
    static std::wstring Quoted(const std::filesystem::path& p) { return L"\"" + p.wstring() + L"\""; }
    void SetRun(RegistryValue command) { registry_.keys[kRunKey]["Ricordex"] = std::move(command); }
    RegistryValue* Run() {
        auto found = registry_.keys[kRunKey].find("Ricordex");
        return found == registry_.keys[kRunKey].end() ? nullptr : &found->second;
    }
    // Task Manager's record: its state, then the moment of the change.
    void SetStartupApproved(std::uint8_t state) {
        registry_.keys[kStartupApprovedKey]["Ricordex"] =
            Binary{{state, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01}};
    }
    bool Works() { return AutostartWorks(registry_, files_); }

    std::filesystem::path other_;
};

class Autostart : public OptionsConfirm {};

// The box shows what Windows will do at log-on: start a file that exists,
// unless Task Manager's start-up list has it disabled.
TEST_F(Autostart, TheBoxShowsWhetherWindowsStartsTheProgram) {
    EXPECT_FALSE(Works()) << "no Run value";
    const std::filesystem::path copy = MakeProgram(dir_ / "con spazio" / "Ricordex.exe");
    for (const std::wstring& command : {Quoted(copy), copy.wstring(), Quoted(copy) + L" /x", copy.wstring() + L" /x"}) {
        SetRun(command);
        EXPECT_TRUE(Works()) << command;
    }
    const std::filesystem::path moved = dir_ / "spostato" / "Ricordex.exe";
    for (const RegistryValue& command : {RegistryValue{Quoted(moved)}, RegistryValue{moved.wstring()},
                                         RegistryValue{Quoted(dir_.path())}, RegistryValue{L"\"" + copy.wstring()},
                                         RegistryValue{std::uint32_t{1}}}) {
        SetRun(command);
        EXPECT_FALSE(Works()) << "starts nothing";
    }

    SetRun(Quoted(copy));
    for (const std::uint8_t state : {0x02, 0x06}) {
        SetStartupApproved(state);
        EXPECT_TRUE(Works()) << int(state);
    }
    for (const std::uint8_t state : {0x01, 0x03, 0x07}) {
        SetStartupApproved(state);
        EXPECT_FALSE(Works()) << int(state);
    }
    registry_.keys[kStartupApprovedKey]["Ricordex"] = std::uint32_t{3};  // not Task Manager's
    EXPECT_TRUE(Works());
}

TEST_F(Autostart, TickingEnablesAgainWhatTaskManagerDisabledAndKeepsAWorkingValue) {
    const std::filesystem::path copy = MakeProgram(other_ / "Ricordex.exe");
    SetRun(Quoted(copy));
    SetStartupApproved(0x03);
    registry_.keys[kStartupApprovedKey]["Altro"] = Binary{{0x03}};
    ConfirmOptions(state_, services_, L"C:\\R\\Ricordex.exe", {L"", true, false, L""});
    EXPECT_TRUE(Works());
    EXPECT_EQ(std::get<std::wstring>(*Run()), Quoted(copy)) << "another copy that exists keeps its value";
    EXPECT_EQ(registry_.keys[kStartupApprovedKey].count("Altro"), 1u) << "other programs' choices stay";

    // Unticked, the Run value goes; Task Manager's record is left to it.
    SetStartupApproved(0x02);
    ConfirmOptions(state_, services_, L"C:\\R\\Ricordex.exe", {L"", false, false, L""});
    EXPECT_EQ(Run(), nullptr);
    EXPECT_EQ(registry_.keys[kStartupApprovedKey].count("Ricordex"), 1u);
}

// The program moved or installed elsewhere: the old value starts nothing.
TEST_F(Autostart, AValueThatStartsNothingIsReplacedWhenTickedAndDeletedWhenUnticked) {
    const std::filesystem::path program = MakeProgram(dir_ / "nuova" / "Ricordex.exe");
    SetRun((dir_ / "vecchia" / "Ricordex.exe").wstring());
    ConfirmOptions(state_, services_, program.wstring(), {L"", true, false, L""});
    EXPECT_EQ(std::get<std::wstring>(*Run()), AutostartCommand(program.wstring()));
    EXPECT_TRUE(Works());

    SetRun((dir_ / "vecchia" / "Ricordex.exe").wstring());
    ConfirmOptions(state_, services_, program.wstring(), {L"", false, false, L""});
    EXPECT_EQ(Run(), nullptr);
}

TEST_F(OptionsConfirm, AutostartIsWrittenQuotedOnlyWhenMissingAndDeletedWhenUnticked) {
    ConfirmOptions(state_, services_, L"C:\\Program Files\\Ricordex\\Ricordex.exe", {L"", true, false, L""});
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kRunKey]["Ricordex"]), L"\"C:\\Program Files\\Ricordex\\Ricordex.exe\"");
    EXPECT_EQ(state_.settings.avvio, 1);
    EXPECT_EQ(state_.settings.suono, L"old.wav");  // an empty ESuono changes nothing
    const std::wstring copy = MakeProgram(other_ / "Ricordex.exe").wstring();
    SetRun(copy);
    ConfirmOptions(state_, services_, L"C:\\R\\Ricordex.exe", {L"new.wav", true, true, L""});
    EXPECT_EQ(std::get<std::wstring>(*Run()), copy);
    EXPECT_EQ(state_.settings.avvio, 3);
    EXPECT_EQ(state_.settings.suono, L"new.wav");
    ConfirmOptions(state_, services_, L"C:\\R\\Ricordex.exe", {L"", false, true, L""});
    EXPECT_EQ(registry_.keys[kRunKey].count("Ricordex"), 0u);
    EXPECT_EQ(state_.settings.avvio, 2);
}

TEST_F(OptionsConfirm, AMissingRunKeyFailsTheTickAndLeavesAvvio) {
    registry_.keys.erase(kRunKey);
    EXPECT_EQ(ErrorText<RegistryError>([&] { ConfirmOptions(state_, services_, L"C:\\R\\Ricordex.exe", {L"x.wav", true, false, L""}); }),
              "Failed to set data for 'Ricordex'");
    EXPECT_EQ(state_.settings.avvio, 3);
    EXPECT_EQ(state_.settings.suono, L"old.wav");
}

// The events go with Dati at once, so the next start finds them there even
// when nothing else asks for a save at close.
TEST_F(OptionsConfirm, AFolderWithoutAnArchiveGetsTheListAtOnceAndTheNextStartShowsIt) {
    const std::wstring pending = ChooseArchiveFolder(Folder(other_), files_, questions_);
    EXPECT_TRUE(questions_.asked.empty());
    state_.modificato = state_.aggiornatoDaTimer = true;  // changes not saved yet
    ConfirmOptions(state_, services_, L"R.exe", {L"", true, true, pending});
    EXPECT_EQ(state_.settings.dati, Folder(other_) + L"Ricordex.psc");
    EXPECT_EQ(state_.list.Count(), 1u);
    EXPECT_FALSE(state_.modificato || state_.aggiornatoDaTimer) << "the new archive holds them";
    SaveOnClose(state_, services_);  // nothing to ask: only the settings are written
    EXPECT_TRUE(questions_.asked.empty());

    ProgramState next;
    StartUp(next, services_, [](const std::string&) {});
    ASSERT_EQ(next.list.Count(), 1u);
    EXPECT_EQ(next.list.At(0).Text(kDescrizione), "corrente");
}

// Another PC may be saving to the same new folder: that first write, like
// every save, holds the new archive's lock.
TEST_F(OptionsConfirm, TheFirstWriteToANewFolderHoldsItsLock) {
    LockWatch watch(files_);
    Services services{registry_, watch, clock_, questions_, L"C:\\Ricordex\\"};
    ConfirmOptions(state_, services, L"R.exe", {L"", true, true, Folder(other_) + L"Ricordex.psc"});
    EXPECT_EQ(watch.writes, std::vector<bool>{true});
}

// Two PCs switching to one new folder at once: the one that locks second
// finds the other's archive there and loads it instead of writing over it.
TEST_F(OptionsConfirm, AnArchiveMadeInTheNewFolderMeanwhileIsLoadedNotOverwritten) {
    LockWatch watch(files_);
    const std::filesystem::path other = other_ / "Ricordex.psc";
    watch.whileLocking = [&](const std::filesystem::path& path) {
        if (path == other && !std::filesystem::exists(other)) WriteBytes(other, BolloAuto());
    };
    Services services{registry_, watch, clock_, questions_, L"C:\\Ricordex\\"};
    ConfirmOptions(state_, services, L"R.exe", {L"", true, true, other.wstring()});
    EXPECT_EQ(ReadBytes(other), BolloAuto());
    EXPECT_EQ(state_.settings.dati, other.wstring());
    ASSERT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "Bollo auto");
    EXPECT_EQ(ReadBytes(archive_), Record({"corrente", "", "", "", "", "", ""}, '\0')) << "the list saved where it was";
}

// A folder where another PC's swap stopped half-way: its archive is taken
// back from ".old" and loaded, never written over by this list.
TEST_F(OptionsConfirm, AStoppedSwapInTheNewFolderIsTakenBackAndLoaded) {
    const std::filesystem::path other = other_ / "Ricordex.psc";
    WriteBytes(other_ / "Ricordex.psc.old", BolloAuto());
    ConfirmOptions(state_, services_, L"R.exe", {L"", true, true, other.wstring()});
    EXPECT_EQ(ReadBytes(other), BolloAuto());
    ASSERT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "Bollo auto");
}

TEST_F(OptionsConfirm, AFolderThatCannotTakeTheArchiveIsReportedAndDatiStays) {
    const std::wstring before = state_.settings.dati;
    const std::wstring gone = Folder(dir_ / "sparita") + L"Ricordex.psc";
    EXPECT_THROW(ConfirmOptions(state_, services_, L"R.exe", {L"new.wav", true, true, gone}), InOutError);
    EXPECT_EQ(state_.settings.dati, before);
    EXPECT_EQ(state_.settings.suono, L"old.wav");
    EXPECT_EQ(state_.list.Count(), 1u);
}

TEST_F(OptionsConfirm, AFolderWithAnArchiveAsksThenSavesTheListAndLoadsTheOther) {
    WriteBytes(other_ / "Ricordex.psc", BolloAuto());
    questions_.answer = kAnswerNo;
    EXPECT_EQ(ChooseArchiveFolder(Folder(other_), files_, questions_), L"");
    EXPECT_EQ(questions_.asked[0].caption, "Conferma Cambio cartella");
    questions_.answer = 6;
    const std::wstring pending = ChooseArchiveFolder(Folder(other_), files_, questions_);
    ConfirmOptions(state_, services_, L"R.exe", {L"", true, true, pending});
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc"), Record({"corrente", "", "", "", "", "", ""}, '\0'));
    ASSERT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "Bollo auto");
}

TEST_F(OptionsConfirm, AFailedSaveOfTheCurrentArchiveLeavesDatiAndTheList) {
    WriteBytes(other_ / "Ricordex.psc", BolloAuto());
    WriteBytes(dir_ / "Ricordex.psc", "");
    const std::wstring before = state_.settings.dati;
    FaultyFiles full(files_, SaveStep::Write);
    Services services{registry_, full, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(ConfirmOptions(state_, services, L"R.exe", {L"", true, true, Folder(other_) + L"Ricordex.psc"}),
                 InOutError);
    EXPECT_EQ(state_.settings.dati, before);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "corrente");
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc"), "");
    EXPECT_EQ(ReadBytes(other_ / "Ricordex.psc"), BolloAuto());
}

// A folder on the network may keep a read waiting: the window's thread
// only decodes what the file work read.
TEST_F(OptionsConfirm, TheNewArchiveIsReadWhereTheFileWorkRuns) {
    WriteBytes(other_ / "Ricordex.psc", BolloAuto());
    const std::filesystem::path other = other_ / "Ricordex.psc";
    bool working = false;
    struct WatchedReads final : ArchiveFiles {
        ArchiveFiles& real;
        std::filesystem::path watched;
        const bool& working;
        int outside = 0;
        WatchedReads(ArchiveFiles& r, std::filesystem::path w, const bool& f) : real(r), watched(std::move(w)), working(f) {}
        void Note(const std::filesystem::path& p) { outside += p == watched && !working; }
        std::optional<FileStamp> StampOf(const std::filesystem::path& p) override { return Note(p), real.StampOf(p); }
        std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override {
            return Note(p), real.OpenOrCreate(p);
        }
        std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& p) override {
            return Note(p), real.OpenExisting(p);
        }
        std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
            return real.CreateReplacement(p);
        }
        bool Exists(const std::filesystem::path& p) override { return real.Exists(p); }
        void CopyToNew(const std::filesystem::path& f, const std::filesystem::path& t) override { real.CopyToNew(f, t); }
    } files(files_, other, working);
    Services services{registry_, files, clock_, questions_, L"C:\\Ricordex\\"};
    services.runFileWork = [&working](const std::function<void()>& work) {
        working = true;
        work();
        working = false;
    };
    ConfirmOptions(state_, services, L"R.exe", {L"", false, false, Folder(other_) + L"Ricordex.psc"});
    EXPECT_EQ(files.outside, 0);
    ASSERT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "Bollo auto");
    EXPECT_EQ(state_.base.stamp, files_.StampOf(other)) << "the next look reads it only once it changes";
}

TEST_F(OptionsConfirm, AnUnreadableNewArchiveIsReportedWithDatiAlreadyMovedAndBothFilesIntact) {
    WriteBytes(other_ / "Ricordex.psc", BolloAuto());
    const std::wstring before = state_.settings.dati;
    struct Unreadable final : ArchiveFiles {
        ArchiveFiles& real;
        explicit Unreadable(ArchiveFiles& r) : real(r) {}
        std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override { return real.OpenOrCreate(p); }
        std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path&) override { throw InOutError(5); }
        std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
            return real.CreateReplacement(p);
        }
        bool Exists(const std::filesystem::path& p) override { return real.Exists(p); }
        void CopyToNew(const std::filesystem::path& f, const std::filesystem::path& t) override { real.CopyToNew(f, t); }
    } unreadable(files_);
    Services services{registry_, unreadable, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(ConfirmOptions(state_, services, L"R.exe", {L"", false, false, Folder(other_) + L"Ricordex.psc"}),
                 InOutError);
    EXPECT_EQ(state_.settings.dati, Folder(other_) + L"Ricordex.psc");  // "Annulla" puts `before` back
    EXPECT_EQ(state_.settings.avvio, 3);
    EXPECT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(ReadBytes(other_ / "Ricordex.psc"), BolloAuto());
    EXPECT_EQ(ReadBytes(before).size(), 164u);
    // The list is not the new archive's: a save keeps that archive aside first.
    state_.settings.dati = Folder(other_) + L"Ricordex.psc";
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
    SaveArchive(state_, services_);
    EXPECT_EQ(ReadBytes(other_ / "Ricordex.psc.20261207-094130.bak"), BolloAuto());
    EXPECT_EQ(ReadBytes(other_ / "Ricordex.psc").size(), 164u);
}

}  // namespace
}  // namespace ricordex
