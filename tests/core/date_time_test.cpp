#include "core/date_time.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "support/error_text.h"
#include "support/moments.h"

namespace ricordex {
namespace {

FormatSettings DayFirst(char timeSeparator) {
    FormatSettings s = ProgramFormatSettings();
    s.timeSeparator = timeSeparator;
    return s;
}

FormatSettings MonthFirst() {
    FormatSettings s;  // "/" and ":", month before day, as an English Windows
    s.dateOrder = DateOrder::MonthDayYear;
    return s;
}

using testing::At;

TEST(DateTime, SerialNumbersCountDaysFromTheEpoch) {
    EXPECT_EQ(At(1899, 12, 30), 0.0);
    EXPECT_EQ(At(1900, 1, 1), 2.0);
    EXPECT_EQ(At(2026, 12, 7), 46363.0);
    EXPECT_DOUBLE_EQ(At(1900, 1, 1, 0, 1), 2.0 + 1.0 / 1440);
    // Before the epoch the time of day counts backwards from the day.
    EXPECT_DOUBLE_EQ(At(1899, 12, 29, 6), -1.25);
    const CivilDateTime back = DecodeDateTime(At(2024, 2, 29, 23, 59, 59, 999));
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 59);
    EXPECT_EQ(back.millisecond, 999);
}

TEST(DateTime, EncodingRejectsDatesAndTimesThatDoNotExist) {
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2026, 2, 29));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2026, 13, 1));
    EXPECT_FALSE(TryEncodeDate(2026, 4, 31));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0));
    EXPECT_FALSE(TryEncodeTime(23, 60, 0, 0));
    EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999));
}

TEST(DateTime, FormatsTheRowPatternsWithTheSettingsSeparators) {
    const DateTime t = At(2026, 3, 5, 8, 7, 42);
    EXPECT_EQ(FormatDateTime(kDatePattern, t, DayFirst('.')), "05/03");
    EXPECT_EQ(FormatDateTime(kTimePattern, t, DayFirst('.')), "08.07");
    EXPECT_EQ(FormatDateTime(kTimePattern, t, DayFirst(':')), "08:07");
    // The stamp's "." is a full stop whatever the time separator.
    EXPECT_EQ(FormatDateTime(kStampPattern, t, DayFirst(':')), "05/03/2026 08.07");
    // Milliseconds round to the nearest, and 23:59:59.9996 is the next midnight.
    EXPECT_EQ(FormatDateTime(kStampPattern, At(2026, 12, 31) + 0.99999999999, DayFirst('.')), "01/01/2027 00.00");
}

TEST(DateTime, ReadsDatesWithoutYearInTheCurrentYear) {
    const FormatSettings s = ProgramFormatSettings();
    EXPECT_EQ(StrToDateTime("24/12 08.30", s, 2026), At(2026, 12, 24, 8, 30));
    EXPECT_EQ(StrToDateTime("05/01 08.00", s, 2026), At(2026, 1, 5, 8));
    EXPECT_EQ(StrToDateTime("06/12/2026 12.30", s, 2030), At(2026, 12, 6, 12, 30));
    EXPECT_EQ(StrToDateTime(kInitialStamp, s, 2026), At(1900, 1, 1, 0, 1));
    EXPECT_EQ(StrToDateTime("15/03", s, 2026), At(2026, 3, 15));
    // Blanks before numbers and separators are skipped, one trailing separator too.
    EXPECT_EQ(StrToDateTime(" 1 / 2  10.05 ", s, 2026), At(2026, 2, 1, 10, 5));
    EXPECT_EQ(StrToDateTime("1/2/2026/ 10.05", s, 2026), At(2026, 2, 1, 10, 5));
    EXPECT_EQ(StrToDateTime("24/12/", s, 2026), At(2026, 12, 24));
    EXPECT_FALSE(TryStrToDateTime("24/12//", s, 2026));
    // A two-digit year belongs to the current century.
    EXPECT_EQ(StrToDateTime("1/2/26", s, 2026), At(2026, 2, 1));
}

