#pragma once
// The calendar of a row. Its day and month come back every year at its time:
// what the scheduler and the status look at is the row's next occurrence,
// this year's while it has not passed and next year's once it has, and the
// lead window before it, which may open in the year before. 29 February is
// 28 February in a year without it. A row whose recurrence is "Nessuna" is
// alerted for one occurrence only, then done.

#include <cmath>
#include <optional>

#include "core/clock.h"
#include "core/date_time.h"
#include "core/event_row.h"

namespace ricordex {

// Half a millisecond, the clock's resolution: an alert's window and period
// include their bound, which binary fractions of a day would otherwise miss
// by a hair (10:07:00 minus 10:02:00 is a shade under five minutes).
inline constexpr double kBoundTolerance = 0.5 / 86'400'000;

// The row's date and time without a year.
struct EventDate {
    int month = 1;
    int day = 1;
    DateTime timeOfDay = 0;
};

// The row's "dd/mm" and "hh:nn"; 29/02 reads in every year. Nothing when
// they cannot be read.
std::optional<EventDate> ReadEventDate(const EventRow& row);

struct Occurrence {
    int year = 0;
    DateTime at = 0;
};

Occurrence OccurrenceIn(const EventDate& date, int year);
// The first occurrence at or after `moment`: an event at exactly this moment
// has not passed.
Occurrence NextOccurrence(const EventDate& date, DateTime moment);
// The last occurrence before `moment`.
Occurrence PreviousOccurrence(const EventDate& date, DateTime moment);

// What a row's labels ask for.
struct AlertRule {
    double lead = -1;    // days; 0 never alerted, -1 not a label
    double period = -1;  // days; 0 once per run ("Avvio Computer"), -1 not a label
    bool once = false;   // recurrence "Nessuna"

    bool Alertable() const { return lead > 0 && period >= 0; }
};
AlertRule RuleOf(const EventRow& row);

// Where the lead window before an occurrence opens: the lead before it, or,
// for "Da adesso", the moment the occurrence before it passed (from now on,
// whatever the length of the year).
DateTime WindowStart(const EventDate& date, const Occurrence& occurrence, double lead);

// A stamp earlier than this says the row was never alerted (a new or edited
// row carries "01/01/1900 00.01").
DateTime FirstRealStamp();

// The occurrence an alert stamped at `stamp` was for.
Occurrence AlertedOccurrence(const EventDate& date, double lead, DateTime stamp);

// A "Nessuna" row alerted for an occurrence that has passed since.
bool Done(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now);

// What the program knows of time when it examines a row.
struct Watch {
    DateTime now = 0;
    // Up to where the list was examined before (this run's last look, or the
    // last run's); nothing at the very first run.
    std::optional<DateTime> examinedUpTo;
    DateTime runStart = 0;  // the start stamp of this run, as a moment
    // The clock's own moment, when `now` is held above it (the clock was set
    // back a little): a row never alerted is judged at it, since nothing
    // was judged of it before.
    DateTime clock = HUGE_VAL;
};

// The moment a row with this stamp is judged at.
DateTime JudgedAt(const Watch& watch, DateTime stamp);

enum class Verdict {
    None,
    Due,      // alert it now
    Missed,   // its occurrence passed unseen since the list was last examined
    Restamp,  // a periodic row inside its window with a stamp in the future
};

Verdict Judge(const EventDate& date, const AlertRule& rule, DateTime stamp, const Watch& watch);

// Where a periodic row's period counts from.
DateTime PeriodFrom(const EventDate& date, DateTime stamp, DateTime runStart);

// "Avvio Computer": the stamp is an alert of this run.
bool AlertedThisRun(DateTime stamp, const Watch& watch);

// From when a row, as it stands, can next be judged anything but None, and
// the occurrence that is about; nothing when never (not alertable, done).
struct NextLook {
    DateTime from;
    DateTime until;
};
std::optional<NextLook> NextLookAt(const EventDate& date, const AlertRule& rule, DateTime stamp, DateTime now,
                                   DateTime runStart);

}  // namespace ricordex
