#pragma once
// Reading a row's event time and last-alert stamp, as the scheduler and the
// row status both do, and remembering which unreadable rows were reported.

#include <optional>
#include <string>
#include <unordered_map>

#include "core/date_time.h"
#include "core/event_row.h"

namespace ricordex {

// Half a millisecond, the clock's resolution: an alert's window and period
// include their bound, which binary fractions of a day would otherwise miss
// by a hair (10:07:00 minus 10:02:00 is a shade under five minutes).
inline constexpr double kBoundTolerance = 0.5 / 86'400'000;

// The row's date and time ("dd/mm hh:nn") as a date-time in the given year.
std::optional<DateTime> ReadEventTime(const EventRow& row, int year);
// The text ReadEventTime reads, for the error that names it.
std::string EventTimeText(const EventRow& row);

// "'%s' is not a valid date and time" for a text.
std::string InvalidDateTimeText(std::string_view text);

// A row that cannot be read is reported once, and again only when the text
// that fails changes: a damaged row must not raise a new box every tick or
// every repaint.
class UnreadableRows {
public:
    // True when this failure of this row has not been reported yet.
    bool FirstReport(RowId row, std::string_view failingText);
    // The row was read well: a later failure is news again.
    void Readable(RowId row) {
        if (!reported_.empty()) reported_.erase(row);
    }

private:
    std::unordered_map<RowId, std::string> reported_;
};

}  // namespace ricordex
