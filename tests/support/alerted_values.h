#pragma once
// The program's values that a scheduler tick reads and stamps, held by a
// test.

#include <optional>
#include <string>

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

    AlertedList Target() {
        return {list, suono, avvioProgramma, aggiornatoDaTimer, alertStamps, examinedUpTo, loadIncomplete};
    }
};

}  // namespace ricordex::testing
