// Alerts put off with "Posticipa", and alerts that wait while the user
// presents: what the user is promised, told by the boxes they see.

#include <gtest/gtest.h>

#include "alerts/postponements.h"
#include "alerts/scheduler_fixture.h"
#include "core/archive_merge.h"

namespace ricordex {
namespace {

const std::string kBollo = "Bollo auto - Scadenza: 07/12 ore: 10.00";

class Postponing : public Scheduler {
protected:
    // "Bollo auto" at 10:00 today, alerted from 9:50 every hour.
    RowId AddBollo() { return Add("Bollo auto", "07/12", "10.00", "10 minuti prima", "Ogni ora"); }
    // The alert of 9:51, put off at 9:52.
    void PutOff(Postpone choice) {
        clock_.now = At(2026, 12, 7, 9, 51, 0);
        ports_.answers = {choice};
        ports_.whileOpen = [&] { clock_.now = At(2026, 12, 7, 9, 52, 0); };
        Tick();
        ports_.whileOpen = nullptr;
        ASSERT_EQ(ports_.messages, std::vector<std::string>{kBollo});
    }
    std::size_t BoxesBetween(DateTime from, DateTime to) {
        const std::size_t before = ports_.messages.size();
        for (DateTime t = from; t <= to; t += 10.0 / 86'400) TickAt({t});
        return ports_.messages.size() - before;
    }
};

TEST_F(Postponing, ComesBackOnceAtItsMomentAlsoAfterTheEvent) {
    const RowId bollo = AddBollo();
    PutOff(Postpone::OneHour);
    EXPECT_EQ(Stamp(bollo),
              "07/12/2026 09.52");  // the occurrence counts as alerted
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 9, 52, 10), At(2026, 12, 7, 10, 51, 59)), 0u);
    TickAt({At(2026, 12, 7, 10, 52, 0)});
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{kBollo, kBollo}));
    EXPECT_EQ(ports_.sounds.size(), 2u);
    EXPECT_EQ(Stamp(bollo), "07/12/2026 09.52");
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 10, 52, 10), At(2026, 12, 7, 12, 0, 0)), 0u);
    EXPECT_TRUE(state_.postponed.Empty());
}

TEST_F(Postponing, PutOffAgainComesBackAgain) {
    AddBollo();
    PutOff(Postpone::TenMinutes);
    ports_.answers = {Postpone::TenMinutes};
    TickAt({At(2026, 12, 7, 10, 2, 0)});
    EXPECT_EQ(ports_.messages.size(), 2u);
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 10, 2, 10), At(2026, 12, 7, 10, 11, 50)), 0u);
    TickAt({At(2026, 12, 7, 10, 12, 0)});
    EXPECT_EQ(ports_.messages.size(), 3u);
}

TEST_F(Postponing, ADeletedOrChangedEventDoesNotComeBack) {
    const RowId bollo = AddBollo();
    PutOff(Postpone::TenMinutes);
    const RowId visita = Add("Visita", "07/12", "10.30", "1 ora prima", "Ogni giorno");
    ports_.answers = {Postpone::OneHour};
    TickAt({At(2026, 12, 7, 9, 55, 0)});
    ASSERT_EQ(ports_.messages.size(), 2u);
    // Bollo deleted; Visita's time changed (the editor takes the row out and puts
    // it back changed).
    state_.list.Remove(*state_.list.Find(bollo));
    state_.list.Remove(*state_.list.Find(visita));
    Add("Visita", "07/12", "11.30", "1 ora prima", "Ogni giorno", "07/12/2026 09.55");
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 9, 55, 10), At(2026, 12, 7, 11, 0, 0)), 0u);
    EXPECT_TRUE(state_.postponed.Empty());
}

TEST_F(Postponing, OneWhoseMomentPassedUnseenIsWithTheMissedOnesAndTheirBoxPutsAllOff) {
    AddBollo();
    PutOff(Postpone::TenMinutes);
    const RowId visita = Add("Visita", "07/12", "11.00", "30 minuti prima", "Ogni giorno");
    // Asleep from 9:53 to 13:00: Visita passed unseen, Bollo's return too.
    TickAt({At(2026, 12, 7, 9, 53, 0)});
    ports_.answers = {Postpone::TomorrowAtNine};
    TickAt({At(2026, 12, 7, 13, 0, 0)});
    ASSERT_EQ(ports_.messages.size(), 2u);
    EXPECT_EQ(ports_.messages[1],
              "Queste scadenze sono passate mentre Ricordex non poteva avvisare:\n\n"
              "Visita - Scadenza: 07/12 ore: 11.00\n" +
                  kBollo);
    EXPECT_EQ(Stamp(visita), "07/12/2026 11.00");  // told as missed, once
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 13, 0, 10), At(2026, 12, 7, 13, 30, 0)), 0u);
    // Both back tomorrow at nine, together in one box, after a restart.
    state_.postponed = Postponements::FromText(state_.postponed.Text());
    AlertScheduler restarted{state_.Target(), clock_, ports_, unreadable_, [](const std::string&) {}};
    clock_.now = At(2026, 12, 8, 8, 59, 50);
    restarted.Timer1Timer();
    clock_.now = At(2026, 12, 8, 9, 0, 0);
    restarted.Timer1Timer();
    EXPECT_EQ(std::vector<std::string>(ports_.messages.begin() + 2, ports_.messages.end()),
              std::vector<std::string>{"Scadenze posticipate:\n\nVisita - Scadenza: 07/12 ore: 11.00\n" + kBollo});
}

