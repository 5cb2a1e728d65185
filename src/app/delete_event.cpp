#include "app/delete_event.h"

namespace ricordex {

std::string DeleteQuestionText(const EventRow& row) {
    std::string text = "Eliminare: ";
    text.append(row.Text(kDescrizione)).append(" del ").append(row.Text(kData));
    return text;
}

bool EliminaEvento(ProgramState& state, Questions& questions,
                   const std::function<std::optional<RowId>()>& selectedRow) {
    const std::optional<RowId> asked = selectedRow();
    if (!asked) return false;
    const std::optional<std::size_t> position = state.list.Find(*asked);
    if (!position) return false;
    // Only "Sì" deletes: Escape or the box's close button (which some
    // systems allow on a Yes/No box), or a box that could not be shown,
    // must not cost an event.
    if (questions.Ask(DeleteQuestionText(state.list.At(*position)), "Conferma Eliminazione", kYesNoQuestion) !=
        kAnswerYes) {
        return false;
    }
    const std::optional<RowId> selected = selectedRow();
    if (!selected) return false;
    const std::optional<std::size_t> now = state.list.Find(*selected);
    if (!now) return false;
    state.list.Remove(*now);
    state.modificato = true;
    return true;
}

}  // namespace ricordex
