// Two PCs running the program on one archive in a shared folder: each
// start, edit and close as a user does, and the archive after them.

#include "app/archive_sync.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "app/archive_follow.h"
#include "app/delete_event.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/fakes.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using namespace ricordex::testing;

std::string Event(const std::string& description) {
    return Record({description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"});
}

// One PC: its own settings and questions, the shared archive.
struct Pc {
    explicit Pc(const std::filesystem::path& archive) {
        registry.keys[kSettingsKey]["Dati"] = archive.wstring();
        clock.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        questions.answer = 6;  // "Sì" to saving
        StartUp(state, services, [](const std::string&) {});
    }
    void Add(const std::string& description) {
        state.list.AggiungiRiga({description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale",
                                 "01/01/1900 00.01"},
                                0);
        state.modificato = true;
    }
    void Remove(const std::string& description) {
        state.list.Remove(*state.list.FindDescriptionPrefix(description, 0, false));
        state.modificato = true;
    }
    void Close() { SaveOnClose(state, services); }

    FakeRegistry registry;
    StdArchiveFiles files;
    FakeClock clock;
    FakeQuestions questions;
    Services services{registry, files, clock, questions, L"C:\\Ricordex\\"};
    ProgramState state;
};

std::multiset<std::string> Descriptions(const EventList& list) {
    std::multiset<std::string> names;
    for (std::size_t i = 0; i < list.Count(); ++i) names.emplace(list.At(i).Text(kDescrizione));
    return names;
}

// What the archive holds, as the program reads it.
std::multiset<std::string> Archive(const std::filesystem::path& path) {
    EventList list;
    StdArchiveFiles files;
    ReloadArchive(list, files, path);
    return Descriptions(list);
}

TEST(SharedArchive, TwoPcsAddDeleteAndEditAndNothingEitherDidIsLost) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Event("Affitto") + Event("Zanzariera") + Event("Esame"));

    // Both running: A adds X, B adds Y, both close with "Sì".
    Pc a(archive), b(archive);
    a.Add("X");
    b.Add("Y");
    a.Close();
    b.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Zanzariera", "Esame", "X", "Y"}));

    // A deletes Z and saves; B, without changes of its own, saves after an
    // alert (a stamp only): Z is not written back.
    Pc a2(archive), b2(archive);
    a2.Remove("Zanzariera");
    a2.Close();
    b2.state.list.SetStamp(0, "07/12/2026 10.00");
    b2.state.aggiornatoDaTimer = true;
    b2.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Esame", "X", "Y"}));

    // The same event edited on both: both versions are kept.
    Pc a3(archive), b3(archive);
    a3.Remove("Esame");
    a3.Add("Esame di guida");
    b3.Remove("Esame");
    b3.Add("Esame di inglese");
    a3.Close();
    b3.Close();
    EXPECT_EQ(Archive(archive),
              (std::multiset<std::string>{"Affitto", "X", "Y", "Esame di guida", "Esame di inglese"}));
    // And the program's list shows what it wrote.
    EXPECT_EQ(b3.state.list.Count(), 5u);
}

TEST(SharedArchive, WithNothingUnsavedTheListFollowsTheOtherPcsSavesKeepingItsRows) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Event("Affitto") + Event("Zanzariera") + Event("Esame"));
    Pc a(archive), b(archive);
    const RowId affitto = b.state.list.At(0).Id();
    a.Remove("Zanzariera");
    a.Close();
    EXPECT_TRUE(FollowArchive(b.state, b.services));
    EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "Esame"}));
    EXPECT_EQ(b.state.list.Find(affitto), 0u) << "a row that stays keeps its id";
    EXPECT_FALSE(b.state.modificato) << "following is not a change to save";
    EXPECT_FALSE(FollowArchive(b.state, b.services)) << "nothing new";

    // With a change of its own unsaved, B follows all the same, its change
    // kept and still unsaved; its save then writes both.
    // (A save of another size: one of the same size within the file
    // system's time step looks unchanged until the next save.)
    b.Add("W");
    a.Remove("Esame");
    a.Add("V");
    a.Add("U");
    a.Close();
    EXPECT_TRUE(FollowArchive(b.state, b.services));
    EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "U", "V", "W"}));
    EXPECT_TRUE(b.state.modificato);
    b.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "U", "V", "W"}));
}

