#pragma once
// The present moment, passed in so that whatever depends on it can be
// exercised at any date; and the stamps made of it.

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

inline int CurrentYear(Clock& clock) { return DecodeDateTime(clock.Now()).year; }

}  // namespace ricordex
