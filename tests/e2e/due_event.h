#pragma once
// An event due within the hour (before the year ends), its alerts begun a
// day before: the program alerts it at its first look at the list.

#include <string>

#include "core/date_time.h"
#include "support/archive_bytes.h"
#include "win/system.h"

namespace ricordex::e2e {

struct DueEvent {
    std::string record;
    std::wstring alert;  // the text of its "Avviso Scadenza" box
};

inline DueEvent EventDueWithinTheHour(const std::string& description) {
    const FormatSettings settings = ProgramFormatSettings();
    const DateTime now = win::SystemClock().Now();
    const int year = DecodeDateTime(now).year;
    DateTime event = now + 1.0 / 24;
    if (DecodeDateTime(event).year != year) event = EncodeDateTime({year, 12, 31, 23, 59, 0, 0});
    const std::string date = FormatDateTime(kDatePattern, event, settings);
    const std::string time = FormatDateTime(kTimePattern, event, settings);
    return {ricordex::testing::Record({description, "1 giorno prima", date, time, "Avvio Computer", "Annuale",
                                       std::string(kInitialStamp)}),
            std::wstring(description.begin(), description.end()) + L" - Scadenza: " +
                std::wstring(date.begin(), date.end()) + L" ore: " + std::wstring(time.begin(), time.end())};
}

}  // namespace ricordex::e2e
