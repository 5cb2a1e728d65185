#pragma once
// The program's values that a scheduler tick reads and stamps, held by a
// test.

#include <optional>
#include <string>
#include <unordered_set>

#include "alerts/scheduler.h"

namespace ricordex::testing {

struct AlertedValues {
    EventList list;
    std::wstring suono;
    std::string avvioProgramma = "07/12/2026 09.00";
    bool aggiornatoDaTimer = false;
    AlertStamps alertStamps;
    std::optional<DateTime> examinedUpTo;
    bool loadIncomplete = false;
    std::unordered_set<RowId> missedUnnamed;
    Postponements postponed;

    AlertedList Target() {
        return {list,         suono,          avvioProgramma, aggiornatoDaTimer, alertStamps,
                examinedUpTo, loadIncomplete, missedUnnamed,  postponed};
    }
};

}  // namespace ricordex::testing
