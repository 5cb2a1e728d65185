#include "alerts/calendar.h"

#include <algorithm>
#include <cmath>

#include "alerts/row_times.h"
#include "core/vocabulary.h"

namespace ricordex {
namespace {

// A leap year, so that 29/02 reads.
constexpr int kReadingYear = 2000;

bool InWindow(DateTime now, DateTime windowStart) { return now >= windowStart - kBoundTolerance; }

// The stamp was made inside the window that opens at `windowStart` (or
// later, for a late alert of the occurrence before).
bool AlertedSince(DateTime stamp, DateTime windowStart) { return stamp >= windowStart - kBoundTolerance; }

}  // namespace

std::optional<EventDate> ReadEventDate(const EventRow& row) {
    const std::optional<DateTime> read = ReadEventTime(row, kReadingYear);
    if (!read) return std::nullopt;
    const CivilDateTime civil = DecodeDateTime(*read);
    EventDate date;
    date.month = civil.month;
    date.day = civil.day;
    // From its fields, as every moment of the day is encoded.
    date.timeOfDay = *TryEncodeTime(civil.hour, civil.minute, civil.second, civil.millisecond);
    return date;
}

Occurrence OccurrenceIn(const EventDate& date, int year) {
    const int day = date.month == 2 && date.day == 29 && !IsLeapYear(year) ? 28 : date.day;
    return {year, CivilDate(year, date.month, day) + date.timeOfDay};
}

Occurrence NextOccurrence(const EventDate& date, DateTime moment) {
    const int year = DecodeDateTime(moment).year;
    const Occurrence thisYear = OccurrenceIn(date, year);
    return moment <= thisYear.at ? thisYear : OccurrenceIn(date, year + 1);
}

Occurrence PreviousOccurrence(const EventDate& date, DateTime moment) {
    const int year = DecodeDateTime(moment).year;
    const Occurrence thisYear = OccurrenceIn(date, year);
    return thisYear.at < moment ? thisYear : OccurrenceIn(date, year - 1);
}

AlertRule RuleOf(const EventRow& row) {
    AlertRule rule;
    rule.lead = InizioInGiorni(row.Text(kInizio));
    rule.period = FrequenzaInGiorni(row.Text(kModalita));
    rule.once = row.Text(kRicorrenza) == ElencoRicorrenza[1];
    return rule;
}

DateTime WindowStart(const EventDate& date, const Occurrence& occurrence, double lead) {
    if (lead >= InizioInGiorni("Da adesso")) return OccurrenceIn(date, occurrence.year - 1).at;
    return occurrence.at - lead;
}

DateTime FirstRealStamp() { return CivilDate(1901, 1, 1); }

bool Done(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now) {
    if (!rule.once || stamp < FirstRealStamp() || stamp > now + kBoundTolerance) return false;
    // The occurrence the stamp was for: the one whose window it falls in,
    // else the one before it (a late alert, of one that passed unseen).
    const Occurrence next = NextOccurrence(date, stamp);
    const Occurrence alerted =
        AlertedSince(stamp, WindowStart(date, next, rule.lead)) ? next : PreviousOccurrence(date, stamp);
    return alerted.at < now;
}

Verdict Judge(const EventDate& date, const AlertRule& rule, DateTime stamp, const Watch& watch) {
    if (!rule.Alertable()) return Verdict::None;
    const DateTime now = watch.now;
    const Occurrence next = NextOccurrence(date, now);
    const DateTime windowStart = WindowStart(date, next, rule.lead);
    if (stamp > now + kBoundTolerance) {
        // A clock that was wrong once, or another PC's: it must not hold the
        // row off beyond one period from now.
        if (!InWindow(now, windowStart)) return Verdict::None;
        return rule.period > 0 ? Verdict::Restamp : Verdict::Due;
    }
    if (Done(date, rule, stamp, now)) return Verdict::None;
    if (watch.examinedUpTo) {
        const Occurrence last = PreviousOccurrence(date, now);
        if (last.at > *watch.examinedUpTo + kBoundTolerance && !AlertedSince(stamp, WindowStart(date, last, rule.lead))) {
            return Verdict::Missed;
        }
    }
    if (!InWindow(now, windowStart)) return Verdict::None;
    const bool alerted = AlertedSince(stamp, windowStart);
    if (rule.period > 0) {
        return !alerted || now - stamp >= rule.period - kBoundTolerance ? Verdict::Due : Verdict::None;
    }
    // "Avvio Computer": once in each run, inside each window. A clock set
    // back before the start of the run takes the run back with it.
    const DateTime runStart = std::min(watch.runStart, now);
    return alerted && stamp >= runStart - kBoundTolerance ? Verdict::None : Verdict::Due;
}

std::optional<NextLook> NextLookAt(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now,
                                   DateTime runStart) {
    if (!rule.Alertable()) return std::nullopt;
    Occurrence occurrence = NextOccurrence(date, now);
    if (stamp > now + kBoundTolerance) return NextLook{-HUGE_VAL, occurrence.at};  // until it is restamped
    if (Done(date, rule, stamp, now)) return std::nullopt;
    // An occurrence the row was already alerted for in this window (and
    // whose period outlasts it) is skipped: the next one's window is the
    // first the stamp lies before.
    for (int skipped = 0; skipped < 3; ++skipped) {
        const DateTime windowStart = WindowStart(date, occurrence, rule.lead);
        if (!AlertedSince(stamp, windowStart)) return NextLook{windowStart, occurrence.at};
        if (rule.period > 0) {
            const DateTime periodEnds = stamp + rule.period;
            if (periodEnds <= occurrence.at + kBoundTolerance) return NextLook{periodEnds, occurrence.at};
        } else if (stamp < std::min(runStart, now) - kBoundTolerance) {
            return NextLook{windowStart, occurrence.at};
        }
        if (rule.once) return std::nullopt;  // alerted for its one occurrence
        occurrence = OccurrenceIn(date, occurrence.year + 1);
    }
    return std::nullopt;
}

}  // namespace ricordex
