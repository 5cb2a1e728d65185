#pragma once
// The present moment, passed in so that whatever depends on it can be
// exercised at any date; and the stamps made of it.

#include <optional>
#include <string>

#include "core/date_time.h"

namespace ricordex {

class Clock {
public:
    virtual ~Clock() = default;
    // The local date and time, with milliseconds.
    virtual DateTime Now() = 0;
};

// "dd/mm/yyyy hh.nn" of a moment's minute: the last-alert stamp and the
// start stamp.
inline std::string StampOf(DateTime moment) {
    return FormatDateTime(kStampPattern, moment, ProgramFormatSettings());
}

// How far back the clock may go (a time sync, the autumn hour, the widest
// step between two time zones) with the moment the alerts are judged at
// staying where it was until the clock catches up: what was alerted or
// passed by then is not judged again. A clock set back further was wrong
// before, and is taken. A stamp up to this far ahead of the clock is an
// alert all the same.
inline constexpr double kClockSetBackHeld = 26.0 / 24;

// The moment the alerts are judged at, from the clock's and the moment up to
// which the list was examined.
inline DateTime JudgedMoment(DateTime clock, const std::optional<DateTime>& examinedUpTo) {
    if (examinedUpTo && clock < *examinedUpTo && *examinedUpTo - clock <= kClockSetBackHeld) return *examinedUpTo;
    return clock;
}

inline int CurrentYear(Clock& clock) { return DecodeDateTime(clock.Now()).year; }

}  // namespace ricordex
