#pragma once
// Reading a row's event time and last-alert stamp, as the scheduler and the
// row status both do, and remembering which unreadable rows were reported.

#include <optional>
#include <string>
#include <unordered_map>

#include "core/date_time.h"
#include "core/event_row.h"

namespace ricordex {

// The row's date and time ("dd/mm hh:nn") as a date-time in the given year.
std::optional<DateTime> ReadEventTime(const EventRow& row, int year);
// The text ReadEventTime reads, for the error that names it.
std::string EventTimeText(const EventRow& row);

// The row's last-alert stamp as a moment. A stamp written without a year
// (a hand-edited or damaged archive) is the latest moment with its day,
// month and time that is not later than `now`.
// `withoutYear`, when given, tells whether it was such a stamp, whose
// reading changes as time goes.
std::optional<DateTime> ReadStamp(const EventRow& row, DateTime now, bool* withoutYear = nullptr);

// "'%s' is not a valid date and time" for a text.
std::string InvalidDateTimeText(std::string_view text);
// The same, after the description of the row it was read from.
std::string UnreadableRowText(const EventRow& row, std::string_view failingText);

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
