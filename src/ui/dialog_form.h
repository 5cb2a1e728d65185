#pragma once
// TFDialog, the event editor: created once, shown modeless, hidden on
// close. It holds on to the row it was opened on by its id.

#include <functional>
#include <optional>

#include "app/event_editor.h"
#include "ui/modeless_dialog.h"
#include "win/flat_button.h"

namespace ricordex::ui {

inline constexpr wchar_t kDialogFormClass[] = L"Ricordex.TFDialog";

class TFDialog : public ModelessDialog {
public:
    enum ControlId : int {
        kEDescrizione = 200,
        kDEvento,
        kDTOra,
        kEInizio,
        kEModalita,
        kERicorrenza,
        kBInserisci,
        kBAnnulla,
        kLOra,
        kLInizio,
        kLModalita,
        kLRicorrenza,
        kLDescrizione,
    };

    // `eventConfirmed` is told the row "Conferma" added or changed.
    TFDialog(HWND owner, ProgramState& state, Clock& clock, std::function<void(RowId)> eventConfirmed);

    void OpenInsertMode();   // BNuovoEventoClick
    void OpenEditMode(RowId row);  // BModificaEventoClick
    void BInserisciClick();  // "Conferma"
    void BAnnullaClick();    // "Annulla"

    // What the controls hold now.
    EditorFields Fields() const;

protected:
    int DefaultButton() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void MakeRoomForFonts() override;  // for the calendar
    void LoadPictures() override;
    RECT Panel() const;  // at 96 DPI, moved with what stands right of the calendar
    void Fill(const EditorFields& fields);
    void ShowOnTop();

    ProgramState& state_;
    Clock& clock_;
    std::function<void(RowId)> eventConfirmed_;
    bool editMode_ = false;
    std::optional<RowId> editing_;
    win::UniqueIcon pictures_[2];
    SIZE roomForCalendar_{0, 0};  // at 96 DPI
};

}  // namespace ricordex::ui
