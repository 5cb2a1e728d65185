#include "alerts/row_times.h"

namespace ricordex {

std::string EventTimeText(const EventRow& row) {
    std::string text;
    text.reserve(row.Text(kData).size() + 1 + row.Text(kOra).size());
    text.append(row.Text(kData)).append(" ").append(row.Text(kOra));
    return text;
}

std::optional<DateTime> ReadEventTime(const EventRow& row, int year) {
    static const FormatSettings settings = ProgramFormatSettings();
    return TryStrToDateTime(EventTimeText(row), settings, year);
}

std::optional<DateTime> ReadStamp(const EventRow& row, DateTime now, bool* withoutYear) {
    static const FormatSettings settings = ProgramFormatSettings();
    // A year no stamp was ever written in, and a leap one, so that 29/02
    // reads: a text read in it carries no year of its own.
    constexpr int kNoYear = 4;
    static const DateTime noYearFrom = CivilDate(kNoYear, 1, 1), noYearTo = CivilDate(kNoYear + 1, 1, 1);
    const std::string_view text = row.Text(kUltimoAvviso);
    const std::optional<DateTime> read = TryStrToDateTime(text, settings, kNoYear);
    const bool yearless = read && *read >= noYearFrom && *read < noYearTo;
    if (withoutYear) *withoutYear = yearless;
    if (!yearless) return read;
    // This year's, or the year before's when that is still to come; 29/02
    // goes back to the last leap year.
    const int year = DecodeDateTime(now).year;
    for (int back = 0; back <= 8; ++back) {
        const std::optional<DateTime> inYear = TryStrToDateTime(text, settings, year - back);
        if (inYear && *inYear <= now) return inYear;
    }
    return TryStrToDateTime(text, settings, year);
}

std::string UnreadableRowText(const EventRow& row, std::string_view failingText) {
    std::string message(row.Text(kDescrizione));
    return message.append(": ").append(InvalidDateTimeText(failingText));
}

std::string InvalidDateTimeText(std::string_view text) {
    std::string message = "'";
    message.append(text).append("' is not a valid date and time");
    return message;
}

bool UnreadableRows::FirstReport(RowId row, std::string_view failingText) {
    auto [entry, added] = reported_.try_emplace(row, failingText);
    if (added) return true;
    if (entry->second == failingText) return false;
    entry->second = failingText;
    return true;
}

}  // namespace ricordex
