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

std::optional<DateTime> ReadStamp(const EventRow& row, int year) {
    static const FormatSettings settings = ProgramFormatSettings();
    return TryStrToDateTime(row.Text(kUltimoAvviso), settings, year);
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
