#include "ui/dialog_form.h"

#include "win/application.h"

namespace ricordex::ui {

TFDialog::TFDialog() {
    RegisterClass(kDialogFormClass);
    Create(kDialogFormClass, L"Inserisci Evento", WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
           CW_USEDEFAULT, CW_USEDEFAULT, 430, 240, win::Application::Instance().Handle());
}

}  // namespace ricordex::ui