TEST(DateTime, TwentyNinthOfFebruaryReadsOnlyInLeapYears) {
    const FormatSettings s = ProgramFormatSettings();
    EXPECT_EQ(StrToDateTime("29/02 10.00", s, 2028), At(2028, 2, 29, 10));
    EXPECT_EQ(testing::ErrorText<ConvertError>([&] { StrToDateTime("29/02 10.00", s, 2026); }),
              "'29/02 10.00' is not a valid date and time");
}

TEST(DateTime, DayAndMonthFollowTheSettingsOrder) {
    EXPECT_EQ(StrToDateTime("05/01", ProgramFormatSettings(), 2026), At(2026, 1, 5));
    EXPECT_EQ(StrToDateTime("05/01", MonthFirst(), 2026), At(2026, 5, 1));
    EXPECT_EQ(StrToDateTime("12/24/2026 8:30 PM", MonthFirst(), 2026), At(2026, 12, 24, 20, 30));
    EXPECT_FALSE(TryStrToDateTime("24/12", MonthFirst(), 2026));
}

TEST(DateTime, TimeSeparatorColonStillReadsForOlderArchives) {
    const FormatSettings dot = DayFirst('.');
    EXPECT_EQ(StrToDateTime("24/12 08:30", dot, 2026), At(2026, 12, 24, 8, 30));
    EXPECT_EQ(StrToDateTime("06/12/2026 12:30", dot, 2026), At(2026, 12, 6, 12, 30));
    EXPECT_EQ(StrToTime("08:00", dot), 8.0 / 24);
    // With ":" settings the full stop is not a separator: the stamp keeps
    // only its hour and "08.00" is no time at all.
    const FormatSettings colon = DayFirst(':');
    EXPECT_EQ(StrToDateTime("06/12/2026 12.30", colon, 2026), At(2026, 12, 6, 12));
    EXPECT_FALSE(TryStrToTime("08.00", colon));
    EXPECT_EQ(StrToTime("08:00", colon), 8.0 / 24);
}

TEST(DateTime, TimeReaderTakesMarkersSecondsAndMilliseconds) {
    const FormatSettings s = DayFirst(':');
    EXPECT_EQ(StrToTime("08.00", ProgramFormatSettings()), 8.0 / 24);
    EXPECT_EQ(StrToTime("12 am", s), 0.0);
    EXPECT_EQ(StrToTime("PM 1:30", s), *TryEncodeTime(13, 30, 0, 0));
    EXPECT_EQ(StrToTime(" 7:05:09,250 ", s), *TryEncodeTime(7, 5, 9, 250));
    EXPECT_FALSE(TryStrToTime("13 PM", s));
    EXPECT_FALSE(TryStrToTime("0 AM", s));
    EXPECT_FALSE(TryStrToTime("24:00", s));
    EXPECT_FALSE(TryStrToTime("10:60", s));
    EXPECT_FALSE(TryStrToTime("10:", s));
    EXPECT_FALSE(TryStrToTime("10:30x", s));
    EXPECT_FALSE(TryStrToTime("", s));
    EXPECT_EQ(testing::ErrorText<ConvertError>([&] { StrToTime("ore 8", s); }), "'ore 8' is not a valid time");
}

TEST(DateTime, DateTimeReaderFallsBackToATimeOnDayZero) {
    const FormatSettings s = ProgramFormatSettings();
    EXPECT_EQ(StrToDateTime("08.00", s, 2026), 8.0 / 24);
    // A date followed by text that is no time: the whole text as a time fails.
    EXPECT_FALSE(TryStrToDateTime("24/12 ore", s, 2026));
    // Text after a well-read time is ignored.
    EXPECT_EQ(StrToDateTime("24/12 08.30 circa", s, 2026), At(2026, 12, 24, 8, 30));
    EXPECT_FALSE(TryStrToDateTime("", s, 2026));
    EXPECT_FALSE(TryStrToDateTime("/", s, 2026));
    // At most four significant digits make a number: the fifth is left
    // over, and here reads as the hour.
    EXPECT_EQ(StrToDateTime("01/01/20261", s, 2030), At(2026, 1, 1, 1));
}

}  // namespace
}  // namespace ricordex
