#include "app/event_editor.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace ricordex {
namespace {

TEST(EventEditor, ANewEventConfirmedAsOpenedAppendsTheDefaultRow) {
    ProgramState state;
    const RowId id = ConfirmEvent(state, std::nullopt, InsertModeFields(EncodeDateTime({2026, 12, 7, 9, 41, 0, 0})));
    EXPECT_EQ(state.list.At(*state.list.Find(id)).Texts(),
              RowTexts({"Nuovo evento", "10 minuti prima", "07/12", "08.00", "Avvio Computer", "Annuale",
                        "01/01/1900 00.01"}));
    EXPECT_TRUE(state.modificato);
}

TEST(EventEditor, EditingWithoutChangeOnlyResetsTheStampAndKeepsTheListSpelling) {
    ProgramState state;
    const RowId edited =
        state.list.AggiungiRiga({std::string(100, 'x'), "1 GIORNO prima", "15/03", "08.30", "ogni ora", "annuale",
                                 "06/12/2026 12.30"},
                                0);
    const RowId other = state.list.AggiungiRiga({"altro", "", "01/01", "00.00", "", "", "s"}, 0);
    const RowId id = ConfirmEvent(state, edited, EditModeFields(state.list.At(*state.list.Find(edited)), 2026));
    EXPECT_FALSE(state.list.Find(edited));
    EXPECT_TRUE(state.list.Find(other));
    EXPECT_EQ(state.list.At(*state.list.Find(id)).Texts(),
              RowTexts({std::string(100, 'x'), "1 giorno prima", "15/03", "08.30", "Ogni ora", "Annuale",
                        "01/01/1900 00.01"}));
}

TEST(EventEditor, AOneOffKeepsItsAlertThroughACorrectionButNotThroughANewDayOrTime) {
    ProgramState state;
    const auto once = [&](std::string_view date) {
        return state.list.AggiungiRiga(
            {"Rinnovo", "1 giorno prima", date, "09.00", "Ogni ora", "Nessuna", "20/11/2026 09.00"}, 0);
    };
    const auto confirm = [&](RowId id, auto change) {
        EditorFields fields = EditModeFields(state.list.At(*state.list.Find(id)), 2026);
        change(fields);
        return std::string(state.list.At(*state.list.Find(ConfirmEvent(state, id, fields))).Text(kUltimoAvviso));
    };
    EXPECT_EQ(confirm(once("21/11"), [](EditorFields& f) { f.descrizione = "Rinnovo passaporto"; f.inizio = 3; }),
              "20/11/2026 09.00");
    EXPECT_EQ(confirm(once("21/11"), [](EditorFields& f) { f.ora += 1.0 / 24; }), "01/01/1900 00.01");
    EXPECT_EQ(confirm(once("21/11"), [](EditorFields& f) { f.data += 1; }), "01/01/1900 00.01");
    EXPECT_EQ(confirm(once("21/11"), [](EditorFields& f) { f.ricorrenza = 0; }), "01/01/1900 00.01");
    const RowId yearly = state.list.AggiungiRiga(
        {"Bollo", "1 giorno prima", "21/11", "09.00", "Ogni ora", "Annuale", "20/11/2025 09.00"}, 0);
    EXPECT_EQ(confirm(yearly, [](EditorFields& f) { f.ricorrenza = 1; }), "01/01/1900 00.01");
}

TEST(EventEditor, LabelsOutsideTheListsOpenWithNoItemAndConfirmEmpty) {
    ProgramState state;
    const RowId edited = state.list.AggiungiRiga({"a", "2 minuti prima", "15/03", "08.00", "mai", "?", "s"}, 0);
    const EditorFields fields = EditModeFields(state.list.At(0), 2026);
    EXPECT_EQ(fields.inizio, -1);
    EXPECT_EQ(fields.modalita, -1);
    EXPECT_EQ(fields.ricorrenza, -1);
    const RowId id = ConfirmEvent(state, edited, fields);
    const EventRow& row = state.list.At(*state.list.Find(id));
    EXPECT_EQ(row.Text(kInizio), "");
    EXPECT_EQ(row.Text(kModalita), "");
    EXPECT_EQ(row.Text(kRicorrenza), "");
}

TEST(EventEditor, TheTwentyNinthOfFebruaryOpensInTheNextLeapYearAndStays) {
    ProgramState state;
    state.list.AggiungiRiga({"b", "Da adesso", "29/02", "10.00", "Ogni ora", "Annuale", "s"}, 0);
    EXPECT_EQ(DecodeDateTime(EditModeFields(state.list.At(0), 2028).data).year, 2028);
    const EditorFields fields = EditModeFields(state.list.At(0), 2026);
    const CivilDateTime shown = DecodeDateTime(fields.data);
    EXPECT_EQ(shown.year * 10000 + shown.month * 100 + shown.day, 20280229);
    const RowId id = ConfirmEvent(state, state.list.At(0).Id(), fields);
    EXPECT_EQ(state.list.At(*state.list.Find(id)).Text(kData), "29/02");
    // A day no year has still cannot be opened.
    state.list.AggiungiRiga({"c", "Da adesso", "31/02", "10.00", "Ogni ora", "Annuale", "s"}, 0);
    EXPECT_THROW(EditModeFields(state.list.At(*state.list.FindDescriptionPrefix("c", 0, false)), 2026), ConvertError);
}

TEST(EventEditor, ConfirmingAnEditWhoseRowIsGoneAddsItAndRemovesNothing) {
    ProgramState state;
    const RowId gone = state.list.AggiungiRiga({"a", "Da adesso", "15/03", "10.00", "Ogni ora", "Annuale", "s"}, 0);
    const EditorFields fields = EditModeFields(state.list.At(0), 2026);
    state.list.Remove(0);
    state.list.AggiungiRiga({"b", "", "", "", "", "", ""}, 0);
    ConfirmEvent(state, gone, fields);
    EXPECT_EQ(state.list.Count(), 2u);
}

}  // namespace
}  // namespace ricordex

