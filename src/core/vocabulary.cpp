#include "core/vocabulary.h"

namespace ricordex {
namespace {

template <std::size_t N>
double Lookup(const std::array<Label, N>& table, std::string_view text) {
    for (const Label& label : table) {
        if (label.text == text) return label.days;
    }
    return -1;
}

}  // namespace

// Each value is the double nearest to its fraction: k/1440 and k/24 are
// computed as divisions, never as sums of rounded minutes.
const std::array<Label, 19> ElencoInizio = {{
    {"10 minuti prima", 10 / 1440.0},
    {"15 minuti prima", 15 / 1440.0},
    {"20 minuti prima", 20 / 1440.0},
    {"30 minuti prima", 30 / 1440.0},
    {"1 ora prima", 1 / 24.0},
    {"2 ore prima", 2 / 24.0},
    {"3 ore prima", 0.125},
    {"6 ore prima", 0.25},
    {"12 ore prima", 0.5},
    {"1 giorno prima", 1},
    {"2 giorni prima", 2},
    {"3 giorni prima", 3},
    {"1 settimana prima", 7},
    {"2 settimane prima", 14},
    {"1 mese prima", 30},
    {"3 mesi prima", 90},
    {"6 mesi prima", 180},
    {"Da adesso", 365},
    {"Nessun Avviso", 0},
}};

const std::array<Label, 9> ElencoModalita = {{
    {"Avvio Computer", 0},
    {"Ogni 5 minuti", 5 / 1440.0},
    {"Ogni 10 minuti", 10 / 1440.0},
    {"Ogni 20 minuti", 20 / 1440.0},
    {"Ogni 30 minuti", 30 / 1440.0},
    {"Ogni ora", 1 / 24.0},
    {"Ogni giorno", 1},
    {"Ogni settimana", 7},
    {"Ogni mese", 30},
}};

const std::array<std::string_view, 2> ElencoRicorrenza = {"Annuale", "Nessuna"};

double InizioInGiorni(std::string_view label) { return Lookup(ElencoInizio, label); }

double FrequenzaInGiorni(std::string_view label) { return Lookup(ElencoModalita, label); }

}  // namespace ricordex
