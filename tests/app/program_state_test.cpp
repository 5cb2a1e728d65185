#include "app/program_state.h"

#include "app/archive_follow.h"
#include "app/recovery_file.h"
#include "app/start_load.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "core/archive.h"
#include "core/retrying_files.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/fakes.h"
#include "support/program_on_disk.h"
#include "support/faulty_files.h"
#include "support/flaky_files.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;

class Life : public ::testing::Test, protected ProgramOnDisk {
protected:
    Life() {
        clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        registry_.keys[kSettingsKey]["Dati"] = archive_.wstring();
    }

    bool Start() {
        return StartUp(state_, services_, [this](const std::string& text) { reported_.push_back(text); });
    }
    std::filesystem::file_time_type Stamp() { return std::filesystem::last_write_time(archive_); }

    std::vector<std::string> reported_;
};

// A lock left behind by a program that stopped, taken over by a save: the
// archive's files, and the lock as it was found.
class LockLeftBehind final : public ArchiveFiles {
public:
    explicit LockLeftBehind(ArchiveFiles& real) : real_(real) {}
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override { return real_.OpenOrCreate(path); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override { return real_.OpenExisting(path); }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override { real_.CopyToNew(from, to); }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        if (refused) throw InOutError(InOutError::kAccessDenied);
        return real_.CreateReplacement(path);
    }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path&) override {
        auto lock = std::make_unique<ArchiveLock>();
        lock->takenOver = "Il blocco \xE8 stato ignorato.";
        return lock;
    }
    bool refused = false;

private:
    ArchiveFiles& real_;
};

// That is no error: it is told as information once the save went through,
// and says so; a save that fails tells it beside its failure, as it was.
TEST_F(Life, ALockTakenOverIsToldWithWhatBecameOfTheSave) {
    WriteBytes(archive_, BolloAuto());
    ASSERT_TRUE(Start());
    LockLeftBehind files(files_);
    // Right here, and as the window runs it, on a thread of its own.
    for (const bool elsewhere : {false, true}) {
        SCOPED_TRACE(elsewhere);
        Services services{registry_, files, clock_, questions_, L"C:\\Ricordex\\"};
        if (elsewhere) services.runFileWork = [](const std::function<void()>& work) { std::thread(work).join(); };
        std::vector<std::string> errors, notices;
        services.report = [&errors](const std::string& text) { errors.push_back(text); };
        services.inform = [&notices](const std::string& text) { notices.push_back(text); };
        files.refused = false;
        state_.modificato = true;
        SaveArchive(state_, services);
        EXPECT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(notices, std::vector<std::string>{"Il blocco \xE8 stato ignorato. L'archivio \xE8 stato salvato."});

        notices.clear();
        files.refused = true;
        state_.modificato = true;
        EXPECT_THROW(SaveArchive(state_, services), InOutError);
        EXPECT_EQ(errors, std::vector<std::string>{"Il blocco \xE8 stato ignorato."});
        EXPECT_EQ(notices, std::vector<std::string>{});
    }
}

TEST_F(Life, StartLoadsTheArchiveInDescriptionOrderAndTakesTheStartStamp) {
    WriteBytes(archive_, Record({"zucca", "", "", "", "", "", ""}) + BolloAuto());
    state_.modificato = state_.aggiornatoDaTimer = true;
    EXPECT_TRUE(Start());
    ASSERT_EQ(state_.list.Count(), 2u);
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "Bollo auto");
    EXPECT_EQ(state_.avvioProgramma, "07/12/2026 09.41");
    EXPECT_FALSE(state_.modificato);
    EXPECT_FALSE(state_.aggiornatoDaTimer);
    EXPECT_TRUE(reported_.empty());
}

TEST_F(Life, AvvioDecidesWhetherTheMainWindowIsShown) {
    for (std::uint32_t avvio : {0u, 1u, 2u, 3u, 7u, 258u}) {
        registry_.keys[kSettingsKey]["Avvio"] = avvio;
        EXPECT_EQ(Start(), avvio % 256 == 2 || avvio % 256 == 3) << avvio;
    }
}

