#pragma once
// TFDialog, the event editor: created once, shown modeless, hidden on
// close. It holds on to the row it was opened on by its id.

#include <optional>

#include "app/event_editor.h"
#include "ui/modeless_dialog.h"
#include "win/flat_button.h"

namespace ricordex::ui {

class TFMain;

inline constexpr wchar_t kDialogFormClass[] = L"Ricordex.TFDialog";

class TFDialog : public ModelessDialog {
public:
    explicit TFDialog(TFMain& main);

    void OpenInsertMode();   // BNuovoEventoClick
    void OpenEditMode(RowId row);  // BModificaEventoClick
    void BInserisciClick();  // "Conferma"
    void BAnnullaClick();    // "Annulla"

    // What the controls hold now.
    EditorFields Fields() const;

protected:
    int DefaultButton() const override;
    void OnDpiChanged() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void MakeRoomForCalendar();
    void LoadPictures();
    RECT Panel() const;  // at 96 DPI, moved with what stands right of the calendar
    void Fill(const EditorFields& fields);
    void ShowOnTop();

    TFMain& main_;
    bool editMode_ = false;
    std::optional<RowId> editing_;
    win::UniqueIcon pictures_[2];
    SIZE roomForCalendar_{0, 0};  // at 96 DPI
    win::Tooltips tooltips_;
};

}  // namespace ricordex::ui
