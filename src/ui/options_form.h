#pragma once
// TFOpzioni, the options dialog: created once, shown modeless, hidden when
// closed (its close box only hides it).

#include <string>

#include "app/options.h"
#include "ui/modeless_dialog.h"
#include "win/flat_button.h"

namespace ricordex::ui {

class TFMain;

inline constexpr wchar_t kOptionsFormClass[] = L"Ricordex.TFOpzioni";

class TFOpzioni : public ModelessDialog {
public:
    explicit TFOpzioni(TFMain& main);

    // BOpzioniClick: fills the dialog from the settings and shows it.
    void Open();
    void BSelezionaClick();  // "Seleziona File"
    void BProvaClick();      // "Riproduci"
    void BSelSalvaClick();   // "Seleziona Cartella"
    void BInserisciClick();  // "Conferma"
    void BAnnullaClick();    // "Annulla"

    // The folder browser; the chosen folder with one "\" added, or empty.
    std::wstring MostraDialogoBrowse(const wchar_t* title, unsigned flags);

    const std::wstring& NuovoPercorsoDati() const { return nuovoPercorsoDati_; }
    // What a test or the browser chose, as "Seleziona Cartella" takes it.
    void TakeFolder(const std::wstring& folder);

protected:
    void OnDpiChanged() override;
    int DefaultButton() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void LoadPictures();
    void MakeRoomForCaptions();
    void FormShow();
    OptionsChoices Choices() const;

    TFMain& main_;
    std::wstring percorsoDatiPrecedente_;
    std::wstring nuovoPercorsoDati_;
    win::UniqueIcon pictures_[5];
    int roomForCaptions_ = 0;  // at 96 DPI: how far the panel moved right
    win::Tooltips tooltips_;
};

}  // namespace ricordex::ui
