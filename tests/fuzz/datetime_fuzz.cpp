// Any text through the date-time and time readers, under the program's
// settings and under month-first settings with ":": no failure other than
// "not valid", and every value read is a real date and time of day.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/date_time.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ricordex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FormatSettings monthFirst;
    monthFirst.dateOrder = DateOrder::MonthDayYear;
    for (const FormatSettings& settings : {ProgramFormatSettings(), monthFirst}) {
        if (auto value = TryStrToDateTime(text, settings, 2026)) {
            const CivilDateTime c = DecodeDateTime(*value);
            if (c.year < 1 || c.year > 9999 || c.hour > 23 || c.minute > 59) std::abort();
            (void)FormatDateTime(kStampPattern, *value, settings);
        }
        if (auto time = TryStrToTime(text, settings)) {
            if (*time < 0 || *time >= 1) std::abort();
        }
    }
    return 0;
}
