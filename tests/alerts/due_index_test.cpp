// The tick that goes through the index against the tick that examines every
// row: over random lists, edits, clocks that run, jump and go back, resumes,
// and alerts that take their time, the same alerts (missed ones included)
// in the same order, the same stamps and the same reports.

#include <gtest/gtest.h>

#include <random>

#include "alerts/scheduler.h"
#include "core/vocabulary.h"
#include "support/alerted_values.h"
#include "support/fakes.h"
#include "support/moments.h"

namespace ricordex {
namespace {

class QuietPorts final : public AlertPorts {
public:
    explicit QuietPorts(std::function<void()> whileOpen) : whileOpen_(std::move(whileOpen)) {}
    void SetInterval(unsigned) override {}
    void SoundAlarm(const std::wstring&) override {}
    Postpone ShowAlert(std::string_view text) override {
        messages.emplace_back(text);
        whileOpen_();
        return Postpone::No;
    }
    std::vector<std::string> messages;

private:
    std::function<void()> whileOpen_;
};

// One program: its list, clock and scheduler, and a die of its own for what
// happens while an alert is open, thrown alike in both programs.
struct Program {
    explicit Program(unsigned seed, bool everyRow) : die(seed) {
        scheduler.ExamineEveryRow(everyRow);
    }
    std::mt19937 die;
    testing::AlertedValues values;
    EventList& list = values.list;
    std::string& avvioProgramma = values.avvioProgramma;
    testing::FakeClock clock;
    QuietPorts ports{[this] { WhileOpen(); }};
    UnreadableRows unreadable;
    std::vector<std::string> reports;
    AlertScheduler scheduler{values.Target(), clock, ports, unreadable,
                             [this](const std::string& text) { reports.push_back(text); }};

    void WhileOpen() {
        clock.now += std::uniform_int_distribution<int>(1, 400)(die) / 86'400.0;  // seconds to dismiss
        if (die() % 4 == 0) list.AggiungiRiga({"aggiunto", "1 giorno prima", "07/12", "10.00", "Ogni ora", "", ""}, 0);
    }
};

std::string Pick(std::mt19937& die, std::initializer_list<std::string> texts) {
    return *(texts.begin() + die() % texts.size());
}

RowTexts RandomRow(std::mt19937& die, const std::string& avvio, DateTime now) {
    char date[8], time[8];
    const unsigned month = 1 + die() % 12;
    std::snprintf(date, sizeof date, "%02u/%02u", static_cast<unsigned>(1 + die() % 31), month);
    std::snprintf(time, sizeof time, "%02u.%02u", static_cast<unsigned>(die() % 24), static_cast<unsigned>(die() % 60));
    std::string lead(ElencoInizio[die() % ElencoInizio.size()].text);
    std::string frequency(ElencoModalita[die() % ElencoModalita.size()].text);
    if (die() % 20 == 0) lead = "sconosciuto";
    if (die() % 20 == 0) frequency = "";
    const std::string recent = StampOf(now - std::uniform_real_distribution<double>(0, 3)(die));
    const std::string lastYear = StampOf(now - std::uniform_real_distribution<double>(300, 400)(die));
    const std::string future = StampOf(now + std::uniform_real_distribution<double>(0, 3)(die));
    return {"evento " + std::to_string(die() % 1000), lead, date, time, frequency, Pick(die, {"Annuale", "Nessuna"}),
            Pick(die, {std::string(kInitialStamp), avvio, recent, recent, lastYear, future, "31/02/2026 10.00",
                       "15/12 10.00"})};
}

// The clock's next reading: mostly the next tick, sometimes a jump ahead or
// back, sometimes across the new year.
DateTime NextNow(std::mt19937& die, DateTime now) {
    switch (die() % 20) {
    case 0: return now + std::uniform_real_distribution<double>(0, 40)(die);
    case 1: return now - std::uniform_real_distribution<double>(0, 3)(die);
    case 2: return testing::At(DecodeDateTime(now).year, 12, 31, 23, 59, 50);
    default: return now + 10.0 / 86'400;
    }
}

TEST(DueIndex, TicksAlertAsIfEveryRowWereExamined) {
    std::size_t alerts = 0;
    for (unsigned history = 0; history < 400; ++history) {
        Program every(history, true), indexed(history, false);
        std::mt19937 die(history * 7919 + 1);
        DateTime now = testing::At(2026, 1 + die() % 12, 1 + die() % 28, die() % 24, die() % 60);
        // Some programs start from a moment examined in an earlier run; some
        // histories are quiet, with long runs of ticks and no change.
        if (history % 3 == 0) every.values.examinedUpTo = indexed.values.examinedUpTo = now - (die() % 400) / 10.0;
        const unsigned changes = history % 2 == 0 ? 10 : 60;
        for (int tick = 0; tick < 150; ++tick) {
            // Between ticks the user adds, deletes, sorts or edits a stamp.
            const unsigned change = die() % changes;
            const bool incomplete = tick % 40 >= 35;  // an archive that could not be read whole
            const std::size_t count = every.list.Count();
            const RowTexts row = RandomRow(die, every.avvioProgramma, now);
            const int column = static_cast<int>(die() % 6);
            const std::size_t position = count == 0 ? 0 : die() % count;
            for (Program* program : {&every, &indexed}) {
                if (change < 3 || count == 0) program->list.AggiungiRiga(FieldsOf(row), 0);
                else if (change == 3) program->list.Remove(position);
                else if (change == 4) program->list.SortBy(column);
                else if (change == 5) program->list.SetStamp(position, row[kUltimoAvviso]);
                if (tick % 50 == 49) program->scheduler.ClockChanged();
                if (tick % 70 == 69) program->avvioProgramma = StampOf(now);  // a resume
                program->values.loadIncomplete = incomplete;
                program->clock.now = now;
                program->scheduler.Timer1Timer();
            }
            ASSERT_EQ(indexed.ports.messages, every.ports.messages) << "history " << history << " tick " << tick;
            ASSERT_EQ(indexed.reports, every.reports) << "history " << history << " tick " << tick;
            ASSERT_EQ(indexed.list.Count(), every.list.Count());
            for (std::size_t i = 0; i < every.list.Count(); ++i) {
                ASSERT_EQ(indexed.list.At(i).Texts(), every.list.At(i).Texts()) << "history " << history;
            }
            now = NextNow(die, std::max(every.clock.now, now));
        }
        alerts += every.ports.messages.size();
    }
    EXPECT_GT(alerts, 5'000u) << "too few alerts to tell the two apart";
}

}  // namespace
}  // namespace ricordex
