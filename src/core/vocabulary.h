#pragma once
// The fixed vocabularies of an event row: lead times, alert frequencies and
// recurrences, with the lead times and frequencies in days.

#include <array>
#include <string_view>

namespace ricordex {

struct Label {
    std::string_view text;
    double days;
};

// Lead-time labels, in the order the editor lists them.
extern const std::array<Label, 19> ElencoInizio;
// Frequency labels, in the order the editor lists them.
extern const std::array<Label, 9> ElencoModalita;
// Recurrence labels: "Nessuna" is an event alerted for one occurrence only.
extern const std::array<std::string_view, 2> ElencoRicorrenza;

// Days before the event that alerts begin; 0 for "Nessun Avviso", -1 for a
// text that is not a label (texts are compared exactly, byte for byte).
double InizioInGiorni(std::string_view label);
// Days between alerts; 0 for "Avvio Computer" (once per run), -1 for a text
// that is not a label.
double FrequenzaInGiorni(std::string_view label);

}  // namespace ricordex