#include "app/delete_event.h"
#include "support/fakes.h"

namespace ricordex {
namespace {

TEST(DeleteEvent, OnlyNoDeclinesAndTheRowSelectedAtTheAnswerGoes) {
    ProgramState state;
    const RowId a = state.list.AggiungiRiga({"Bollo auto", "", "15/03", "", "", "", ""}, 0);
    const RowId b = state.list.AggiungiRiga({"Compleanno", "", "20/01", "", "", "", ""}, 0);
    testing::FakeQuestions questions;
    std::optional<RowId> selected = a;
    questions.answer = kAnswerNo;
    EXPECT_FALSE(EliminaEvento(state, questions, [&] { return selected; }));
    EXPECT_EQ(questions.asked[0].text, "Eliminare: Bollo auto del 15/03");
    EXPECT_EQ(questions.asked[0].caption, "Conferma Eliminazione");
    EXPECT_EQ(state.list.Count(), 2u);
    EXPECT_FALSE(state.modificato);

    for (int notYes : {2, 0}) {  // Escape or the close button; a box that failed
        questions.answer = notYes;
        EXPECT_FALSE(EliminaEvento(state, questions, [&] { return selected; }));
        EXPECT_EQ(state.list.Count(), 2u);
    }
    questions.answer = kAnswerYes;
    questions.whileOpen = [&] { selected = b; };
    EXPECT_TRUE(EliminaEvento(state, questions, [&] { return selected; }));
    EXPECT_TRUE(state.list.Find(a));
    EXPECT_FALSE(state.list.Find(b));
    EXPECT_TRUE(state.modificato);
    EXPECT_FALSE(EliminaEvento(state, questions, [] { return std::nullopt; }));
    EXPECT_EQ(questions.asked.size(), 4u);
}

}  // namespace
}  // namespace ricordex
