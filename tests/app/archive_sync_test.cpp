// Two PCs running the program on one archive in a shared folder: each
// start, edit and close as a user does, and the archive after them.

#include "app/archive_sync.h"

#include <gtest/gtest.h>

#include <set>

#include "app/delete_event.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/fakes.h"
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
    RicaricaArchivio(list, files, path);
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
    EXPECT_TRUE(FollowArchive(b.state, b.files));
    EXPECT_EQ(Descriptions(b.state.list), (std::multiset<std::string>{"Affitto", "Esame"}));
    EXPECT_EQ(b.state.list.Find(affitto), 0u) << "a row that stays keeps its id";
    EXPECT_FALSE(b.state.modificato) << "following is not a change to save";
    EXPECT_FALSE(FollowArchive(b.state, b.files)) << "nothing new";

    // With a change of its own unsaved, B does not follow: it merges at its save.
    b.Add("W");
    a.Remove("Esame");
    a.Close();
    EXPECT_FALSE(FollowArchive(b.state, b.files));
    b.Close();
    EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "W"}));
}

// A file cut short by a sync client writing in place, or emptied, is not
// the other program deleting events: the list is written as it is.
TEST(SharedArchive, AShortOrEmptiedArchiveIsNotTakenForDeletions) {
    TempDir dir;
    const std::filesystem::path archive = dir / "Ricordex.psc";
    const std::string three = Event("Affitto") + Event("Esame") + Event("Zanzariera");
    for (const std::string& damaged : {three.substr(0, 164 + 80), std::string()}) {
        WriteBytes(archive, three);
        Pc pc(archive);
        WriteBytes(archive, damaged);
        pc.Add("W");
        pc.Close();
        EXPECT_EQ(Archive(archive), (std::multiset<std::string>{"Affitto", "Esame", "Zanzariera", "W"}))
            << damaged.size() << " bytes on disk";
    }
}

}  // namespace
}  // namespace ricordex