// A file system whose clock steps by seconds (FAT, some network storage)
// gives another PC's second save of the same size the stamp of its first.
// A look a few seconds later reads the file all the same and takes it; once
// the file is found as it was, the looks go back to its stamp alone.
TEST(SharedArchive, ASaveOfTheSameSizeWithinTheFileClocksStepIsFollowedSecondsLater) {
    // A few seconds later, or at once when the clock was set back meanwhile.
    for (const int later : {3, -3600}) {
        SCOPED_TRACE(later);
        TempDir dir;
        const std::filesystem::path archive = dir / "Ricordex.psc";
        WriteBytes(archive, Event("Affitto") + Event("Esame"));
        Pc a(archive), b(archive);
        const auto seconds = [&b](int n) { b.clock.now += n / (24.0 * 60 * 60); };
        a.Add("Esama");
        a.Close();
        EXPECT_TRUE(FollowArchive(b.state, b.services));
        const auto firstSaveTime = std::filesystem::last_write_time(archive);
        a.Remove("Esama");
        a.Add("Esamb");
        a.Close();
        std::filesystem::last_write_time(archive, firstSaveTime);
        EXPECT_FALSE(FollowArchive(b.state, b.services)) << "the stamp it knows";
        seconds(1);
        EXPECT_FALSE(FollowArchive(b.state, b.services)) << "still within the step";
        seconds(later);
        EXPECT_TRUE(FollowArchive(b.state, b.services));
        EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "Esamb", "Esame"}));
        EXPECT_FALSE(FollowArchive(b.state, b.services));
        seconds(10);
        EXPECT_FALSE(FollowArchive(b.state, b.services)) << "read again, found as it was";
        seconds(10);
        EXPECT_TRUE(FollowRequest(b.state, b.clock.now).known.has_value()) << "and no longer read at every look";
    }
}

// An alert's stamp is no reason to stop following: another PC's new event
// shows here (to be alerted here too), the stamp stays, and an answer of
// No at close still writes the stamp over what the other PC saved.
TEST(SharedArchive, WithOnlyAnAlertsStampUnsavedTheListFollowsAndKeepsTheStamp) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Event("Affitto") + Event("Esame"));
    Pc a(archive), b(archive);
    b.state.list.SetStamp(0, "07/12/2026 09.45");
    b.state.alertStamps[EventKey(b.state.list.At(0))] = "07/12/2026 09.45";
    b.state.aggiornatoDaTimer = true;
    const std::string stamped(b.state.list.At(0).Text(kDescrizione));
    a.Add("Nuovo");
    a.Close();
    EXPECT_TRUE(FollowArchive(b.state, b.services));
    EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "Esame", "Nuovo"}));
    EXPECT_EQ(b.state.list.At(*b.state.list.FindDescriptionPrefix(stamped, 0, false)).Text(kUltimoAvviso),
              "07/12/2026 09.45");
    b.questions.answer = kAnswerNo;
    b.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Esame", "Nuovo"}));
    EventList saved;
    ReloadArchive(saved, b.files, archive);
    EXPECT_EQ(saved.At(*saved.FindDescriptionPrefix(stamped, 0, false)).Text(kUltimoAvviso), "07/12/2026 09.45");
}