TEST_F(Postponing, AlertsWaitSilentlyWhileTheUserPresentsAndComeWhenItEnds) {
    state_.examinedUpTo = At(2026, 12, 7, 8, 0, 0);
    const RowId bollo = AddBollo();
    Add("Prima", "07/12", "08.30", "10 minuti prima",
        "Ogni ora");  // passed before: missed
    ports_.mustWait = true;
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 9, 40, 0), At(2026, 12, 7, 10, 30, 0)), 0u);
    EXPECT_TRUE(ports_.sounds.empty());
    EXPECT_EQ(Stamp(bollo), std::string(kInitialStamp));
    ports_.mustWait = false;
    TickAt({At(2026, 12, 7, 10, 30, 10)});
    // Bollo passed during the wait: its own alert, not a missed one.
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{"Queste scadenze sono passate mentre "
                                                         "Ricordex non poteva avvisare:\n\n"
                                                         "Prima - Scadenza: 07/12 ore: 08.30",
                                                         kBollo}));
    EXPECT_EQ(Stamp(bollo), "07/12/2026 10.00");
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 10, 30, 20), At(2026, 12, 7, 11, 0, 0)), 0u);
}

// A presentation, then the PC asleep overnight: what passed in the night is
// missed, in one box, not a flood of alerts.
TEST_F(Postponing, AWaitEndsWhenThePcSleeps) {
    state_.examinedUpTo = At(2026, 12, 7, 9, 0, 0);
    AddBollo();
    Add("Notte", "08/12", "02.00", "10 minuti prima", "Ogni ora");
    Add("Alba", "08/12", "06.00", "10 minuti prima", "Ogni ora");
    ports_.mustWait = true;
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 9, 50, 0), At(2026, 12, 7, 10, 5, 0)), 0u);
    ports_.mustWait = false;
    scheduler_.ClockChanged();
    scheduler_.NewRun();
    TickAt({At(2026, 12, 8, 8, 0, 0)});
    EXPECT_EQ(ports_.messages, std::vector<std::string>{"Queste scadenze sono passate mentre Ricordex non poteva "
                                                        "avvisare:\n\nAlba - Scadenza: 08/12 ore: 06.00\n"
                                                        "Notte - Scadenza: 08/12 ore: 02.00\n" +
                                                        kBollo});
}

TEST_F(Postponing, APutOffAlertDueDuringAPresentationComesAfterIt) {
    AddBollo();
    PutOff(Postpone::TenMinutes);
    ports_.mustWait = true;
    EXPECT_EQ(BoxesBetween(At(2026, 12, 7, 9, 55, 0), At(2026, 12, 7, 11, 0, 0)), 0u);
    ports_.mustWait = false;
    TickAt({At(2026, 12, 7, 11, 0, 10)});
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{kBollo, kBollo}));
}

TEST(Postponements, TheMomentsOffered) {
    const DateTime answered = At(2026, 12, 31, 23, 30, 0);
    EXPECT_DOUBLE_EQ(PostponedUntil(Postpone::TenMinutes, answered), At(2026, 12, 31, 23, 40, 0));
    EXPECT_DOUBLE_EQ(PostponedUntil(Postpone::OneHour, answered), At(2027, 1, 1, 0, 30, 0));
    EXPECT_DOUBLE_EQ(PostponedUntil(Postpone::TomorrowAtNine, answered), At(2027, 1, 1, 9, 0, 0));
    EXPECT_DOUBLE_EQ(PostponedUntil(Postpone::TomorrowAtNine, At(2027, 1, 1, 0, 10, 0)), At(2027, 1, 2, 9, 0, 0));
}

TEST(Postponements, KeptAcrossARestartAsTheRegistryHoldsThem) {
    // Any byte an archive's texts can hold, the separators of the key included.
    const std::string accented = EventKey(
        RowTexts{"Citt\xE0 %20\t\n", "1 ora prima", "07/12", "10.00", "Ogni ora", "Annuale", "07/12/2026 09.52"});
    Postponements store;
    store.Add(accented, At(2026, 12, 7, 10, 52, 0));
    store.Add("b", At(2026, 12, 7, 10, 2, 0));
    store.Add("b", At(2026, 12, 7, 10, 12, 30));  // put off again: replaced
    const Postponements restarted = Postponements::FromText(store.Text());
    const std::vector<Postponement> due = restarted.DueAt(At(2027, 1, 1, 0, 0, 0));
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].event, "b");
    EXPECT_DOUBLE_EQ(due[0].at, At(2026, 12, 7, 10, 12, 30));
    EXPECT_EQ(due[1].event, accented);
    EXPECT_TRUE(restarted.DueAt(At(2026, 12, 7, 10, 12, 29)).empty());
    // A line damaged by hand is left out; the others stay.
    const Postponements damaged = Postponements::FromText("2026-13-07 10:00:00\ta\nxyz\n" + store.Text() + "bad%4");
    EXPECT_EQ(damaged.DueAt(At(2027, 1, 1, 0, 0, 0)).size(), 2u);
}

}  // namespace
}  // namespace ricordex
