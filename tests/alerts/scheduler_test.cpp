#include "alerts/scheduler.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/moments.h"

namespace ricordex {
namespace {

using testing::FakeClock;

class FakePorts final : public AlertPorts {
public:
    std::vector<unsigned> intervals;
    std::vector<std::wstring> sounds;
    std::vector<std::string> messages;
    std::function<void()> whileOpen;

    void SetInterval(unsigned ms) override { intervals.push_back(ms); }
    void SoundAlarm(const std::wstring& sound) override { sounds.push_back(sound); }
    void ShowAlert(std::string_view text) override {
        messages.emplace_back(text);
        if (whileOpen) whileOpen();
    }
};

using testing::At;

class Scheduler : public ::testing::Test {
protected:
    Scheduler() {
        state_.suono = L"C:\\Ricordex\\Suoni\\1.wav";
        state_.avvioProgramma = "07/12/2026 09.00";
    }

    RowId Add(std::string_view description, std::string_view date, std::string_view time, std::string_view lead,
              std::string_view frequency, std::string_view stamp = kInitialStamp) {
        return state_.list.AggiungiRiga({description, lead, date, time, frequency, "Annuale", stamp}, 0);
    }
    std::string Stamp(RowId id) { return std::string(state_.list.At(*state_.list.Find(id)).Text(kUltimoAvviso)); }
    void Tick() { scheduler_.Timer1Timer(); }

