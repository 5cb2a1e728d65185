#include "core/vocabulary.h"

#include <gtest/gtest.h>

namespace ricordex {
namespace {

TEST(Vocabulary, LabelsConvertToTheirDaysAndOnlyExactTextsMatch) {
    EXPECT_EQ(InizioInGiorni("Da adesso"), 365);
    EXPECT_EQ(InizioInGiorni("Nessun Avviso"), 0);
    EXPECT_EQ(InizioInGiorni("1 mese prima"), 30);
    EXPECT_EQ(InizioInGiorni("10 minuti prima"), 0.006944444444444444);
    EXPECT_EQ(InizioInGiorni("1 ora prima"), 1.0 / 24);
    EXPECT_EQ(InizioInGiorni("10 minuti prima "), -1);
    EXPECT_EQ(InizioInGiorni("10 Minuti prima"), -1);
    EXPECT_EQ(FrequenzaInGiorni("Avvio Computer"), 0);
    EXPECT_EQ(FrequenzaInGiorni("Ogni mese"), 30);
    EXPECT_EQ(FrequenzaInGiorni("Ogni 5 minuti"), 5.0 / 1440);
    EXPECT_EQ(FrequenzaInGiorni(""), -1);
}

TEST(Vocabulary, EveryLabelFitsItsArchiveField) {
    for (const Label& l : ElencoInizio) EXPECT_LE(l.text.size(), 20u) << l.text;
    for (const Label& l : ElencoModalita) EXPECT_LE(l.text.size(), 15u) << l.text;
    for (std::string_view r : ElencoRicorrenza) EXPECT_LE(r.size(), 10u) << r;
    EXPECT_EQ(ElencoInizio.front().text, "10 minuti prima");
    EXPECT_EQ(ElencoModalita.front().text, "Avvio Computer");
    EXPECT_EQ(ElencoRicorrenza.front(), "Annuale");
}

}  // namespace
}  // namespace ricordex
