#include "core/event_list.h"

#include <gtest/gtest.h>

#include "core/text_compare.h"

namespace ricordex {
namespace {

RowFields Row(std::string_view description, std::string_view date = "15/03", std::string_view time = "08.00",
              std::string_view lead = "1 giorno prima") {
    return {description, lead, date, time, "Ogni ora", "Annuale", "01/01/1900 00.01"};
}

std::vector<std::string> Column(const EventList& list, std::size_t field) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.Count(); ++i) out.emplace_back(list.At(i).Text(field));
    return out;
}

TEST(TextCompare, FoldsOnlyAsciiLettersAndSortsPrefixesFirst) {
    EXPECT_EQ(CompareText("bollo", "Bollo"), 0);
    EXPECT_LT(CompareText("Bollo", "Bollo auto"), 0);
    EXPECT_EQ(CompareText("Bollo", "Bollo auto"), -5);
    // Bytes are unsigned: a Windows-1252 "à" (0xE0) sorts after every ASCII letter.
    EXPECT_GT(CompareText("\xE0ncora", "zucca"), 0);
    EXPECT_EQ(CompareText("\xE0", "\xC0"), 0xE0 - 0xC0);
    EXPECT_LT(CompareText("15/03", "20/01"), 0);
    EXPECT_LT(CompareText("01/12", "02/01"), 0);
    EXPECT_EQ(CompareText("", ""), 0);
}

TEST(EventList, TypingFindsADescriptionFromTheStartRowOnWrappingAndIgnoringCase) {
    EventList list;
    for (auto d : {"Affitto", "bollo", "Bollo auto", "Canone", "\xE0ncora"}) list.AggiungiRiga(Row(d), 0);
    EXPECT_EQ(list.FindDescriptionPrefix("BO", 0, true), 1u);
    EXPECT_EQ(list.FindDescriptionPrefix("bo", 2, true), 2u);     // from the start row on
    EXPECT_EQ(list.FindDescriptionPrefix("bo", 3, true), 1u);     // round past the end
    EXPECT_EQ(list.FindDescriptionPrefix("bo", 3, false), std::nullopt);
    EXPECT_EQ(list.FindDescriptionPrefix("a", 9, true), 0u);      // a start past the end wraps
    EXPECT_EQ(list.FindDescriptionPrefix("\xE0n", 0, true), 4u);
    EXPECT_EQ(list.FindDescriptionPrefix("bollo auto e altro", 0, true), std::nullopt);
    EXPECT_EQ(EventList().FindDescriptionPrefix("a", 0, true), std::nullopt);
}

TEST(EventList, AggiungiRigaPutsTheRowAtItsPlaceInTheCurrentOrder) {
    EventList list;
    list.AggiungiRiga(Row("zucca"), 0);
    list.AggiungiRiga(Row("Bollo auto"), 0);
    list.AggiungiRiga(Row("bollo"), 0);
    list.AggiungiRiga(Row("\xE0ncora"), 0);
    EXPECT_EQ(Column(list, kDescrizione),
              (std::vector<std::string>{"bollo", "Bollo auto", "zucca", "\xE0ncora"}));

    list.SortBy(2);  // "Data Evento"
    list.AggiungiRiga(Row("new", "01/02"), 0);
    list.AggiungiRiga(Row("newer", "31/12"), 0);
    EXPECT_EQ(Column(list, kData), (std::vector<std::string>{"01/02", "15/03", "15/03", "15/03", "15/03", "31/12"}));
    EXPECT_EQ(list.ColonnaOrdinamento(), 2);
    EXPECT_EQ(list.At(0).Texts(), RowTexts({"new", "1 giorno prima", "01/02", "08.00", "Ogni ora", "Annuale",
                                            "01/01/1900 00.01"}));
}

TEST(EventList, DataEventoSortsByMonthThenDayThenTime) {
    EventList list;
    for (const char* date : {"02/01", "01/12", "15/03", "damaged", "5/3"}) list.AggiungiRiga(Row(date, date), 0);
    list.AggiungiRiga(Row("early", "15/03", "07.30"), 0);
    list.SortBy(2);
    EXPECT_EQ(Column(list, kDescrizione),
              (std::vector<std::string>{"02/01", "5/3", "early", "15/03", "01/12", "damaged"}));
}

TEST(EventList, SortingIsAscendingByTheShownTextAndKeepsIds) {
    EventList list;
    const RowId b = list.AggiungiRiga(Row("b", "20/01", "23.00", "Da adesso"), 0);
    const RowId a = list.AggiungiRiga(Row("a", "15/03", "07.30", "1 mese prima"), 0);
    list.SortBy(3);  // "Ora"
    EXPECT_EQ(Column(list, kOra), (std::vector<std::string>{"07.30", "23.00"}));
    list.SortBy(1);  // "Inizio Avvisi": alphabetically, not by duration
    EXPECT_EQ(Column(list, kInizio), (std::vector<std::string>{"1 mese prima", "Da adesso"}));
    list.SortBy(1);  // a second click sorts ascending again
    EXPECT_EQ(Column(list, kDescrizione), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(*list.Find(a), 0u);
    EXPECT_EQ(*list.Find(b), 1u);
    list.SortBy(0);
    list.Remove(0);
    EXPECT_FALSE(list.Find(a));
    EXPECT_EQ(*list.Find(b), 0u);
    const RowId first = list.AggiungiRiga(Row("0"), 0);  // every row after it moves
    EXPECT_EQ(*list.Find(b, 0), 1u);
    EXPECT_EQ(*list.Find(first), 0u);
    list.Clear();
    EXPECT_FALSE(list.Find(b));
    EXPECT_THROW(list.SortBy(6), std::out_of_range);
}

TEST(EventRow, ReplacingOneTextKeepsTheOthers) {
    EventList list;
    list.AggiungiRiga(Row("Bollo auto"), 0);
    list.SetStamp(0, "06/12/2026 12.30");
    list.SetImage(0, 3);
    EXPECT_EQ(list.At(0).Text(kUltimoAvviso), "06/12/2026 12.30");
    EXPECT_EQ(list.At(0).Text(kRicorrenza), "Annuale");
    EXPECT_EQ(list.At(0).Text(kDescrizione), "Bollo auto");
    EXPECT_EQ(list.At(0).Image(), 3);
    EventRow row({"", "", "", "", "", "", ""}, 0, 1);
    row.SetText(kData, "05/03");
    row.SetText(kDescrizione, "x");
    EXPECT_EQ(row.Texts(), RowTexts({"x", "", "05/03", "", "", "", ""}));
}

}  // namespace
}  // namespace ricordex
