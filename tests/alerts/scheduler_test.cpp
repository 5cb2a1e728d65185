#include "alerts/scheduler.h"

#include <gtest/gtest.h>

#include "alerts/scheduler_fixture.h"

namespace ricordex {
namespace {

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
    clock_.now = At(2026, 12, 8, 9, 0, 20);
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

TEST_F(Scheduler, TheWindowReachesBackAcrossNewYear) {
    Add("Capodanno", "31/12", "23.00", "Da adesso", "Ogni giorno");
    clock_.now = At(2027, 1, 2, 0, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    state_.list.Clear();
    // "Da adesso" is from now on, in a leap year too (more than 365 days ahead).
    Add("Capodanno", "31/12", "23.00", "Da adesso", "Ogni giorno");
    clock_.now = At(2028, 1, 1, 22, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);

    state_.list.Clear();
    Add("Befana", "05/01", "08.00", "1 mese prima", "Ogni giorno");
    clock_.now = At(2026, 12, 5, 12, 0, 0);  // 31 days ahead
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
    clock_.now = At(2026, 12, 6, 8, 0, 0);  // 30 days ahead: its window opens in December
    Tick();
    EXPECT_EQ(ports_.messages.size(), 3u);

    state_.list.Clear();
    Add("Mezzanotte", "01/01", "00.00", "10 minuti prima", "Ogni 5 minuti");
    clock_.now = At(2026, 12, 31, 23, 50, 0);
    Tick();
    EXPECT_EQ(ports_.messages.back(), "Mezzanotte - Scadenza: 01/01 ore: 00.00");
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
    EXPECT_EQ(ports_.messages,
              (std::vector<std::string>{"a - Scadenza: 08/12 ore: 09.00", "b - Scadenza: 08/12 ore: 08.00"}));
    EXPECT_EQ(ports_.sounds.size(), 2u);
    EXPECT_EQ(Stamp(a), "07/12/2026 12.03");
    EXPECT_EQ(Stamp(b), "07/12/2026 12.06");
}

TEST_F(Scheduler, AnUnreadableRowIsReportedOnceAndTheRowsAfterItAreStillExamined) {
    Add("a impossibile", "31/02", "10.00", "1 giorno prima", "Ogni ora");
    const RowId due = Add("b dovuto", "08/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId stamp = Add("c timbro", "08/12", "08.00", "1 giorno prima", "Ogni ora", "rovinato");
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    Tick();
    Tick();
    EXPECT_EQ(reported_, (std::vector<std::string>{"a impossibile: '31/02 10.00' is not a valid date and time",
                                                   "c timbro: 'rovinato' is not a valid date and time"}));
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

TEST_F(Scheduler, WhatPassedUnseenIsShownOnceInOneBoxAndStamped) {
    state_.examinedUpTo = At(2026, 12, 1, 18, 0, 0);  // the PC was off since
    const RowId bollo = Add("Bollo auto", "03/12", "08.00", "10 minuti prima", "Ogni ora");
    const RowId visita = Add("Visita", "04/12", "10.30", "1 giorno prima", "Avvio Computer", "01/06/2026 10.00");
    const RowId once = state_.list.AggiungiRiga(
        {"Pagamento", "1 ora prima", "05/12", "09.00", "Ogni giorno", "Nessuna", kInitialStamp}, 0);
    const RowId seen = Add("Visto", "02/12", "08.00", "1 giorno prima", "Ogni ora", "01/12/2026 09.00");
    const RowId before = Add("Prima", "01/12", "08.00", "1 giorno prima", "Ogni ora");
    const RowId silent = Add("Muto", "03/12", "08.00", "Nessun Avviso", "Ogni ora");
    clock_.now = At(2026, 12, 7, 9, 0, 0);
    ports_.whileOpen = [&] { clock_.now = At(2026, 12, 7, 9, 2, 30); };
    Tick();
    ASSERT_EQ(ports_.messages.size(), 1u);
    EXPECT_EQ(ports_.messages[0],
              "Queste scadenze sono passate mentre Ricordex non poteva avvisare:\n\n"
              "Pagamento - Scadenza: 05/12 ore: 09.00\n"
              "Visita - Scadenza: 04/12 ore: 10.30\n"
              "Bollo auto - Scadenza: 03/12 ore: 08.00");  // the most recent first
    EXPECT_EQ(ports_.sounds.size(), 1u);
    EXPECT_EQ(Stamp(bollo),
              "03/12/2026 08.00");  // each for the occurrence it missed
    EXPECT_EQ(Stamp(visita), "04/12/2026 10.30");
    EXPECT_EQ(Stamp(once), "05/12/2026 09.00");  // alerted for that one: done
    EXPECT_EQ(Stamp(seen), "01/12/2026 09.00");
    EXPECT_EQ(Stamp(before), std::string(kInitialStamp));
    EXPECT_EQ(Stamp(silent), std::string(kInitialStamp));
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    EXPECT_EQ(state_.alertStamps.size(), 3u);
    EXPECT_EQ(state_.examinedUpTo, At(2026, 12, 7, 9, 2, 30));
    clock_.now += 10.0 / 86'400;
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
}

TEST_F(Scheduler, AtTheFirstRunOrWithTheClockSetBackNothingIsMissed) {
    Add("Bollo auto", "03/12", "08.00", "10 minuti prima", "Ogni ora");
    clock_.now = At(2026, 12, 7, 9, 0, 0);
    Tick();
    EXPECT_TRUE(ports_.messages.empty());
    EXPECT_EQ(state_.examinedUpTo, clock_.now);
    // Set back before the event, then forward again past it: the moment
    // went back, so the event passed unseen after all.
    clock_.now = At(2026, 12, 3, 7, 0, 0);
    Tick();
    EXPECT_EQ(state_.examinedUpTo, clock_.now);
    EXPECT_TRUE(ports_.messages.empty());
    clock_.now = At(2026, 12, 3, 9, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    // A list that could not be read whole keeps the moment where it was.
    state_.loadIncomplete = true;
    clock_.now = At(2026, 12, 4, 9, 0, 0);
    Tick();
    EXPECT_EQ(state_.examinedUpTo, At(2026, 12, 3, 9, 0, 0));
}

TEST_F(Scheduler, AnEventThatPassesWhileAnAlertIsOpenIsShownWhenItIsAnswered) {
    Add("a dovuto", "07/12", "10.00", "1 ora prima", "Ogni ora");
    Add("b passa", "07/12", "09.15", "10 minuti prima",
        "Ogni ora");  // not yet in its window
    Add("c passa anche", "07/12", "09.10", "30 minuti prima",
        "Ogni ora");  // due, after "a"
    clock_.now = At(2026, 12, 7, 9, 0, 0);
    state_.examinedUpTo = clock_.now - 10.0 / 86'400;
    int opened = 0;
    ports_.whileOpen = [&] {
        if (opened++ == 0) clock_.now = At(2026, 12, 7, 9, 20, 0);  // the first box waits twenty minutes
    };
    Tick();
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{"a dovuto - Scadenza: 07/12 ore: 10.00",
                                                         "Queste scadenze sono passate mentre Ricordex "
                                                         "non poteva avvisare:\n\n"
                                                         "b passa - Scadenza: 07/12 ore: 09.15\n"
                                                         "c passa anche - Scadenza: 07/12 ore: 09.10"}));
}

TEST_F(Scheduler, MissedAlertsBeyondTenAreCounted) {
    std::vector<std::string> alerts;
    for (int i = 1; i <= 12; ++i) alerts.push_back("evento " + std::to_string(i));
    const std::string text = MissedAlertsText(alerts);
    EXPECT_NE(text.find("\nevento 10\ne altre 2, in grassetto nell'elenco della "
                        "finestra principale"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("evento 11"), std::string::npos);
    EXPECT_EQ(MissedAlertsText({"uno"}),
              "Queste scadenze sono passate mentre "
              "Ricordex non poteva avvisare:\n\nuno");
}

TEST_F(Scheduler, NessunaIsAlertedForOneOccurrenceOnly) {
    const auto addOnce = [&](std::string_view description, std::string_view stamp) {
        return state_.list.AggiungiRiga({description, "1 giorno prima", "08/12", "08.00", "Ogni ora", "Nessuna", stamp},
                                        0);
    };
    addOnce("alertato l'anno scorso", "07/12/2025 12.00");
    const RowId waiting = addOnce("mai alertato", kInitialStamp);
    clock_.now = At(2026, 12, 7, 12, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages, std::vector<std::string>{"mai alertato - Scadenza: 08/12 ore: 08.00"});
    clock_.now = At(2026, 12, 7, 13, 0, 0);  // a period later, still before it
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
    EXPECT_EQ(Stamp(waiting), "07/12/2026 13.00");
    // Once it passed, never again: not next year either.
    TickAt({At(2026, 12, 8, 9, 0, 0), At(2027, 12, 7, 12, 0, 0), At(2027, 12, 8, 9, 0, 0)});
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, AStampInTheFutureHoldsARowOffForOnePeriodAtMost) {
    const RowId id = Add("Riunione", "10/12", "12.00", "1 settimana prima", "Ogni ora", "01/06/2027 10.00");
    clock_.now = At(2026, 12, 7, 10, 0, 0);
    Tick();
    EXPECT_TRUE(ports_.messages.empty());
    EXPECT_EQ(Stamp(id), "07/12/2026 10.00");
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    clock_.now = At(2026, 12, 7, 11, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    // "Avvio Computer" does not count a stamp in the future as this run's.
    Add("Backup", "10/12", "12.00", "1 settimana prima", "Avvio Computer", "01/06/2027 10.00");
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, TwentyNinthOfFebruaryIsTheTwentyEighthInYearsWithoutIt) {
    const RowId id = Add("Compleanno", "29/02", "09.00", "1 giorno prima", "Ogni giorno");
    clock_.now = At(2027, 2, 27, 10, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    EXPECT_TRUE(reported_.empty());
    EXPECT_EQ(state_.list.At(*state_.list.Find(id)).Text(kData), "29/02");
    clock_.now = At(2028, 2, 28, 10, 0, 0);  // a leap year: the 29th
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
}

TEST_F(Scheduler, AvvioComputerIsAlertedOnceInEachRun) {
    // Alerted in a run that began long before its window: the stamp is the
    // moment of the alert, inside the window.
    state_.avvioProgramma = "01/11/2026 08.00";
    const RowId id = Add("Backup", "10/12", "08.00", "1 settimana prima", "Avvio Computer");
    clock_.now = At(2026, 12, 7, 9, 30, 0);
    Tick();
    EXPECT_EQ(Stamp(id), "07/12/2026 09.30");
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    // Nothing is missed once it passes: it was alerted in its window.
    clock_.now = At(2026, 12, 10, 9, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    // A run that lasts a year: next year's occurrence, not alerted in this
    // run, is told as missed once it passed.
    clock_.now = At(2027, 12, 5, 9, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 1u);
    clock_.now = At(2027, 12, 10, 8, 0, 10);
    Tick();
    ASSERT_EQ(ports_.messages.size(), 2u);
    EXPECT_EQ(ports_.messages[1].rfind("Queste scadenze", 0), 0u);
}

TEST_F(Scheduler, ARowIsNeverAlertedAgainTheMomentItsEventPasses) {
    // "Da adesso" opens the next window as the event passes: the period
    // still counts from the last alert.
    Add("Capodanno", "31/12", "23.00", "Da adesso", "Ogni mese");
    Add("Backup", "31/12", "23.00", "Da adesso", "Avvio Computer");
    clock_.now = At(2026, 12, 29, 23, 0, 0);
    Tick();
    EXPECT_EQ(ports_.messages.size(), 2u);
    TickAt({At(2026, 12, 31, 23, 0, 10), At(2027, 1, 15, 12, 0, 0)});
    EXPECT_EQ(ports_.messages.size(), 2u);
    clock_.now = At(2027, 1, 28, 23, 0, 0);  // a month after the last alert
    Tick();
    EXPECT_EQ(ports_.messages.size(), 3u);
}

TEST_F(Scheduler, AStampInTheFutureNeverCostsAnOccurrenceItsAlert) {
    // A day's period would outlast the hour left: alerted now.
    const RowId id = Add("Treno", "07/12", "11.00", "1 ora prima", "Ogni giorno", "01/06/2027 10.00");
    clock_.now = At(2026, 12, 7, 10, 0, 10);
    Tick();
    EXPECT_EQ(ports_.messages, std::vector<std::string>{"Treno - Scadenza: 07/12 ore: 11.00"});
    EXPECT_EQ(Stamp(id), "07/12/2026 10.00");
}

// The clock going back (a time sync, the autumn hour, a time zone) never
// brings a box back: "Avvio Computer" set back before the run's start, and
// a row alerted in the hour that the autumn repeats.
TEST_F(Scheduler, TheClockGoingBackNeverBringsABoxBack) {
    state_.avvioProgramma = "07/12/2026 09.30";
    Add("Backup", "08/12", "08.00", "1 giorno prima", "Avvio Computer");
    const RowId hourly = Add("Pillola", "07/12", "10.00", "1 ora prima", "Ogni 10 minuti");
    TickAt({At(2026, 12, 7, 9, 30, 5)});
    ASSERT_EQ(ports_.messages.size(), 2u);
    ports_.whileOpen = [&] { clock_.now -= 1.0 / 1440; };  // each answer a minute further back
    TickAt({At(2026, 12, 7, 9, 0, 0), At(2026, 12, 7, 9, 10, 0), At(2026, 12, 7, 9, 25, 0)});
    EXPECT_EQ(ports_.messages.size(), 2u);
    // Once the clock passed where it was, the period goes on from there.
    TickAt({At(2026, 12, 7, 9, 40, 10)});
    EXPECT_EQ(ports_.messages.size(), 3u);
    EXPECT_EQ(Stamp(hourly), "07/12/2026 09.40");
    // A clock set back further than a day was wrong: its time is taken, and
    // "Avvio Computer" stays alerted for this run all the same.
    TickAt({At(2026, 12, 5, 9, 0, 0), At(2026, 12, 6, 9, 0, 0)});
    EXPECT_EQ(ports_.messages.size(), 3u);
}

// Named in the box of missed alerts, a "Da adesso" row (whose next window
// is open) waits a period from the answer, "Avvio Computer" the next run.
TEST_F(Scheduler, ARowNamedMissedWaitsBeforeItsNextAlert) {
    state_.examinedUpTo = At(2026, 12, 1, 9, 0, 0);
    const RowId hourly = Add("Ogni ora", "03/12", "08.00", "Da adesso", "Ogni ora");
    const RowId start = Add("All'avvio", "03/12", "08.00", "Da adesso", "Avvio Computer");
    TickAt({At(2026, 12, 7, 9, 0, 0), At(2026, 12, 7, 9, 30, 0)});
    ASSERT_EQ(ports_.messages.size(), 1u);
    EXPECT_EQ(Stamp(hourly), "03/12/2026 08.00");
    EXPECT_EQ(Stamp(start), "03/12/2026 08.00");
    TickAt({At(2026, 12, 7, 10, 0, 10)});
    EXPECT_EQ(ports_.messages, (std::vector<std::string>{ports_.messages[0], "Ogni ora - Scadenza: 03/12 ore: 08.00"}));
    scheduler_.NewRun();
    state_.avvioProgramma = "07/12/2026 11.00";
    TickAt({At(2026, 12, 7, 11, 0, 10)});
    ASSERT_EQ(ports_.messages.size(), 4u);
    EXPECT_EQ(ports_.messages[2], "All'avvio - Scadenza: 03/12 ore: 08.00");
}

// A row added while the clock is set back, for a time the clock had already
// shown, is alerted when its time comes again; if the program is closed
// before, the next start names it as missed.
TEST_F(Scheduler, ARowAddedWhileTheClockIsSetBackIsOwedItsOccurrence) {
    TickAt({At(2026, 12, 7, 10, 0, 0)});
    Add("Nuovo", "07/12", "09.30", "10 minuti prima", "Ogni ora");
    TickAt({At(2026, 12, 7, 9, 5, 0)});
    EXPECT_TRUE(ports_.messages.empty());
    EXPECT_LT(*state_.examinedUpTo, At(2026, 12, 7, 9, 30, 0));
    // Closed at 9.10, started at 11.00.
    Values next;
    next.list.AggiungiRiga(FieldsOf(state_.list.At(0).Texts()), 0);
    next.examinedUpTo = state_.examinedUpTo;
    next.avvioProgramma = "07/12/2026 11.00";
    AlertScheduler later{next.Target(), clock_, ports_, unreadable_, [](const std::string&) {}};
    clock_.now = At(2026, 12, 7, 11, 0, 0);
    later.Timer1Timer();
    ASSERT_EQ(ports_.messages.size(), 1u);
    EXPECT_EQ(ports_.messages[0].rfind("Queste scadenze", 0), 0u);
}

// A stamp written without a year (a hand-edited archive) is its latest
// moment not to come: alerted last December, not silenced until next year.
TEST_F(Scheduler, AStampWithoutAYearIsItsLatestMomentNotToCome) {
    state_.examinedUpTo = At(2027, 1, 5, 9, 0, 0);
    Add("Ricevuta", "06/01", "10.00", "1 giorno prima", "Ogni giorno", "20/12 10.00");
    TickAt({At(2027, 1, 5, 10, 0, 0)});
    EXPECT_EQ(ports_.messages.size(), 1u);
}

// A one-off answered after its time counts for that occurrence: with "Da
// adesso", whose next window opens as it passes, it stays done.
TEST_F(Scheduler, AOneOffAnsweredLateIsDone) {
    const RowId once =
        state_.list.AggiungiRiga({"Rogito", "Da adesso", "07/12", "10.00", "Ogni giorno", "Nessuna", kInitialStamp}, 0);
    ports_.whileOpen = [&] { clock_.now = At(2026, 12, 7, 11, 30, 0); };
    TickAt({At(2026, 12, 7, 9, 59, 0)});
    ports_.whileOpen = nullptr;
    EXPECT_EQ(Stamp(once), "07/12/2026 10.00");
    TickAt({At(2026, 12, 8, 12, 0, 0), At(2027, 6, 1, 12, 0, 0), At(2027, 12, 7, 9, 0, 0)});
    EXPECT_EQ(ports_.messages.size(), 1u);
}

}  // namespace
}  // namespace ricordex
