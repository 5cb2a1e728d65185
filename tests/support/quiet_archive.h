#pragma once
// An archive of events from a month to eleven months from today, alerted a
// week before: none is due while a start is measured or the program sits
// idle, whatever the day, so no alert box is counted. For the start-up
// benchmark and the memory ceiling.

#include <windows.h>

#include <cstdio>
#include <filesystem>

#include "core/archive.h"
#include "core/date_time.h"
#include "core/std_archive_files.h"

namespace ricordex::testing {

inline void WriteQuietArchive(const std::filesystem::path& path, int events) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const DateTime today = CivilDate(now.wYear, now.wMonth, now.wDay);
    const CivilDateTime lastAlert = DecodeDateTime(today - 30);
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%04d 09.00", lastAlert.day, lastAlert.month, lastAlert.year);
    EventList list;
    for (int i = 0; i < events; ++i) {
        char description[40], date[8];
        // In no order: the load sorts them.
        std::snprintf(description, sizeof description, "Evento %d di prova", (i * 7919) % 100000);
        const CivilDateTime day = DecodeDateTime(today + 30 + i % 300);
        std::snprintf(date, sizeof date, "%02d/%02d", day.day, day.month);
        list.AppendUnordered({description, "1 settimana prima", date, "08.00", "Ogni giorno", "Annuale", stamp}, 0);
    }
    StdArchiveFiles files;
    ScriviRecord(list, files, path);
}

}  // namespace ricordex::testing