TEST_F(Life, AnUnreadableArchiveStopsTheStartButKeepsTheStartStamp) {
    registry_.keys[kSettingsKey]["Dati"] = (dir_ / "missing" / "Ricordex.psc").wstring();
    EXPECT_EQ(ErrorText<InOutError>([&] { Start(); }),
              "L'archivio \"" + PathText(dir_ / "missing" / "Ricordex.psc") +
                  "\" non \xE8 raggiungibile (File not found): forse la cartella non c'\xE8, l'unit\xE0 di rete "
                  "non \xE8 collegata o il disco non \xE8 pronto. Ricordex lo legger\xE0 appena sar\xE0 "
                  "raggiungibile.");
    EXPECT_EQ(state_.avvioProgramma, "07/12/2026 09.41");
    EXPECT_EQ(state_.list.Count(), 0u);
}

// The start's load runs beside the making of the windows: what the
// settings had to tell comes at once, the archive's rows and failure only
// when the window finishes it, and a load that fails still takes the stamp.
TEST_F(Life, TheStartsLoadTellsTheSettingsFirstAndTheArchiveWhenFinished) {
    const auto collect = [this](const std::string& text) { reported_.push_back(text); };
    registry_.keys[kSettingsKey]["Suono"] = std::uint32_t{1};
    registry_.keys[kSettingsKey]["Avvio"] = std::uint32_t{2};
    registry_.keys[kSettingsKey]["Dati"] = (dir_ / "missing" / "Ricordex.psc").wstring();
    {
        StartLoad load(state_, services_);
        EXPECT_TRUE(load.ShowMainWindow());
        load.TellSettings(collect);
        load.TellSettings(collect);
        EXPECT_EQ(reported_, std::vector<std::string>{"Invalid data type for 'Suono'"});
        EXPECT_THROW(load.Finish(collect), InOutError);
        EXPECT_EQ(reported_.size(), 1u);
        EXPECT_TRUE(state_.loadIncomplete);
        EXPECT_EQ(state_.avvioProgramma, "07/12/2026 09.41");
    }
    registry_.keys[kSettingsKey]["Dati"] = archive_.wstring();
    WriteBytes(archive_, Record({"zucca", "", "", "", "", "", ""}) + BolloAuto());
    StartLoad load(state_, services_);
    load.Wait();
    EXPECT_TRUE(load.Done());
    load.Finish(collect);
    EXPECT_EQ(state_.list.Count(), 2u);
    EXPECT_FALSE(state_.loadIncomplete);
}

// A network folder before its network: the start fails, and once the
// archive can be reached the list takes its events (with nothing changed
// here), so the alerts of the day are not lost to the rest of the session.
TEST_F(Life, AnArchiveNotReachedAtStartIsLoadedOnceItCanBe) {
    const std::filesystem::path later = dir_ / "rete" / "Ricordex.psc";
    registry_.keys[kSettingsKey]["Dati"] = later.wstring();
    EXPECT_THROW(Start(), InOutError);
    EXPECT_FALSE(FollowArchive(state_, services_)) << "still out of reach";
    std::filesystem::create_directories(later.parent_path());
    WriteBytes(later, BolloAuto() + Record({"zucca", "", "", "", "", "", ""}));
    EXPECT_TRUE(FollowArchive(state_, services_));
    EXPECT_EQ(state_.list.Count(), 2u);
    EXPECT_FALSE(state_.loadIncomplete);
    EXPECT_FALSE(FollowArchive(state_, services_)) << "followed as any archive from now on";
    EXPECT_TRUE(reported_.empty());
}

TEST_F(Life, ASettingOfTheWrongTypeIsReportedAndTheArchiveStillLoads) {
    WriteBytes(archive_, BolloAuto());
    registry_.keys[kSettingsKey]["Avvio"] = std::wstring(L"3");
    EXPECT_TRUE(Start());
    EXPECT_EQ(reported_, std::vector<std::string>{"Invalid data type for 'Avvio'"});
    EXPECT_EQ(state_.list.Count(), 1u);
}