// The look at the archive runs off the window's thread: one read before
// this program's own save ends after it. Taken for the archive, it would
// drop the event the save just wrote.
TEST(SharedArchive, ALookTakenBeforeASaveChangesNothingAfterIt) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Event("Affitto") + Event("Zanzariera") + Event("Esame"));
    Pc a(archive), b(archive);
    const ArchiveLookRequest request = FollowRequest(b.state);
    a.Remove("Zanzariera");
    a.Close();
    const ArchiveLook look = LookAtArchive(b.files, request);
    ASSERT_TRUE(look.sight.rows.has_value()) << "the look read A's save";
    b.Add("W");
    b.Close();
    EXPECT_FALSE(FollowSeen(b.state, b.services, look));
    EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "Esame", "W"}));
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Esame", "W"}));
}

// A file cut short by a sync client writing in place, or emptied, is not
// the other program deleting events: the list is written as it is, and what
// the file held is first kept aside and reported.
TEST(SharedArchive, AShortOrEmptiedArchiveIsNotTakenForDeletionsAndIsKeptAside) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    const std::string three = Event("Affitto") + Event("Esame") + Event("Zanzariera");
    int n = 1;
    for (const std::string& damaged : {three.substr(0, 164 + 80), std::string()}) {
        WriteBytes(archive, three);
        Pc pc(archive);
        int reports = 0;
        pc.services.report = [&](const std::string&) { ++reports; };
        WriteBytes(archive, damaged);
        pc.Add("W");
        pc.Close();
        EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Esame", "Zanzariera", "W"}))
            << damaged.size() << " bytes on disk";
        const std::string copy = n == 1 ? ".bak" : "-2.bak";
        EXPECT_EQ(ReadBytes(dir / ("Ricordex.psc.20261207-094130" + copy)), damaged);
        EXPECT_EQ(reports, 1);
        ++n;
    }
}

// Sorted by another column (the time here), the list holds the same rows as
// the file: the file written again is no change to merge.
TEST(SharedArchive, TheSameRowsInAnotherOrderAreNoChange) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Record({"Affitto", "1 giorno prima", "15/03", "09.00", "Ogni ora", "Annuale", "-"}) +
                            Record({"Zanzariera", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "-"}));
    Pc pc(archive);
    pc.state.list.SortBy(kOra);
    pc.Add("Esame");
    pc.Close();
    const std::string rows = ReadBytes(archive);
    WriteBytes(archive, rows);
    EXPECT_EQ(MergeChangesOnDisk(pc.state.base, pc.state.list, pc.files, archive), DiskChange::kNone);
}

