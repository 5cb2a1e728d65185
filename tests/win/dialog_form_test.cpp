#include "ui/dialog_form.h"

#include "win/main_form_fixture.h"

namespace ricordex::ui {
namespace {

class EditorTest : public MainFormTest {
protected:
    void OpenWithEditor() {
        Open();
        dialog_ = &form_->FDialog();
    }
    TFDialog* dialog_ = nullptr;
};

TEST_F(EditorTest, NewEventConfirmedAsOpenedIsAddedSelectedAndExaminedWithinASecond) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    form_->ListView1ColumnClick(3);  // by time: the new row still lands at its place
    state_.list.AggiungiRiga({"mattina", "", "07/12", "07.00", "", "", ""}, 0);
    state_.list.AggiungiRiga({"sera", "", "07/12", "20.00", "", "", ""}, 0);
    form_->BNuovoEventoClick();
    EXPECT_TRUE(::IsWindowVisible(dialog_->Handle()));
    dialog_->BInserisciClick();
    EXPECT_FALSE(::IsWindowVisible(dialog_->Handle()));
    ASSERT_EQ(state_.list.Count(), 3u);
    EXPECT_EQ(state_.list.At(1).Texts(), RowTexts({"Nuovo evento", "10 minuti prima", "07/12", "08.00",
                                                   "Avvio Computer", "Annuale", "01/01/1900 00.01"}));
    EXPECT_EQ(form_->ListView1().SelectedId(), state_.list.At(1).Id());
    EXPECT_TRUE(state_.modificato);
    EXPECT_EQ(form_->Timer1().Interval(), 1000u);
}

TEST_F(EditorTest, EditingShowsTheRowAndConfirmingUnchangedOnlyResetsTheStamp) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    const std::string description(100, 'd');
    state_.list.AggiungiRiga({description, "2 giorni prima", "29/02", "18.45", "Ogni mese", "Annuale",
                              "06/12/2026 12.30"},
                             0);
    form_->ListView1().Refresh();
    form_->ListView1().Select(state_.list.At(0).Id());
    const WPARAM modifica = MAKEWPARAM(TFMain::kBModificaEvento, BN_CLICKED);
    ::SendMessageW(form_->Handle(), WM_COMMAND, modifica, 0);  // no 29/02 in 2026: the next leap year's
    ASSERT_TRUE(::IsWindowVisible(dialog_->Handle()));
    EXPECT_TRUE(errors_.empty());
    SYSTEMTIME shown{};
    ::SendDlgItemMessageW(dialog_->Handle(), TFDialog::kDEvento, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20280229);
    state_.list.AggiungiRiga({"aaa", "", "", "", "", "", ""}, 0);  // the selection moves meanwhile
    form_->ListView1().Refresh();
    form_->ListView1().Select(state_.list.At(0).Id());
    dialog_->BInserisciClick();
    ASSERT_EQ(state_.list.Count(), 2u);
    EXPECT_EQ(state_.list.At(1).Texts(), RowTexts({description, "2 giorni prima", "29/02", "18.45", "Ogni mese",
                                                   "Annuale", "01/01/1900 00.01"}));
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "aaa");
}

TEST_F(EditorTest, AnEditThatCannotOpenLeavesTheOpenEditorOnItsOwnRow) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    state_.list.AggiungiRiga({"a leggibile", "", "15/03", "08.00", "", "", "x"}, 0);
    state_.list.AggiungiRiga({"b impossibile", "", "31/02", "08.00", "", "", "x"}, 0);
    form_->ListView1().Refresh();
    const RowId readable = state_.list.At(0).Id(), unreadable = state_.list.At(1).Id();
    dialog_->OpenEditMode(readable);
    EXPECT_THROW(dialog_->OpenEditMode(unreadable), std::exception);  // 31/02 exists in no year
    wchar_t caption[32] = {};
    ::GetWindowTextW(dialog_->Handle(), caption, 32);
    EXPECT_STREQ(caption, L"Modifica");
    dialog_->BInserisciClick();
    ASSERT_EQ(state_.list.Count(), 2u) << "nothing lost, nothing doubled";
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "a leggibile");
    EXPECT_EQ(state_.list.At(0).Text(kUltimoAvviso), "01/01/1900 00.01");
    EXPECT_EQ(state_.list.At(1).Id(), unreadable);
}

}  // namespace
}  // namespace ricordex::ui
