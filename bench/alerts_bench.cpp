// One scheduler tick over a large list of which no row is due, the same
// after rows moved while an alert was open, and the status of one screen of
// rows as the list paints them.
//
//   build/native/bench/alerts_bench
//
// allocs_per_row counts the heap allocations made while working out one
// painted row (the target is none).

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "alerts/row_status.h"
#include "alerts/scheduler.h"
#include "core/vocabulary.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t n) {
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace ricordex {
namespace {

class FixedClock final : public Clock {
public:
    DateTime now = EncodeDateTime({2026, 6, 15, 12, 0, 0, 0});
    DateTime Now() override { return now; }
};

class SilentPorts final : public AlertPorts {
public:
    void SetInterval(unsigned) override {}
    void SoundAlarm(const std::wstring&) override {}
    Postpone ShowAlert(std::string_view) override { return Postpone::No; }
};

// Rows spread over the year, none due: past ones, and future ones outside
// their window or already alerted within their period.
void Fill(EventList& list, std::size_t count) {
    const char* leads[] = {"10 minuti prima", "1 giorno prima", "1 settimana prima", "Nessun Avviso"};
    const char* frequencies[] = {"Ogni ora", "Ogni giorno", "Ogni mese", "Avvio Computer"};
    for (std::size_t i = 0; i < count; ++i) {
        char date[8], time[8], description[32];
        std::snprintf(date, sizeof date, "%02zu/%02zu", 1 + i % 28, 1 + i % 12);
        std::snprintf(time, sizeof time, "%02zu.%02zu", i % 24, i % 60);
        std::snprintf(description, sizeof description, "Evento numero %zu", i);
        list.AppendUnordered({description, leads[i % 4], date, time, frequencies[i % 4], "Annuale",
                              "15/06/2026 12.00"},
                             0);
    }
    list.SortRows();
}

// What a tick reads and stamps of the program.
struct Program {
    EventList list;
    std::wstring suono;
    std::string avvioProgramma = "15/06/2026 12.00";
    bool aggiornatoDaTimer = false;
    AlertStamps alertStamps;
    std::optional<DateTime> examinedUpTo;
    bool loadIncomplete = false;
    std::unordered_set<RowId> missedUnnamed;
    Postponements postponed;
    AlertedList Target() {
        return {list,         suono,          avvioProgramma, aggiornatoDaTimer, alertStamps,
                examinedUpTo, loadIncomplete, missedUnnamed,  postponed};
    }
};

// A tick with none due, through the index (built before the ticks measured:
// the first tick of a run examines every row, the second builds the index)
// or examining every row.
void TickNoneDue(benchmark::State& state, bool everyRow) {
    Program program;
    Fill(program.list, static_cast<std::size_t>(state.range(0)));
    FixedClock clock;
    SilentPorts ports;
    UnreadableRows unreadable;
    AlertScheduler scheduler(program.Target(), clock, ports, unreadable, [](const std::string&) {});
    scheduler.ExamineEveryRow(everyRow);
    scheduler.Timer1Timer();
    scheduler.Timer1Timer();
    for (auto _ : state) scheduler.Timer1Timer();
    if (program.aggiornatoDaTimer) state.SkipWithError("a row was due");
}
void BM_TickNoneDue(benchmark::State& state) { TickNoneDue(state, false); }

// A tick that builds the index again, as after the clock was set or the
// machine woke up.
void BM_TickBuildingTheIndex(benchmark::State& state) {
    Program program;
    Fill(program.list, static_cast<std::size_t>(state.range(0)));
    FixedClock clock;
    program.examinedUpTo = clock.Now() - 1;  // set, as in a running program
    SilentPorts ports;
    UnreadableRows unreadable;
    AlertScheduler scheduler(program.Target(), clock, ports, unreadable, [](const std::string&) {});
    scheduler.Timer1Timer();
    for (auto _ : state) {
        scheduler.ClockChanged();
        scheduler.Timer1Timer();
    }
}
void BM_TickEveryRowExamined(benchmark::State& state) { TickNoneDue(state, true); }

// An alert is open while the user adds an event that sorts first: every row
// after it has moved by one when the tick goes on.
class ShiftingPorts final : public AlertPorts {
public:
    explicit ShiftingPorts(EventList& list) : list_(list) {}
    void SetInterval(unsigned) override {}
    void SoundAlarm(const std::wstring&) override {}
    Postpone ShowAlert(std::string_view) override {
        list_.AggiungiRiga({"0 aggiunto", "Nessun Avviso", "01/01", "08.00", "Ogni giorno", "Annuale", ""}, 0);
        ++alerts;
        return Postpone::No;
    }
    long alerts = 0;

private:
    EventList& list_;
};

void BM_TickAfterAShift(benchmark::State& state) {
    Program program;
    Fill(program.list, static_cast<std::size_t>(state.range(0)));
    // Due now and first in the list: alerted every hour, last alerted long ago.
    program.list.AggiungiRiga({"00 dovuto", "1 giorno prima", "15/06", "12.00", "Ogni ora", "Annuale",
                               "01/01/1900 00.01"},
                              0);
    FixedClock clock;
    ShiftingPorts ports(program.list);
    UnreadableRows unreadable;
    AlertScheduler scheduler(program.Target(), clock, ports, unreadable, [](const std::string&) {});
    for (auto _ : state) {
        scheduler.Timer1Timer();
        state.PauseTiming();
        program.list.Remove(*program.list.FindDescriptionPrefix("0 aggiunto", 0, false));
        program.list.SetStamp(*program.list.FindDescriptionPrefix("00 dovuto", 0, false), "01/01/1900 00.01");
        state.ResumeTiming();
    }
    if (ports.alerts != static_cast<long>(state.iterations())) state.SkipWithError("the first row was not due");
}

// What the list works out for each painted row: background, event time,
// status (text colour and icon).
void BM_PaintOneScreen(benchmark::State& state) {
    EventList list;
    Fill(list, 1000);
    FixedClock clock;
    constexpr std::size_t kRowsOnScreen = 20;
    long rows = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        for (std::size_t i = 0; i < kRowsOnScreen; ++i) {
            const EventRow& row = list.At(i);
            const DateTime now = clock.Now();
            benchmark::DoNotOptimize(BackgroundOf(false, false, i));
            const std::optional<EventDate> date = ReadEventDate(row);
            const std::optional<DateTime> stamp = ReadStamp(row, now);
            const AlertRule rule = RuleOf(row);
            benchmark::DoNotOptimize(StatusOf(*date, rule.lead, Done(*date, rule, *stamp, now), now));
            ++rows;
        }
    }
    state.counters["allocs_per_row"] = static_cast<double>(allocations.load() - before) / static_cast<double>(rows);
}

BENCHMARK(BM_TickNoneDue)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickBuildingTheIndex)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickEveryRowExamined)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickAfterAShift)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ricordex

BENCHMARK_MAIN();
