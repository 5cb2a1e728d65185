#include "core/date_time.h"

#include <cmath>
#include <cstdint>

#include "core/errors.h"
#include "core/text_compare.h"

namespace ricordex {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Days from 30 December 1899 to 1 January 1970.
constexpr std::int64_t kUnixEpochSerial = 25'569;

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

// Reads a text from left to right as the runtime's date and time scanners do:
// blanks before a number, a separator or a marker are skipped.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    // Digits are taken while the value so far is below 1000.
    bool Number(int& value) {
        SkipBlanks();
        std::size_t i = pos_;
        int n = 0;
        while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9' && n < 1000) {
            n = n * 10 + (text_[i] - '0');
            ++i;
        }
        if (i == pos_) return false;
        digits_ = static_cast<int>(i - pos_);
        pos_ = i;
        value = n;
        return true;
    }

    int LastDigitCount() const { return digits_; }

    bool Char(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Case-insensitive for ASCII letters, as the markers are compared.
    bool Word(std::string_view word) {
        SkipBlanks();
        if (word.empty() || text_.size() - pos_ < word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (FoldAscii(text_[pos_ + i]) != FoldAscii(word[i])) return false;
        }
        pos_ += word.size();
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int digits_ = 0;
};

// Archives written where the time separator was ":" still read back.
bool TimeSeparator(Scanner& s, const FormatSettings& settings) {
    return s.Char(settings.timeSeparator) || (settings.timeSeparator != ':' && s.Char(':'));
}

// -1 no marker, 0 morning, 12 afternoon.
int Marker(Scanner& s, const FormatSettings& settings) {
    if (s.Word(settings.morningMarker) || s.Word("AM")) return 0;
    if (s.Word(settings.afternoonMarker) || s.Word("PM")) return 12;
    return -1;
}

std::optional<DateTime> ScanTime(Scanner& s, const FormatSettings& settings) {
    int baseHour = Marker(s, settings);
    if (baseHour >= 0) s.SkipBlanks();
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    if (!s.Number(hour)) return std::nullopt;
    if (TimeSeparator(s, settings)) {
        if (!s.Number(minute)) return std::nullopt;
        if (TimeSeparator(s, settings)) {
            if (!s.Number(second)) return std::nullopt;
            if (s.Char(settings.decimalSeparator) && !s.Number(millisecond)) return std::nullopt;
        }
    }
    if (baseHour < 0) baseHour = Marker(s, settings);
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return std::nullopt;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    s.SkipBlanks();
    return TryEncodeTime(hour, minute, second, millisecond);
}

std::optional<DateTime> ScanDate(Scanner& s, const FormatSettings& settings, int currentYear) {
    int n1 = 0, n2 = 0, n3 = 0;
    if (!(s.Number(n1) && s.Char(settings.dateSeparator) && s.Number(n2))) return std::nullopt;
    int year = currentYear, month = 0, day = 0;
    // A separator after the second number is either the year's or the one
    // trailing separator allowed after a day and month ("24/12/").
    bool trailingTaken = false;
    bool hasYear = false;
    if (s.Char(settings.dateSeparator)) {
        hasYear = s.Number(n3);
        trailingTaken = !hasYear;
    }
    if (hasYear) {
        const int yearDigits = s.LastDigitCount();
        switch (settings.dateOrder) {
        case DateOrder::DayMonthYear: day = n1; month = n2; year = n3; break;
        case DateOrder::MonthDayYear: month = n1; day = n2; year = n3; break;
        case DateOrder::YearMonthDay: year = n1; month = n2; day = n3; break;
        }
        // A two-digit year belongs to the current century.
        if (settings.dateOrder != DateOrder::YearMonthDay && yearDigits <= 2) year += currentYear / 100 * 100;
    } else if (settings.dateOrder == DateOrder::DayMonthYear) {
        day = n1;
        month = n2;
    } else {
        month = n1;
        day = n2;
    }
    if (!trailingTaken) s.Char(settings.dateSeparator);
    s.SkipBlanks();
    return TryEncodeDate(year, month, day);
}

}  // namespace

