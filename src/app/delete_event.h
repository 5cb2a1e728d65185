#pragma once
// "Elimina Evento": the question, and the deletion when it is not declined.

#include <functional>
#include <optional>
#include <string>

#include "app/program_state.h"

namespace ricordex {

// "Eliminare: " + description + " del " + date.
std::string DeleteQuestionText(const EventRow& row);

// Asks before deleting the selected event; only No declines. The row deleted
// is the one selected when the answer comes. Sets Modificato; returns
// whether a row was deleted.
bool EliminaEvento(ProgramState& state, Questions& questions,
                   const std::function<std::optional<RowId>()>& selectedRow);

}  // namespace ricordex
