// The calendar against a plain model of it, over random rows, clocks,
// stamps and moments examined: every occurrence of the row over a few years
// listed, and each rule read off that list as the program's users read it.

#include "alerts/calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "alerts/row_status.h"
#include "core/vocabulary.h"
#include "support/moments.h"

namespace ricordex {
namespace {

using testing::At;

constexpr double kMinute = 1.0 / 1440;
constexpr double kTolerance = 0.5 / 86'400'000;

struct Case {
    EventDate date;
    int hour = 0, minute = 0;
    AlertRule rule;
    bool daAdesso = false;
    DateTime stamp = 0;
    Watch watch;
};

// The plain model of one row.
class Model {
public:
    explicit Model(const Case& c) : c_(c) {
        const int year = DecodeDateTime(c.watch.now).year;
        for (int y = year - 3; y <= year + 3; ++y) {
            const bool shifted = c.date.month == 2 && c.date.day == 29 && !IsLeapYear(y);
            occurrences_.push_back(EncodeDateTime({y, c.date.month, shifted ? 28 : c.date.day, c.hour, c.minute, 0, 0}));
        }
    }

    std::size_t NextIndex(DateTime t) const {
        std::size_t i = 0;
        while (occurrences_[i] < t) ++i;
        return i;
    }
    DateTime Next(DateTime t) const { return occurrences_[NextIndex(t)]; }
    DateTime Previous(DateTime t) const { return occurrences_[NextIndex(t) - 1]; }
    DateTime WindowStart(std::size_t i) const { return c_.daAdesso ? occurrences_[i - 1] : occurrences_[i] - c_.rule.lead; }
    bool AlertedFor(std::size_t i) const { return c_.stamp >= WindowStart(i) - kTolerance; }

    bool Done() const {
        const DateTime s = c_.stamp, now = c_.watch.now;
        if (!c_.rule.once || s < At(1901, 1, 1) || s > now + kTolerance) return false;
        const std::size_t next = NextIndex(s);
        const DateTime alertedFor = AlertedFor(next) ? occurrences_[next] : occurrences_[next - 1];
        return alertedFor < now;
    }

    Verdict Judge() const {
        const DateTime now = c_.watch.now, s = c_.stamp;
        if (c_.rule.lead <= 0 || c_.rule.period < 0) return Verdict::None;
        const std::size_t next = NextIndex(now);
        const bool inWindow = now >= WindowStart(next) - kTolerance;
        // "Avvio Computer": a stamp since the run began (or since the clock
        // went back before it), short of one further ahead than a day.
        const DateTime runStart = c_.watch.runStart, day = 26.0 / 24;
        const bool thisRun = s >= std::min(runStart, now) - kTolerance && s <= std::max(runStart, now) + day + kTolerance;
        if (s > now + kTolerance) {
            if (!inWindow) return Verdict::None;
            if (c_.rule.period == 0) return thisRun ? Verdict::None : Verdict::Due;
            // Held one period from now: an alert came, unless the stamp is
            // further ahead than a clock goes back and no alert could come
            // before the event after a period.
            const bool room = now + c_.rule.period <= occurrences_[next] + kTolerance;
            return s <= now + day + kTolerance || room ? Verdict::Restamp : Verdict::Due;
        }
        if (Done()) return Verdict::None;
        // The occurrence the stamp was for: the one whose window holds it (at an
        // occurrence, that one), else the one before.
        const std::size_t stampNext = NextIndex(s);
        const long alertedFor = stampNext == 0 ? -1 : AlertedFor(stampNext) ? long(stampNext) : long(stampNext) - 1;
        if (c_.watch.examinedUpTo && Previous(now) > *c_.watch.examinedUpTo + kTolerance &&
            alertedFor < long(next) - 1) {
            return Verdict::Missed;
        }
        if (!inWindow) return Verdict::None;
        // A stamp at its occurrence (an answer after it) counts from a later run's start.
        const DateTime from = s < runStart && s >= At(1901, 1, 1) && std::fabs(Next(s) - s) < kTolerance ? runStart : s;
        if (c_.rule.period > 0) return now - from >= c_.rule.period - kTolerance ? Verdict::Due : Verdict::None;
        return thisRun ? Verdict::None : Verdict::Due;
    }