// Up to where the list was examined: read at start (a value of the wrong
// type reported, the start going on), written at every close, and while
// the program runs at most every few minutes.
TEST_F(Life, TheMomentExaminedIsKeptAcrossRuns) {
    WriteBytes(archive_, BolloAuto());
    registry_.keys[kSettingsKey]["UltimoControllo"] = std::uint32_t{1};
    Start();
    EXPECT_EQ(reported_, std::vector<std::string>{"Invalid data type for 'UltimoControllo'"});
    EXPECT_EQ(state_.examinedUpTo, std::nullopt);
    EXPECT_EQ(state_.list.Count(), 1u);

    state_.examinedUpTo = clock_.now;
    RememberExamined(state_, services_, true);
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kSettingsKey]["UltimoControllo"]), L"07/12/2026 09.41.30");
    state_.examinedUpTo = clock_.now += 4.0 / 1440;
    RememberExamined(state_, services_, true);
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kSettingsKey]["UltimoControllo"]), L"07/12/2026 09.41.30");
    state_.examinedUpTo = clock_.now += 1.0 / 1440;
    RememberExamined(state_, services_, true);
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kSettingsKey]["UltimoControllo"]), L"07/12/2026 09.46.30");
    state_.examinedUpTo = clock_.now += 10.0 / 86'400;
    SaveOnClose(state_, services_);
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kSettingsKey]["UltimoControllo"]), L"07/12/2026 09.46.40");
    reported_.clear();
    Start();
    EXPECT_EQ(state_.examinedUpTo, clock_.now);
    EXPECT_TRUE(reported_.empty());

    // A resume begins a run.
    clock_.now += 2;
    BeginRunAtResume(state_, services_);
    EXPECT_EQ(state_.avvioProgramma, "09/12/2026 09.46");
}

TEST_F(Life, CloseWithoutChangesWritesOnlyTheSettings) {
    WriteBytes(archive_, BolloAuto());
    Start();
    const auto before = Stamp();
    registry_.keys[kSettingsKey].erase("Avvio");
    SaveOnClose(state_, services_);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(Stamp(), before);
    EXPECT_EQ(std::get<std::uint32_t>(registry_.keys[kSettingsKey]["Avvio"]), 3u);
    EXPECT_EQ(std::get<std::wstring>(registry_.keys[kSettingsKey]["Suono"]), L"C:\\Ricordex\\Suoni\\1.wav");
}

TEST_F(Life, SaveDecisionInEveryCase) {
    enum Written { kNothing, kList, kStampsOnly };
    struct Case {
        bool modificato, aggiornato;
        int answer;
        bool alertDuringQuestion;
        bool asked;
        Written written;
    };
    const Case cases[] = {
        {true, false, 6, false, true, kList},         // Yes saves
        {true, false, 2, false, true, kList},         // anything but No saves
        {true, false, 7, false, true, kNothing},      // No keeps the file
        {true, true, 7, false, true, kStampsOnly},    // No still writes the alerts' stamps
        {false, true, 7, false, false, kList},        // alerts alone save without asking
        {true, false, 7, true, true, kStampsOnly},    // an alert while the question is open counts
        {true, false, 6, true, true, kList},
        {false, false, 6, false, false, kNothing},
    };
    state_.settings.dati = archive_.wstring();
    for (const Case& c : cases) {
        WriteBytes(archive_, "");
        state_.list.Clear();
        state_.base = {};  // each case starts afresh, from the empty archive
        RememberBase(state_.base, state_.list, files_, archive_);
        state_.list.AggiungiRiga({"x", "", "", "", "", "", ""}, 0);
        state_.modificato = c.modificato;
        state_.aggiornatoDaTimer = c.aggiornato;
        questions_.asked.clear();
        questions_.answer = c.answer;
        questions_.whileOpen = [&] {
            if (c.alertDuringQuestion) state_.aggiornatoDaTimer = true;
        };
        SaveOnClose(state_, services_);
        ASSERT_EQ(questions_.asked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(questions_.asked[0].text, "Salvare le modifiche?");
            EXPECT_EQ(questions_.asked[0].caption, "Conferma Modifiche");
            EXPECT_EQ(questions_.asked[0].flags, 36u);
        }
        // The archive as it was holds no row: only the list adds one.
        EXPECT_EQ(ReadBytes(archive_).size(), c.written == kList ? 164u : 0u);
        // Each flag is cleared only by a save of what it stands for.
        EXPECT_EQ(state_.modificato, c.modificato && c.written != kList);
        EXPECT_EQ(state_.aggiornatoDaTimer, (c.aggiornato || c.alertDuringQuestion) && c.written == kNothing);
        EXPECT_EQ(registry_.keys[kSettingsKey].count("Avvio"), 1u);
        registry_.keys[kSettingsKey].erase("Avvio");
    }
}