    // The program's values that a tick reads and stamps.
    struct Values {
        EventList list;
        std::wstring suono;
        std::string avvioProgramma;
        bool aggiornatoDaTimer = false;
        AlertedList Target() { return {list, suono, avvioProgramma, aggiornatoDaTimer}; }
    };
    Values state_;
    FakeClock clock_;
    FakePorts ports_;
    UnreadableRows unreadable_;
    std::vector<std::string> reported_;
    AlertScheduler scheduler_{state_.Target(), clock_, ports_, unreadable_,
                              [this](const std::string& text) { reported_.push_back(text); }};
};

TEST_F(Scheduler, AnEmptyListOnlySetsTheInterval) {
    Tick();
    EXPECT_EQ(ports_.intervals, std::vector<unsigned>{10'000});
}

TEST_F(Scheduler, ANewRowInsideItsWindowIsAlertedAtTheFirstTick) {
    clock_.now = At(2026, 12, 7, 9, 41, 30);
    const RowId id = Add("Bollo auto", "08/12", "08.00", "1 giorno prima", "Ogni ora");
    ports_.whileOpen = [&] { clock_.now = At(2026, 12, 7, 9, 43, 10); };
    Tick();
    EXPECT_EQ(ports_.messages, std::vector<std::string>{"Bollo auto - Scadenza: 08/12 ore: 08.00"});
    EXPECT_EQ(ports_.sounds, std::vector<std::wstring>{L"C:\\Ricordex\\Suoni\\1.wav"});
    EXPECT_EQ(ports_.intervals, (std::vector<unsigned>{10'000, 1'000'000, 10'000}));
    EXPECT_EQ(Stamp(id), "07/12/2026 09.43");  // the minute of the dismissal
    EXPECT_TRUE(state_.aggiornatoDaTimer);
}

TEST_F(Scheduler, PeriodicAlertsRepeatAPeriodAfterTheMinuteOfDismissal) {
    const RowId id = Add("Riunione", "07/12", "12.00", "3 ore prima", "Ogni 5 minuti");
    clock_.now = At(2026, 12, 7, 10, 1, 0);
    ports_.whileOpen = [&] { clock_.now = At(2026, 12, 7, 10, 2, 40); };
    Tick();
    EXPECT_EQ(Stamp(id), "07/12/2026 10.02");
    ports_.whileOpen = nullptr;
    for (DateTime t : {At(2026, 12, 7, 10, 2, 50), At(2026, 12, 7, 10, 6, 59, 999)}) {
        clock_.now = t;
        Tick();
    }
    EXPECT_EQ(ports_.messages.size(), 1u);
    clock_.now = At(2026, 12, 7, 10, 7, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
    EXPECT_EQ(Stamp(id), "07/12/2026 10.07");
    // After the event time the row rests until the year turns.
    clock_.now = At(2026, 12, 7, 12, 0, 0, 1);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, AvvioComputerAlertsOncePerRun) {
    const RowId id = Add("Backup", "24/12", "08.00", "1 mese prima", "Avvio Computer");
    clock_.now = At(2026, 12, 7, 9, 0, 20);
    Tick();
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    EXPECT_EQ(Stamp(id), "07/12/2026 09.00");
    // A run started within the same minute has the same start stamp.
    Values sameMinute = state_;
    AlertScheduler again(sameMinute.Target(), clock_, ports_, unreadable_, [](const std::string&) {});
    again.Timer1Timer();
    EXPECT_EQ(ports_.messages.size(), 1u);
    state_.avvioProgramma = "08/12/2026 09.00";  // the next day's run
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, AnEventExactlyNowIsAlertedAndOneAMillisecondEarlierIsNot) {
    Add("adesso", "07/12", "10.00", "10 minuti prima", "Ogni ora");
    clock_.now = At(2026, 12, 7, 10, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    state_.list.Clear();
    Add("prima", "07/12", "10.00", "10 minuti prima", "Ogni ora");
    clock_.now = At(2026, 12, 7, 10, 0, 0, 1);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
}

TEST_F(Scheduler, TheWindowNeverReachesBackAcrossNewYear) {
    Add("Capodanno", "31/12", "23.00", "Da adesso", "Ogni giorno");
    clock_.now = At(2027, 1, 2, 0, 0, 0);  // a common year: 363 days ahead
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    state_.list.Clear();
    Add("Capodanno", "31/12", "23.00", "Da adesso", "Ogni giorno");
    clock_.now = At(2028, 1, 1, 22, 0, 0);  // a leap year: more than 365 days ahead
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);

    state_.list.Clear();
    Add("Befana", "05/01", "08.00", "1 mese prima", "Ogni giorno");
    clock_.now = At(2026, 12, 20, 12, 0, 0);  // 05/01 of this year is past
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    clock_.now = At(2027, 1, 1, 0, 0, 5);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, RowsWithoutALeadOrWithUnknownLabelsAreNeverAlerted) {
    Add("a", "08/12", "08.00", "Nessun Avviso", "Ogni ora");
    Add("b", "08/12", "08.00", "1 Giorno prima", "Ogni ora");
    Add("c", "08/12", "08.00", "1 giorno prima", "ogni ora");
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    Tick();
    EXPECT_TRUE(ports_.messages.empty());
    EXPECT_FALSE(state_.aggiornatoDaTimer);
}

TEST_F(Scheduler, TwoDueRowsGiveTwoAlertsInListOrderEachStampedAtItsDismissal) {
    const RowId b = Add("b", "08/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId a = Add("a", "08/12", "09.00", "1 giorno prima", "Ogni ora");
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    ports_.whileOpen = [&] { clock_.now += 3.0 / 1440; };
    Tick();
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{"a - Scadenza: 08/12 ore: 09.00",
                                                        "b - Scadenza: 08/12 ore: 08.00"}));
    EXPECT_EQ(ports_.sounds.size(), 2u);
    EXPECT_EQ(Stamp(a), "07/12/2026 12.03");
    EXPECT_EQ(Stamp(b), "07/12/2026 12.06");
}

TEST_F(Scheduler, AnUnreadableRowIsReportedOnceAndTheRowsAfterItAreStillExamined) {
    Add("a bisestile", "29/02", "10.00", "1 giorno prima", "Ogni ora");
    const RowId due = Add("b dovuto", "08/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId stamp = Add("c timbro", "08/12", "08.00", "1 giorno prima", "Ogni ora", "rovinato");
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    Tick();
    Tick();
    EXPECT_EQ(reported_, (std::vector<std::string>{"'29/02 10.00' is not a valid date and time",
                                                   "'rovinato' is not a valid date and time"}));
    EXPECT_EQ(ports_.messages.size(), 1u);
    EXPECT_NE(Stamp(due), std::string(kInitialStamp));
    EXPECT_EQ(Stamp(stamp), "rovinato");
}

TEST_F(Scheduler, TheStampGoesToTheAlertedRowWhereverItIsNow) {
    const RowId moved = Add("a", "09/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId other = Add("b", "08/12", "08.00", "Nessun Avviso", "Ogni ora");
    clock_.now = At(2026, 12, 8, 12, 0, 0);
    ports_.whileOpen = [&] { state_.list.SortBy(2); };  // re-sorted while the message is open
    Tick();
    EXPECT_EQ(Stamp(moved), "08/12/2026 12.00");
    EXPECT_EQ(Stamp(other), std::string(kInitialStamp));

    state_.list.Clear();
    Add("c", "09/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId stays = Add("d", "08/12", "08.00", "Nessun Avviso", "Ogni ora");
    state_.aggiornatoDaTimer = false;
    ports_.whileOpen = [&] { state_.list.Remove(*state_.list.Find(stays) == 0 ? 1 : 0); };  // the alerted row goes
    Tick();
    EXPECT_EQ(state_.list.Count(), 1u);
    EXPECT_EQ(Stamp(stays), std::string(kInitialStamp));
    EXPECT_FALSE(state_.aggiornatoDaTimer);
}

TEST_F(Scheduler, ATickWhileAMessageIsOpenShowsNoSecondMessage) {
    Add("a", "08/12", "08.00", "1 giorno prima", "Ogni ora");
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    int nested = 0;
    ports_.whileOpen = [&] {
        if (nested++ == 0) Tick();  // the editor set a short interval meanwhile
    };
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    EXPECT_EQ(ports_.intervals, (std::vector<unsigned>{10'000, 1'000'000, 1'000'000, 10'000}));
}

}  // namespace
}  // namespace ricordex