FormatSettings ProgramFormatSettings() {
    FormatSettings settings;
    settings.dateSeparator = '/';
    settings.timeSeparator = '.';
    settings.decimalSeparator = ',';
    settings.dateOrder = DateOrder::DayMonthYear;
    return settings;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<DateTime> TryEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return static_cast<DateTime>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                                 kUnixEpochSerial);
}

DateTime CivilDate(int year, int month, int day) {
    return static_cast<DateTime>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                                 kUnixEpochSerial);
}

std::optional<DateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999) {
        return std::nullopt;
    }
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(ms) / static_cast<double>(kMillisecondsPerDay);
}

DateTime CombineDateAndTime(DateTime date, DateTime time) { return date >= 0 ? date + time : date - time; }

DateTime EncodeDateTime(const CivilDateTime& v) {
    return CombineDateAndTime(*TryEncodeDate(v.year, v.month, v.day),
                              *TryEncodeTime(v.hour, v.minute, v.second, v.millisecond));
}

CivilDateTime DecodeDateTime(DateTime value) {
    auto days = static_cast<std::int64_t>(std::trunc(value));
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - std::trunc(value)) *
                                                     static_cast<double>(kMillisecondsPerDay)));
    if (ms >= kMillisecondsPerDay) {  // rounding reached the next midnight
        ms -= kMillisecondsPerDay;
        days += value >= 0 ? 1 : -1;
    }
    CivilDateTime out;
    CivilFromDays(days - kUnixEpochSerial, out.year, out.month, out.day);
    out.millisecond = static_cast<int>(ms % 1000);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.minute = static_cast<int>(ms / 60'000 % 60);
    out.hour = static_cast<int>(ms / 3'600'000);
    return out;
}

std::string FormatDateTime(std::string_view pattern, DateTime value, const FormatSettings& settings) {
    const CivilDateTime v = DecodeDateTime(value);
    std::string out;
    out.reserve(pattern.size() + 4);
    auto two = [&out](int n) {
        out.push_back(static_cast<char>('0' + n / 10 % 10));
        out.push_back(static_cast<char>('0' + n % 10));
    };
    for (std::size_t i = 0; i < pattern.size();) {
        const std::string_view rest = pattern.substr(i);
        if (rest.substr(0, 4) == "yyyy") {
            two(v.year / 100);
            two(v.year % 100);
            i += 4;
        } else if (rest.substr(0, 2) == "dd") {
            two(v.day), i += 2;
        } else if (rest.substr(0, 2) == "mm") {
            two(v.month), i += 2;
        } else if (rest.substr(0, 2) == "hh") {
            two(v.hour), i += 2;
        } else if (rest.substr(0, 2) == "nn") {
            two(v.minute), i += 2;
        } else if (rest.substr(0, 2) == "ss") {
            two(v.second), i += 2;
        } else {
            const char c = pattern[i++];
            out.push_back(c == '/' ? settings.dateSeparator : c == ':' ? settings.timeSeparator : c);
        }
    }
    return out;
}

std::optional<DateTime> TryStrToDateTime(std::string_view text, const FormatSettings& settings, int currentYear) {
    Scanner s(text);
    DateTime time = 0;
    const std::optional<DateTime> date = ScanDate(s, settings, currentYear);
    if (date && !s.AtEnd()) {
        const std::optional<DateTime> t = ScanTime(s, settings);
        if (!t) return TryStrToTime(text, settings);
        time = *t;
    }
    if (!date) return TryStrToTime(text, settings);
    return CombineDateAndTime(*date, time);
}

DateTime StrToDateTime(std::string_view text, const FormatSettings& settings, int currentYear) {
    if (auto value = TryStrToDateTime(text, settings, currentYear)) return *value;
    throw ConvertError("'" + std::string(text) + "' is not a valid date and time");
}

std::optional<DateTime> TryStrToTime(std::string_view text, const FormatSettings& settings) {
    Scanner s(text);
    std::optional<DateTime> time = ScanTime(s, settings);
    if (!time || !s.AtEnd()) return std::nullopt;
    return time;
}

DateTime StrToTime(std::string_view text, const FormatSettings& settings) {
    if (auto value = TryStrToTime(text, settings)) return *value;
    throw ConvertError("'" + std::string(text) + "' is not a valid time");
}

}  // namespace ricordex
