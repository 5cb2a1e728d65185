#pragma once
// TFOpzioni, the options dialog: created once, shown modeless, hidden when
// closed (its close box only hides it).

#include <functional>
#include <string>

#include "app/options.h"
#include "ui/modeless_dialog.h"
#include "win/flat_button.h"

namespace ricordex::ui {

inline constexpr wchar_t kOptionsFormClass[] = L"Ricordex.TFOpzioni";

class TFOpzioni : public ModelessDialog {
public:
    enum ControlId : int {
        kESuono = 300,
        kBSeleziona,
        kBProva,
        kESalva,
        kBSelSalva,
        kCBEsecuzioneA,
        kCBAvvioMax,
        kBInserisci,
        kBAnnulla,
        kLabel1,
        kLabel2,
    };

    // `changeRows` runs a change of the list and shows the list again,
    // whatever the change's outcome.
    TFOpzioni(HWND owner, ProgramState& state, Services& services, ListChange changeRows);

    // BOpzioniClick: fills the dialog from the settings and shows it.
    void Open();
    void BSelezionaClick();  // "Seleziona File"
    void BProvaClick();      // "Riproduci"
    void BSelSalvaClick();   // "Seleziona Cartella"
    void BInserisciClick();  // "Conferma"
    void BAnnullaClick();    // "Annulla"

    // The folder browser; the chosen folder with one "\" added, or empty.
    std::wstring MostraDialogoBrowse(const wchar_t* title, unsigned flags);

    const std::wstring& NuovoPercorsoDati() const { return session_.NuovoPercorsoDati(); }
    // What a test or the browser chose, as "Seleziona Cartella" takes it.
    void TakeFolder(const std::wstring& folder);

protected:
    int DefaultButton() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void MakeRoomForFonts() override;  // for the captions
    void LoadPictures() override;
    OptionsChoices Choices() const;

    ProgramState& state_;
    Services& services_;
    ListChange changeRows_;
    OptionsSession session_;
    win::UniqueIcon pictures_[5];
    int roomForCaptions_ = 0;  // at 96 DPI: how far the panel moved right
};

}  // namespace ricordex::ui
