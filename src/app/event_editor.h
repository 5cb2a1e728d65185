#pragma once
// What the event editor shows and what its "Conferma" does to the list.

#include <optional>
#include <string>

#include "app/program_state.h"

namespace ricordex {

struct EditorFields {
    std::string descrizione;  // code page 1252
    DateTime data = 0;        // the calendar's day; only day and month are kept
    DateTime ora = 0;         // the time picker's time of day
    int inizio = 0;           // index in ElencoInizio, -1 for none
    int modalita = 0;         // index in ElencoModalita, -1 for none
    int ricorrenza = 0;       // index in ElencoRicorrenza, -1 for none
};

// A new event: "Nuovo evento", today, 08:00 and the first item of each list.
EditorFields InsertModeFields(DateTime now);

// A row opened for editing: its date in the given year (29/02 in the next
// leap year when the given one has none) and its time (either raises when
// it cannot be read), and the items whose texts match its labels
// without regard to case (none when no item matches).
EditorFields EditModeFields(const EventRow& row, int year);

// "Conferma": the row being edited, when it still exists, is replaced by a
// new row with the fields' texts and the initial stamp (a one-off whose day
// and time stay keeps its stamp: its alert was given); when it is gone, or
// in insert mode, the row is added. Sets Modificato; returns the new row.
RowId ConfirmEvent(ProgramState& state, std::optional<RowId> editing, const EditorFields& fields);

}  // namespace ricordex
