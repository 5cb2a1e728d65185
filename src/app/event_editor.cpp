#include "app/event_editor.h"

#include "core/text_compare.h"
#include "core/vocabulary.h"

namespace ricordex {
namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

template <typename Labels, typename TextOf>
int Match(const Labels& labels, std::string_view text, TextOf textOf) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (EqualIgnoringCase(textOf(labels[i]), text)) return static_cast<int>(i);
    }
    return -1;
}

// The year the calendar opens in: this one, or for 29/02 in a year without
// it, the next leap year's.
int YearShowing(std::string_view date, const FormatSettings& settings, int year) {
    if (TryStrToDateTime(date, settings, year)) return year;
    int leap = year + 1;
    while (!IsLeapYear(leap)) ++leap;
    return TryStrToDateTime(date, settings, leap) ? leap : year;
}

std::string_view LabelText(const Label& label) { return label.text; }
std::string_view PlainText(std::string_view text) { return text; }

template <typename Labels, typename TextOf>
std::string_view Chosen(const Labels& labels, int index, TextOf textOf) {
    return index >= 0 && static_cast<std::size_t>(index) < labels.size() ? textOf(labels[index]) : std::string_view();
}

}  // namespace

EditorFields InsertModeFields(DateTime now) {
    EditorFields fields;
    fields.descrizione = "Nuovo evento";
    fields.data = now;
    fields.ora = StrToTime("08.00", ProgramFormatSettings());
    return fields;
}

EditorFields EditModeFields(const EventRow& row, int year) {
    const FormatSettings settings = ProgramFormatSettings();
    EditorFields fields;
    fields.descrizione = std::string(row.Text(kDescrizione));
    fields.inizio = Match(ElencoInizio, row.Text(kInizio), LabelText);
    fields.data = StrToDateTime(row.Text(kData), settings, YearShowing(row.Text(kData), settings, year));
    fields.ora = StrToTime(row.Text(kOra), settings);
    fields.modalita = Match(ElencoModalita, row.Text(kModalita), LabelText);
    fields.ricorrenza = Match(ElencoRicorrenza, row.Text(kRicorrenza), PlainText);
    return fields;
}

RowId ConfirmEvent(ProgramState& state, std::optional<RowId> editing, const EditorFields& fields) {
    const FormatSettings settings = ProgramFormatSettings();
    const std::string date = FormatDateTime(kDatePattern, fields.data, settings);
    const std::string time = FormatDateTime(kTimePattern, fields.ora, settings);
    const std::string_view recurrence = Chosen(ElencoRicorrenza, fields.ricorrenza, PlainText);
    std::string stamp(kInitialStamp);
    if (const auto position = editing ? state.list.Find(*editing) : std::nullopt) {
        // A one-off keeps its alert through a correction of its text, its
        // lead or its frequency: alerted once, it stays done. A new date or
        // time makes it a new one-off, and so does a yearly row made one.
        const EventRow& old = state.list.At(*position);
        const bool stillOnce =
            recurrence == ElencoRicorrenza[1] && EqualIgnoringCase(old.Text(kRicorrenza), recurrence);
        if (stillOnce && old.Text(kData) == date && old.Text(kOra) == time) {
            stamp = old.Text(kUltimoAvviso);
        }
        state.list.Remove(*position);
    }
    const RowId id = state.list.AggiungiRiga({fields.descrizione, Chosen(ElencoInizio, fields.inizio, LabelText), date,
                                              time, Chosen(ElencoModalita, fields.modalita, LabelText), recurrence,
                                              stamp},
                                             0);
    state.modificato = true;
    return id;
}

}  // namespace ricordex