    RowStatus Status() const {
        const DateTime now = c_.watch.now;
        if (Done()) return RowStatus::Past;
        const std::size_t next = NextIndex(now);
        const double ahead = occurrences_[next] - now;
        const double window = c_.rule.lead > 0 ? occurrences_[next] - WindowStart(next) : c_.rule.lead;
        if (ahead < window) return ahead <= 1 ? RowStatus::Imminent : RowStatus::Pending;
        if (DecodeDateTime(occurrences_[next]).year != DecodeDateTime(now).year) return RowStatus::Past;
        return ahead > 1 ? RowStatus::Distant : RowStatus::Unmarked;
    }

private:
    const Case& c_;
    std::vector<DateTime> occurrences_;
};

class RandomCases {
public:
    explicit RandomCases(unsigned seed) : die_(seed) {}

    Case Next() {
        Case c;
        switch (Below(8)) {
        case 0: c.date = {2, 29, 0}; break;
        case 1: c.date = {12, 31, 0}; break;
        case 2: c.date = {1, 1, 0}; break;
        default:
            c.date.month = 1 + Below(12);
            c.date.day = 1 + Below(DaysInMonth(2000, c.date.month));
        }
        c.hour = Below(4) == 0 ? (c.date.month == 12 ? 23 : 0) : Below(24);
        c.minute = Below(3) == 0 ? 0 : Below(60);
        c.date.timeOfDay = *TryEncodeTime(c.hour, c.minute, 0, 0);
        const Label& lead = ElencoInizio[Below(ElencoInizio.size())];
        c.rule.lead = Below(30) == 0 ? -1 : lead.days;
        c.daAdesso = lead.text == "Da adesso" && c.rule.lead > 0;
        c.rule.period = Below(30) == 0 ? -1 : ElencoModalita[Below(ElencoModalita.size())].days;
        c.rule.once = Below(2) == 0;

        // Now: anywhere over four years, or close to a turn of the year,
        // to the event or to its window's opening.
        const int year = 2026 + Below(4);
        const DateTime event = EncodeDateTime({year, c.date.month, c.date.month == 2 && c.date.day == 29 && !IsLeapYear(year) ? 28 : c.date.day,
                                               c.hour, c.minute, 0, 0});
        switch (Below(5)) {
        case 0: c.watch.now = At(year, 12, 31, 23) + Real(0, 2 / 24.0); break;
        case 1: c.watch.now = event + Minutes(-3, 3); break;
        case 2: c.watch.now = event - std::max(c.rule.lead, 0.0) + Minutes(-3, 3); break;
        default: c.watch.now = At(year, 1, 1) + Real(0, 365);
        }
        c.watch.now = std::round(c.watch.now * 86'400'000) / 86'400'000;  // the clock's milliseconds
        // Stamps are whole minutes.
        auto minute = [](DateTime t) { return std::floor(t * 1440 + 1e-9) / 1440; };
        switch (Below(6)) {
        case 0: c.stamp = StrToDateTime(kInitialStamp, ProgramFormatSettings(), 2026); break;
        case 1: c.stamp = minute(c.watch.now + Real(0, 3)); break;  // in the future
        case 2: c.stamp = minute(event - std::max(c.rule.lead, 0.0)) + Minutes(-2, 2); break;
        default: c.stamp = minute(c.watch.now - Real(0, 400));
        }
        switch (Below(4)) {
        case 0: break;  // the first run
        case 1: c.watch.examinedUpTo = c.watch.now + Real(0, 2); break;  // a clock set back
        default: c.watch.examinedUpTo = c.watch.now - (Below(2) == 0 ? Real(0, 400) : Real(0, 20.0 / 86'400));
        }
        c.watch.runStart = minute(c.watch.now - Real(-0.1, 30));
        return c;
    }

private:
    int Below(std::size_t n) { return static_cast<int>(die_() % n); }
    double Real(double from, double to) { return std::uniform_real_distribution<double>(from, to)(die_); }
    double Minutes(int from, int to) { return (from + Below(static_cast<std::size_t>(to - from + 1))) * kMinute; }
    std::mt19937 die_;
};

TEST(Calendar, JudgesEveryRowAsThePlainModelDoes) {
    RandomCases cases(20261208);
    int verdicts[4] = {};
    for (int i = 0; i < 300'000; ++i) {
        const Case c = cases.Next();
        const Model model(c);
        const Verdict verdict = Judge(c.date, c.rule, c.stamp, c.watch);
        ASSERT_EQ(verdict, model.Judge()) << "case " << i;
        ASSERT_EQ(Done(c.date, c.rule, c.stamp, c.watch.now), model.Done()) << "case " << i;
        ASSERT_EQ(StatusOf(c.date, c.rule.lead, model.Done(), c.watch.now), model.Status()) << "case " << i;
        ASSERT_EQ(NextOccurrence(c.date, c.watch.now).at, model.Next(c.watch.now)) << "case " << i;
        ASSERT_EQ(PreviousOccurrence(c.date, c.watch.now).at, model.Previous(c.watch.now)) << "case " << i;
        ++verdicts[static_cast<int>(verdict)];
    }
    for (int count : verdicts) EXPECT_GT(count, 1'000) << "a verdict too rare to be tried";
}

// The index's promise: before the moment NextLookAt gives, the row is
// judged None whatever the clock says, once the list was examined up to now.
TEST(Calendar, NothingComesBeforeTheNextLook) {
    RandomCases cases(7);
    for (int i = 0; i < 100'000; ++i) {
        Case c = cases.Next();
        c.watch.examinedUpTo = c.watch.now;
        const std::optional<NextLook> look = NextLookAt(c.date, c.rule, c.stamp, c.watch.now, c.watch.runStart);
        for (double ahead : {0.0, 1.0 / 8640, 0.01, 0.3, 2.0, 40.0, 200.0, 380.0}) {
            Watch later = c.watch;
            later.now += ahead;
            if (look && (later.now >= look->from - kTolerance || later.now > look->until)) continue;
            ASSERT_EQ(Judge(c.date, c.rule, c.stamp, later), Verdict::None) << "case " << i << " ahead " << ahead;
        }
    }
}

TEST(Calendar, TheTurnOfTheYearAndTheTwentyNinthOfFebruary) {
    const EventDate newYear{1, 1, 0};
    EXPECT_EQ(NextOccurrence(newYear, At(2026, 12, 31, 23, 50)).at, At(2027, 1, 1));
    EXPECT_EQ(NextOccurrence(newYear, At(2027, 1, 1)).at, At(2027, 1, 1));  // exactly now has not passed
    const EventDate leap{2, 29, 9.0 / 24};
    EXPECT_EQ(NextOccurrence(leap, At(2027, 1, 1)).at, At(2027, 2, 28, 9));
    EXPECT_EQ(NextOccurrence(leap, At(2027, 3, 1)).at, At(2028, 2, 29, 9));
    // "Da adesso" opens when the one before passed, whatever the year's length.
    const EventDate eve{12, 31, 23.0 / 24};
    EXPECT_EQ(WindowStart(eve, OccurrenceIn(eve, 2028), InizioInGiorni("Da adesso")), At(2027, 12, 31, 23));
    EXPECT_EQ(WindowStart(eve, OccurrenceIn(eve, 2028), 30), At(2028, 12, 1, 23));
}

}  // namespace
}  // namespace ricordex