// An answer of No at close keeps the user's additions, edits and deletions
// out of the archive, never an alert's stamp; the list keeps them unsaved
// for the next close to ask again.
TEST_F(Life, NoWritesTheArchiveAsItWasWithOnlyTheAlertsStamps) {
    const std::string canone = Record({"Canone", "1 giorno prima", "20/12", "08.00", "Ogni ora", "Annuale",
                                       "01/01/1900 00.01"});
    WriteBytes(archive_, BolloAuto() + canone);
    Start();
    // The user adds one, deletes one and edits one (a new row, a new stamp).
    state_.list.AggiungiRiga({"Nuovo", "", "", "", "", "", ""}, 0);
    state_.list.Remove(*state_.list.FindDescriptionPrefix("Canone", 0, false));
    state_.modificato = true;
    // An alert stamps the first event, then the user edits it.
    const std::size_t bollo = *state_.list.FindDescriptionPrefix("Bollo", 0, false);
    state_.list.SetStamp(bollo, "07/12/2026 09.45");
    state_.alertStamps[EventKey(state_.list.At(bollo))] = "07/12/2026 09.45";
    state_.aggiornatoDaTimer = true;
    RowTexts edited = state_.list.At(bollo).Texts();
    state_.list.Remove(bollo);
    edited[kOra] = "09.00";
    edited[kUltimoAvviso] = "01/01/1900 00.01";
    state_.list.AggiungiRiga(FieldsOf(edited), 0);

    questions_.answer = kAnswerNo;
    SaveOnClose(state_, services_);
    EventList saved;
    ReloadArchive(saved, files_, archive_);
    ASSERT_EQ(saved.Count(), 2u);
    EXPECT_EQ(saved.At(0).Texts(), (RowTexts{"Bollo auto", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale",
                                             "07/12/2026 09.45"}));
    EXPECT_EQ(saved.At(1).Text(kDescrizione), "Canone");
    EXPECT_EQ(saved.At(1).Text(kUltimoAvviso), "01/01/1900 00.01");
    EXPECT_TRUE(state_.modificato);
    EXPECT_FALSE(state_.aggiornatoDaTimer);
    EXPECT_EQ(state_.list.Count(), 2u);  // the changes stay in the window

    questions_.answer = kAnswerYes;
    SaveOnClose(state_, services_);
    EXPECT_EQ(ReadBytes(archive_).size(), 2 * 164u);
    EXPECT_EQ(ReadBytes(archive_).find("Canone"), std::string::npos);
    EXPECT_FALSE(state_.modificato);
}