// Copies a sync service left beside the archive only add to it; they are
// kept aside as "*.merged" once the save went through; one that cannot be
// read stays and is reported once.
TEST(SharedArchive, ConflictedCopiesAddTheirEventsAndAreKeptAsideAfterTheSave) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, Event("Affitto") + Event("Esame"));
    Pc pc(archive);
    int reports = 0;
    pc.services.report = [&](const std::string&) { ++reports; };
    pc.Add("Nuovo qui");
    pc.Close();
    pc.Remove("Esame");
    // Made from an older archive: it lacks the event this PC saved and
    // still holds the one deleted here; it adds one of its own.
    const std::string copy = Event("Affitto") + Event("Esame") + Event("Solo nella copia");
    WriteBytes(dir / "Ricordex (conflicted copy 2026-12-01).psc", copy);
    // The name an earlier conflict's copy was kept under stays its own.
    WriteBytes(dir / "Ricordex (conflicted copy 2026-12-01).psc.merged", "prima");
    WriteBytes(dir / "Ricordex (1).psc", Event("Affitto").substr(0, 100));
    WriteBytes(dir / "Ricordex - Copia.psc", Event("Copia dell'utente"));
    WriteBytes(dir / "Ricordex.psc.lock.psc.bak", Event("Non una copia"));
    pc.Close();
    pc.state.modificato = true;
    pc.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Nuovo qui", "Solo nella copia"}));
    EXPECT_EQ(ReadBytes(dir / "Ricordex (conflicted copy 2026-12-01).psc-2.merged"), copy);
    EXPECT_EQ(ReadBytes(dir / "Ricordex (conflicted copy 2026-12-01).psc.merged"), "prima");
    EXPECT_TRUE(std::filesystem::exists(dir / "Ricordex - Copia.psc")) << "the user's own copy is not merged";
    EXPECT_FALSE(std::filesystem::exists(dir / "Ricordex (conflicted copy 2026-12-01).psc"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Ricordex (1).psc")) << "unreadable: left where it is";
    EXPECT_EQ(reports, 1) << "reported once";
}

// OneDrive kept this PC's save as "Ricordex-<PC>.psc" and gave the archive
// the other PC's version: what that save deleted and corrected is taken
// once, not brought back beside the correction. A copy that is not exactly
// this PC's last save (here one row more) is anyone's copy: it only adds.
TEST(SharedArchive, TheConflictedCopyOfThisPcsOwnSaveKeepsItsDeletionsAndCorrections) {
    const struct {
        std::string extra;
        std::multiset<std::string> expected;
    } cases[] = {
        {"", {"Affitto", "Bollo auto", "Dall'altro PC", "Nuovo"}},
        {Event("Extra"), {"Affitto", "Bollo", "Bollo auto", "Dall'altro PC", "Esame", "Extra", "Nuovo"}},
    };
    for (const auto& [extra, expected] : cases) {
        TempDir dir;
        const std::filesystem::path archive = dir / "Ricordex.psc";
        WriteBytes(archive, Event("Affitto") + Event("Esame") + Event("Bollo"));
        Pc pc(archive);
        std::filesystem::create_directory(dir / "locale");
        pc.services.recoveryFile = dir / "locale" / "Ricordex-recupero.psc";
        pc.services.computerName = L"Ufficio";
        pc.Remove("Esame");
        pc.Remove("Bollo");
        pc.Add("Bollo auto");
        pc.Close();
        WriteBytes(dir / "Ricordex-Ufficio.psc", ReadBytes(archive) + extra);
        WriteBytes(archive, Event("Affitto") + Event("Esame") + Event("Bollo") + Event("Dall'altro PC"));
        pc.Add("Nuovo");
        pc.Close();
        EXPECT_EQ(Archive(archive), expected) << extra.size();
        EXPECT_TRUE(std::filesystem::exists(dir / "Ricordex-Ufficio.psc.merged"));
    }
}

// A conflicted copy still being written: the save goes through without it,
// and the next save merges it.
TEST(SharedArchive, AConflictedCopyHeldByTheSyncServiceWaitsForTheNextSave) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    const std::filesystem::path copy = dir / "Ricordex (conflicted copy 2026-12-01).psc";
    WriteBytes(archive, Event("Affitto"));
    Pc pc(archive);
    WriteBytes(copy, Event("Affitto") + Event("Dalla copia"));
    OneFileHeld held(pc.files, copy);
    Services whileHeld{pc.registry, held, pc.clock, pc.questions, L"C:\\Ricordex\\"};
    pc.Add("Nuovo qui");
    SaveOnClose(pc.state, whileHeld);
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Nuovo qui"}));
    EXPECT_FALSE(pc.state.modificato);
    EXPECT_TRUE(std::filesystem::exists(copy));
    pc.Add("Dopo");
    pc.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Dalla copia", "Dopo", "Nuovo qui"}));
}

// The network down: reported once, at the second tick, not at every tick,
// and again only after the archive was reachable in between; the list stays.
TEST(SharedArchive, AnUnreachableArchiveIsReportedOnce) {
    TempDir dir;
    const std::filesystem::path share = dir / "share";
    std::filesystem::create_directory(share);
    WriteBytes(share / "Ricordex.psc", Event("Affitto"));
    Pc pc(share / "Ricordex.psc");
    int reports = 0;
    pc.services.report = [&](const std::string&) { ++reports; };
    std::filesystem::rename(share, dir / "away");
    for (int tick = 0; tick < 3; ++tick) EXPECT_FALSE(FollowArchive(pc.state, pc.services));
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(pc.state.list.Count(), 1u);
    std::filesystem::rename(dir / "away", share);
    EXPECT_FALSE(FollowArchive(pc.state, pc.services));
    std::filesystem::rename(share, dir / "away");
    EXPECT_FALSE(FollowArchive(pc.state, pc.services));
    EXPECT_EQ(reports, 1) << "one tick: maybe another program replacing the file";
    EXPECT_FALSE(FollowArchive(pc.state, pc.services));
    EXPECT_EQ(reports, 2);
}


