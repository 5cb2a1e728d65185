#pragma once
// Date-time values and their texts.
//
// A date-time is a count of days since 30 December 1899 at 00:00; the
// fraction is the time of day (one hour is 1/24, one minute 1/1440). The
// readers and formatters take the format settings as a value, so every rule
// can be exercised under any regional convention.

#include <optional>
#include <string>
#include <string_view>

namespace ricordex {

using DateTime = double;

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct FormatSettings {
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    DateOrder dateOrder = DateOrder::DayMonthYear;
    std::string morningMarker = "AM";
    std::string afternoonMarker = "PM";
};

// The settings the program always uses, whatever the machine's regional
// settings: the archive is a data file shared across machines and years, and
// its fixed texts ("01/01/1900 00.01", "08.00") are written for exactly these.
FormatSettings ProgramFormatSettings();

struct CivilDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
std::optional<DateTime> TryEncodeDate(int year, int month, int day);
// A day of the proleptic calendar in any year; month and day must exist.
DateTime CivilDate(int year, int month, int day);
std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond);
// Joins a date and a time of day the way the runtime does: for dates before
// the epoch the time of day counts backwards from the day's number.
DateTime CombineDateAndTime(DateTime date, DateTime time);
DateTime EncodeDateTime(const CivilDateTime& value);  // requires a valid value
CivilDateTime DecodeDateTime(DateTime value);          // time rounded to the millisecond

// The text patterns of the event row.
inline constexpr std::string_view kDatePattern = "dd/mm";
inline constexpr std::string_view kTimePattern = "hh:nn";
inline constexpr std::string_view kStampPattern = "dd/mm/yyyy hh.nn";
// The stamp of a new or edited event, used literally.
inline constexpr std::string_view kInitialStamp = "01/01/1900 00.01";

// "dd", "mm", "yyyy", "hh", "nn", "ss" are the fields; "/" and ":" stand for
// the date and time separators; any other character is itself.
std::string FormatDateTime(std::string_view pattern, DateTime value, const FormatSettings& settings);

// The date-time reader: a date (two numbers read in currentYear, or three),
// then optionally a time of which any unread tail is ignored; when no date
// can be read the whole text is read as a time on day 0.
std::optional<DateTime> TryStrToDateTime(std::string_view text, const FormatSettings& settings,
                                         int currentYear);
// The same, raising "'%s' is not a valid date and time".
DateTime StrToDateTime(std::string_view text, const FormatSettings& settings, int currentYear);

// The time reader: the whole text must be a time of day.
std::optional<DateTime> TryStrToTime(std::string_view text, const FormatSettings& settings);
// The same, raising "'%s' is not a valid time".
DateTime StrToTime(std::string_view text, const FormatSettings& settings);

}  // namespace ricordex