// Another program (a second PC) alerted the same event later and saved:
// an answer of No here writes the later stamp, as any merge does.
TEST_F(Life, NoNeverWritesAnOlderStampOverALaterOne) {
    WriteBytes(archive_, BolloAuto());
    Start();
    state_.list.AggiungiRiga({"Nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    state_.list.SetStamp(*state_.list.FindDescriptionPrefix("Bollo", 0, false), "07/12/2026 09.45");
    RowTexts theirs = {"Bollo auto", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "07/12/2026 10.30"};
    state_.alertStamps[EventKey(theirs)] = "07/12/2026 09.45";
    state_.aggiornatoDaTimer = true;
    WriteBytes(archive_, Record(theirs));
    questions_.answer = kAnswerNo;
    SaveOnClose(state_, services_);
    EventList saved;
    ReloadArchive(saved, files_, archive_);
    ASSERT_EQ(saved.Count(), 1u);
    EXPECT_EQ(saved.At(0).Text(kUltimoAvviso), "07/12/2026 10.30");
}

TEST_F(Life, AFailedSaveKeepsTheFlagsTheArchiveAndTheStoredSettings) {
    WriteBytes(archive_, BolloAuto());
    Start();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    state_.settings.avvio = 0;
    FaultyFiles full(files_, SaveStep::Write);
    Services failing{registry_, full, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(SaveOnClose(state_, failing), InOutError);
    EXPECT_TRUE(state_.modificato);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_EQ(registry_.keys[kSettingsKey].count("Avvio"), 0u);  // settings not written after a failure
    SaveOnClose(state_, services_);  // the next close tries again
    EXPECT_FALSE(state_.modificato);
    EXPECT_EQ(ReadBytes(archive_).size(), 2 * 164u);
}

TEST_F(Life, ASaveFailingAtAnyPointLeavesTheArchiveAndTheFlags) {
    std::string before;
    for (int i = 0; i < 3; ++i) before += BolloAuto();
    WriteBytes(archive_, before);
    Start();
    // The save writes them in three blocks.
    for (std::size_t i = 3; i < 2 * kRecordsPerBlock + 1; ++i) {
        state_.list.AppendUnordered({"riga", "", "", "", "", "", ""}, 0);
    }
    std::vector<std::pair<SaveStep, int>> points = {{SaveStep::Create, 0}, {SaveStep::Commit, 0}};
    for (int block = 1; block <= 3; ++block) points.emplace_back(SaveStep::Write, block);
    for (auto [step, block] : points) {
        state_.modificato = true;
        state_.aggiornatoDaTimer = true;
        FaultyFiles failing(files_, step, InOutError::kDiskFull, block);
        Services services{registry_, failing, clock_, questions_, L"C:\\Ricordex\\"};
        EXPECT_EQ(ErrorText<InOutError>([&] { SaveArchive(state_, services); }), "Disk full");
        EXPECT_TRUE(state_.modificato);
        EXPECT_TRUE(state_.aggiornatoDaTimer);
        EXPECT_EQ(ReadBytes(archive_), before);
    }
}

// A list read only in part, or not at all, must not simply replace the
// archive: the events it lacks would be gone.
TEST_F(Life, AfterAFailedLoadTheNextSaveKeepsTheArchiveAside) {
    std::string before;
    for (std::size_t i = 0; i < kRecordsPerBlock + 88; ++i) before += BolloAuto();  // read in two blocks
    const std::filesystem::path copy = dir_ / "Ricordex.psc.20261207-094130.bak";
    for (int goodReads : {-1, 1}) {  // failing at the open; after the first block
        WriteBytes(archive_, before);
        std::filesystem::remove(copy);
        FailingLoads failing(files_, goodReads);
        Services services{registry_, failing, clock_, questions_, L"C:\\Ricordex\\"};
        EXPECT_THROW(StartUp(state_, services, [](const std::string&) {}), InOutError);
        const std::size_t read = goodReads < 0 ? 0 : kRecordsPerBlock;
        ASSERT_EQ(state_.list.Count(), read);
        state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
        state_.modificato = true;
        SaveOnClose(state_, services_);
        EXPECT_EQ(ReadBytes(copy), before);
        // The archive reads now: the rows the start missed join the list.
        EXPECT_EQ(ReadBytes(archive_).size(), before.size() + 164u) << read << " rows read at start";
        // Once the archive holds the list, saves replace it alone.
        std::filesystem::remove(copy);
        state_.modificato = true;
        SaveOnClose(state_, services_);
        EXPECT_FALSE(std::filesystem::exists(copy));
    }
}

TEST_F(Life, NothingIsSavedWithoutTheCopyAsideAndTheCopyIsMadeOnce) {
    WriteBytes(archive_, BolloAuto());
    FailingLoads unreadable(files_, -1);
    Services starting{registry_, unreadable, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(StartUp(state_, starting, [](const std::string&) {}), InOutError);
    state_.modificato = state_.aggiornatoDaTimer = true;
    FaultyFiles noCopy(files_, SaveStep::Copy);
    Services saving{registry_, noCopy, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(SaveArchive(state_, saving), InOutError);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_TRUE(state_.modificato);
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    // A save that fails after the copy: the next one needs no second copy.
    FaultyFiles full(files_, SaveStep::Commit);
    Services failing{registry_, full, clock_, questions_, L"C:\\Ricordex\\"};
    EXPECT_THROW(SaveArchive(state_, failing), InOutError);
    SaveOnClose(state_, services_);
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex.psc.20261207-094130.bak"), BolloAuto());
    const std::string saved = ReadBytes(archive_);
    EXPECT_EQ(saved.size(), 164u);
    EXPECT_EQ(saved.substr(1, 10), "Bollo auto") << "the event the start could not read is kept";
}

// At log-on the archive's drive is not ready: the start fails, a save
// fails too; when the drive is back, the next save keeps the archive aside.
TEST_F(Life, AnArchiveThatWasAwayAtStartIsKeptAsideWhenItComesBack) {
    const std::filesystem::path share = dir_ / "share", away = dir_ / "away";
    std::filesystem::create_directory(share);
    const std::string before = BolloAuto() + BolloAuto() + BolloAuto();
    WriteBytes(share / "Ricordex.psc", before);
    registry_.keys[kSettingsKey]["Dati"] = (share / "Ricordex.psc").wstring();
    std::filesystem::rename(share, away);
    EXPECT_THROW(Start(), InOutError);
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    EXPECT_THROW(SaveOnClose(state_, services_), InOutError);
    std::filesystem::rename(away, share);
    SaveOnClose(state_, services_);
    EXPECT_EQ(ReadBytes(share / "Ricordex.psc.20261207-094130.bak"), before);
    EXPECT_EQ(ReadBytes(share / "Ricordex.psc").size(), 4 * 164u) << "the three events and the new one";
}

// A save refused at every close (a folder the system guards, a share's
// permissions): told once, naming the archive and the cause, the changes
// kept for the next start; the next close goes on, and that start offers
// them back. A save that works again makes the next refusal told again.
class RefusedClose : public Life {
protected:
    RefusedClose() {
        WriteBytes(archive_, BolloAuto());
        std::filesystem::create_directory(dir_ / "Locale");
        services_.recoveryFile = dir_ / "Locale" / "Ricordex-recupero.psc";
        refusing_.recoveryFile = services_.recoveryFile;
        Start();
    }
    void Change(const std::string& description) {
        state_.list.AggiungiRiga({description, "", "", "", "", "", ""}, 0);
        state_.modificato = true;
        KeepRecovery(state_, services_);
    }
    // The close went on to the settings (a refused one stops before them).
    bool Closed() { return registry_.keys[kSettingsKey].erase("Avvio") == 1; }
    // The events the next start offers back, or none when it asks nothing.
    std::size_t OfferedAtNextStart() {
        ProgramState next;
        questions_.asked.clear();
        questions_.answer = kAnswerYes;
        StartUp(next, services_, [](const std::string&) {});
        return questions_.asked.size() == 1 && questions_.asked[0].text == kRestoreQuestion ? next.list.Count() : 0;
    }

    RefusingFolder folder_{files_, dir_.path()};
    Services refusing_{registry_, folder_, clock_, questions_, L"C:\\Ricordex\\"};
    const std::string kToldKept = "L'archivio \"" + PathText(archive_) +
                                  "\" non si pu\xF2 salvare (File access denied). Le modifiche restano nel file di "
                                  "recupero e sono riproposte al prossimo avvio. La prossima chiusura non si ferma "
                                  "pi\xF9 per questo errore.";
};

TEST_F(RefusedClose, IsToldOnceAndTheNextCloseGoesOnWithTheChangesOfferedAtTheNextStart) {
    Change("nuovo");
    EXPECT_EQ(ErrorText<InOutError>([&] { SaveOnClose(state_, refusing_); }), kToldKept);
    EXPECT_FALSE(Closed());
    SaveOnClose(state_, refusing_);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_EQ(OfferedAtNextStart(), 2u);
}

// "Chiudi" answered No drops the recovery file and leaves the changes in the
// list: a refused save later still keeps them for the next start.
TEST_F(RefusedClose, AfterANoTheChangesAreKeptAgainAndASaveThatWorksMakesTheNextRefusalTold) {
    Change("nuovo");
    questions_.answer = kAnswerNo;
    SaveOnClose(state_, services_);
    EXPECT_TRUE(Closed());
    questions_.answer = kAnswerYes;
    EXPECT_EQ(ErrorText<InOutError>([&] { SaveOnClose(state_, refusing_); }), kToldKept);
    SaveOnClose(state_, services_);  // the folder writable again
    EXPECT_EQ(ReadBytes(archive_).size(), 2 * 164u);
    Change("altro");
    EXPECT_THROW(SaveOnClose(state_, refusing_), InOutError) << "told again";
    SaveOnClose(state_, refusing_);
    EXPECT_EQ(OfferedAtNextStart(), 3u);
}

// Declined changes are not offered back, whatever became of the stamps.
TEST_F(RefusedClose, DeclinedChangesAreNotOfferedBack) {
    Change("rifiutato");
    state_.aggiornatoDaTimer = true;
    questions_.answer = kAnswerNo;
    EXPECT_EQ(ErrorText<InOutError>([&] { SaveOnClose(state_, refusing_); }),
              "L'archivio \"" + PathText(archive_) +
                  "\" non si pu\xF2 salvare (File access denied). La prossima chiusura non si ferma pi\xF9 per "
                  "questo errore.");
    SaveOnClose(state_, refusing_);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(OfferedAtNextStart(), 0u);
}

// At the end of a session nobody closes again: the settings are written all
// the same, and the changes wait for the next start.
TEST_F(RefusedClose, AtTheEndOfASessionTheSettingsAreWrittenAndTheChangesKept) {
    Change("nuovo");
    EXPECT_EQ(ErrorText<InOutError>([&] { SaveAtEndOfSession(state_, refusing_); }),
              "L'archivio \"" + PathText(archive_) +
                  "\" non si pu\xF2 salvare (File access denied). Le modifiche restano nel file di recupero e sono "
                  "riproposte al prossimo avvio.");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(OfferedAtNextStart(), 2u);
}

// A read-only archive loads as any other. Its save is refused with one
// report naming it, nothing written to it or beside it; later closes tell
// nothing more and go on, the changes staying unsaved in the list.
TEST_F(Life, AReadOnlyArchiveLoadsAndItsSaveIsRefusedOnceWithNothingWritten) {
    using std::filesystem::perms;
    WriteBytes(archive_, BolloAuto());
    std::filesystem::permissions(archive_, perms::owner_read | perms::group_read | perms::others_read);
    CountedWaits waits;
    RetryingArchiveFiles files(files_, waits.Sleep());
    Services services{registry_, files, clock_, questions_, L"C:\\Ricordex\\"};
    std::vector<std::string> told;
    services.report = [&](const std::string& text) { told.push_back(text); };
    StartUp(state_, services, [&](const std::string& text) { told.push_back(text); });
    ASSERT_EQ(state_.list.Count(), 1u);
    EXPECT_FALSE(state_.loadIncomplete);

    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = state_.aggiornatoDaTimer = true;
    state_.loadIncomplete = true;  // not even a copy aside
    EXPECT_EQ(ErrorText<InOutError>([&] { SaveOnClose(state_, services); }),
              "L'archivio \"" + PathText(archive_) +
                  "\" \xE8 di sola lettura: le modifiche non sono salvate e restano solo nell'elenco.");
    EXPECT_TRUE(state_.modificato);
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    EXPECT_EQ(registry_.keys[kSettingsKey].count("Avvio"), 0u) << "the close stopped, as at any failed save";

    for (int close = 0; close < 2; ++close) {
        SaveOnClose(state_, services);
        EXPECT_TRUE(state_.modificato);
        EXPECT_EQ(state_.list.Count(), 2u);
        EXPECT_EQ(registry_.keys[kSettingsKey].count("Avvio"), 1u) << "the close went on";
        registry_.keys[kSettingsKey].erase("Avvio");
    }
    EXPECT_EQ(questions_.asked.size(), 3u) << "asked at every close, as ever";
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(waits.count, 0);
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1) << "no .bak, .new, .lock";

    // Writable again: the next close saves.
    std::filesystem::permissions(archive_, perms::owner_write, std::filesystem::perm_options::add);
    SaveOnClose(state_, services);
    EXPECT_FALSE(state_.modificato);
    EXPECT_EQ(ReadBytes(archive_).size(), 2 * 164u);
}

// The archive was missing at the save, and another PC's save lands just as
// the new file moves in: that file is merged, not written over.
TEST_F(Life, AnArchiveThatAppearsWhileTheSaveMovesInIsMergedNotOverwritten) {
    WriteBytes(archive_, BolloAuto());
    Start();
    std::filesystem::remove(archive_);
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    StdSwapSteps real;
    FaultySwapSteps steps(real);
    bool landed = false;
    steps.beforeMove = [&] {
        if (!std::exchange(landed, true)) WriteBytes(archive_, BolloAuto() + Record({"altro PC", "", "", "", "", "", ""}));
    };
    StdArchiveFiles files(steps);
    Services services{registry_, files, clock_, questions_, L"C:\\Ricordex\\"};
    SaveOnClose(state_, services);
    EventList saved;
    ReloadArchive(saved, files_, archive_);
    ASSERT_EQ(saved.Count(), 3u);
    EXPECT_EQ(saved.At(0).Text(kDescrizione), "altro PC");
    EXPECT_EQ(saved.At(1).Text(kDescrizione), "Bollo auto");
    EXPECT_EQ(saved.At(2).Text(kDescrizione), "nuovo");
    EXPECT_EQ(state_.list.Count(), 3u);
}

TEST_F(Life, EndOfSessionSavesWithoutAsking) {
    Start();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    SaveAtEndOfSession(state_, services_);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
    EXPECT_FALSE(state_.modificato);
}

}  // namespace
}  // namespace ricordex
