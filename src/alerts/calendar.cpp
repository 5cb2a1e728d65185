#include "alerts/calendar.h"

#include <algorithm>
#include <cmath>

#include "alerts/row_times.h"
#include "core/text_compare.h"
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
    // Matched as the editor matches it, whatever the case of its letters.
    const std::string_view recurrence = row.Text(kRicorrenza), once = ElencoRicorrenza[1];
    rule.once = recurrence.size() == once.size() &&
                std::equal(once.begin(), once.end(), recurrence.begin(),
                           [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
    return rule;
}

DateTime WindowStart(const EventDate& date, const Occurrence& occurrence, double lead) {
    static const double fromNow = InizioInGiorni("Da adesso");
    if (lead >= fromNow) return OccurrenceIn(date, occurrence.year - 1).at;
    return occurrence.at - lead;
}

DateTime FirstRealStamp() { return CivilDate(1901, 1, 1); }

Occurrence AlertedOccurrence(const EventDate& date, double lead, DateTime stamp) {
    // The one whose window it falls in (a stamp at an occurrence is that
    // one's), else the one before it (an alert given late, by a program of
    // before stamps were kept to their occurrence).
    const Occurrence next = NextOccurrence(date, stamp);
    return AlertedSince(stamp, WindowStart(date, next, lead)) ? next : PreviousOccurrence(date, stamp);
}

bool Done(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now) {
    if (!rule.once || stamp < FirstRealStamp() || stamp > now + kBoundTolerance) return false;
    return AlertedOccurrence(date, rule.lead, stamp).at < now;
}

DateTime JudgedAt(const Watch& watch, DateTime stamp) {
    return stamp < FirstRealStamp() ? std::min(watch.now, watch.clock) : watch.now;
}

Verdict Judge(const EventDate& date, const AlertRule& rule, DateTime stamp, const Watch& given) {
    if (!rule.Alertable()) return Verdict::None;
    Watch watch = given;
    watch.now = JudgedAt(given, stamp);
    const DateTime now = watch.now;
    const Occurrence next = NextOccurrence(date, now);
    const DateTime windowStart = WindowStart(date, next, rule.lead);
    // A stamp up to a clock's set-back ahead (this PC's or another's) says
    // an alert came; one further ahead is a clock that was wrong.
    const bool believed = stamp <= now + kClockSetBackHeld + kBoundTolerance;
    if (stamp > now + kBoundTolerance) {
        // It holds the row one period from now at most (its stamp brought
        // back to now), and a wrong one only while an alert can still come
        // before the event.
        if (!InWindow(now, windowStart)) return Verdict::None;
        if (rule.period == 0) return AlertedThisRun(stamp, watch) ? Verdict::None : Verdict::Due;
        const bool roomForAPeriod = now + rule.period <= next.at + kBoundTolerance;
        return believed || roomForAPeriod ? Verdict::Restamp : Verdict::Due;
    }
    if (Done(date, rule, stamp, now)) return Verdict::None;
    if (watch.examinedUpTo) {
        const Occurrence last = PreviousOccurrence(date, now);
        if (last.at > *watch.examinedUpTo + kBoundTolerance &&
            AlertedOccurrence(date, rule.lead, stamp).at < last.at - kBoundTolerance) {
            return Verdict::Missed;
        }
    }
    if (!InWindow(now, windowStart)) return Verdict::None;
    // A period counts from the last alert, also one of the window before
    // ("Da adesso" opens the next window as the event passes), or from the
    // run's start (see PeriodFrom).
    if (rule.period > 0) {
        return now - PeriodFrom(date, stamp, watch.runStart) >= rule.period - kBoundTolerance ? Verdict::Due
                                                                                              : Verdict::None;
    }
    return AlertedThisRun(stamp, watch) ? Verdict::None : Verdict::Due;
}

DateTime PeriodFrom(const EventDate& date, DateTime stamp, DateTime runStart) {
    // A stamp at its occurrence is an answer given at it or after it (the
    // stamp is never later): in a later run, the period counts from the
    // run's start, for the answer may have come just before it.
    if (stamp < runStart && stamp >= FirstRealStamp() &&
        std::fabs(NextOccurrence(date, stamp).at - stamp) < kBoundTolerance) {
        return runStart;
    }
    return stamp;
}

bool AlertedThisRun(DateTime stamp, const Watch& watch) {
    // Since the run began; a clock set back before its start takes the run
    // back with it, and a stamp of this run stays one however the clock
    // went, short of a stamp further ahead than any set-back.
    const DateTime from = std::min(watch.runStart, watch.now);
    const DateTime to = std::max(watch.runStart, watch.now) + kClockSetBackHeld;
    return stamp >= from - kBoundTolerance && stamp <= to + kBoundTolerance;
}

std::optional<NextLook> NextLookAt(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now,
                                   DateTime runStart) {
    if (!rule.Alertable()) return std::nullopt;
    Occurrence occurrence = NextOccurrence(date, now);
    if (stamp > now + kBoundTolerance) return NextLook{-HUGE_VAL, occurrence.at};  // until it is restamped
    if (Done(date, rule, stamp, now)) return std::nullopt;
    // The first occurrence for which the row can come due; one it cannot
    // come due for is still looked at once it passes, when no alert came in
    // its window (a missed alert).
    for (int skipped = 0; skipped < 3; ++skipped) {
        const DateTime windowStart = WindowStart(date, occurrence, rule.lead);
        if (rule.period > 0) {
            const DateTime from = std::max(windowStart, PeriodFrom(date, stamp, runStart) + rule.period);
            if (from <= occurrence.at + kBoundTolerance) return NextLook{from, occurrence.at};
        } else if (stamp < runStart - kBoundTolerance) {
            return NextLook{windowStart, occurrence.at};
        }
        if (AlertedOccurrence(date, rule.lead, stamp).at < occurrence.at - kBoundTolerance) {
            return NextLook{occurrence.at, occurrence.at};
        }
        if (rule.once) return std::nullopt;  // alerted for its one occurrence
        occurrence = OccurrenceIn(date, occurrence.year + 1);
    }
    return std::nullopt;
}

}  // namespace ricordex