// Random changes a user makes to a PC's list, and what they mean for the
// archive: every event either PC added and neither removed, with the latest
// stamp either gave it.
struct SoakModel {
    std::mt19937 random{17};
    std::map<std::string, std::string> events;  // description: stamp
    int names = 0;

    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); }
    std::string NewName() { return std::string("E").append(std::to_string(names++)); }
    static std::string StampOf(int save) {
        char text[17];  // one minute a save, growing for 483,840 saves
        std::snprintf(text, sizeof text, "%02d/%02d/2026 %02d.%02d", 1 + save / 1440 % 28, 1 + save / 40320 % 12,
                      save / 60 % 24, save % 60);
        return text;
    }
    void Change(Pc& pc, int save) {
        EventList& list = pc.state.list;
        for (std::size_t step = Pick(3); step > 0; --step) {
            const std::size_t kind = list.Count() < 5 ? 0 : Pick(4);
            if (kind == 0) {
                const std::string name = NewName();
                pc.Add(name);
                events[name] = "01/01/1900 00.01";
                continue;
            }
            const std::size_t at = Pick(list.Count());
            const std::string name(list.At(at).Text(kDescrizione));
            if (kind == 3) {  // an alert: only the stamp
                list.SetStamp(at, StampOf(save));
                if (events.count(name)) events[name] = StampOf(save);
                pc.state.aggiornatoDaTimer = true;
                continue;
            }
            list.Remove(at);
            pc.state.modificato = true;
            events.erase(name);
            if (kind == 2) {  // an edit: the event under a name of its own
                const std::string edited = NewName();
                pc.Add(edited);
                events[edited] = "01/01/1900 00.01";
            }
        }
    }
};

// Two PCs saving in turn 1,000 times (or RICORDEX_ARCHIVE_SOAK_SAVES), after
// random changes on both; the one not saving follows the archive half the
// times (when it has nothing unsaved), or merges at its own save later.
TEST(SharedArchive, SoakOfTwoPcsSavingInTurnEndsWithTheModelsArchive) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    WriteBytes(archive, "");
    Pc a(archive), b(archive);
    Pc* pcs[2] = {&a, &b};
    const char* saves = std::getenv("RICORDEX_ARCHIVE_SOAK_SAVES");
    const int count = saves ? std::atoi(saves) : 1000;
    SoakModel model;
    const auto start = std::chrono::steady_clock::now();
    for (int save = 0; save < count; ++save) {
        Pc& saving = *pcs[save % 2];
        Pc& other = *pcs[1 - save % 2];
        model.Change(saving, save);
        if (model.Pick(2) == 0) model.Change(other, save);
        saving.state.modificato = true;
        saving.Close();
        if (model.Pick(2) == 0) FollowArchive(other.state, other.services);
    }
    for (Pc* pc : pcs) {  // what the last round left unsaved
        if (pc->state.modificato || pc->state.aggiornatoDaTimer) pc->Close();
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d saves in %.2f s, %zu events at the end\n", count, seconds, model.events.size());

    EventList onDisk;
    StdArchiveFiles files;
    ReloadArchive(onDisk, files, archive);
    std::map<std::string, std::string> got;
    for (std::size_t i = 0; i < onDisk.Count(); ++i) {
        ASSERT_TRUE(got.emplace(onDisk.At(i).Text(kDescrizione), onDisk.At(i).Text(kUltimoAvviso)).second)
            << "twice: " << onDisk.At(i).Text(kDescrizione);
    }
    EXPECT_EQ(got, model.events);
}

}  // namespace
}  // namespace ricordex
