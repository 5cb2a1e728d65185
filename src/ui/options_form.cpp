#include "ui/options_form.h"

#include "win/application.h"

namespace ricordex::ui {

TFOpzioni::TFOpzioni() {
    RegisterClass(kOptionsFormClass);
    Create(kOptionsFormClass, L"Opzioni", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
           CW_USEDEFAULT, CW_USEDEFAULT, 474, 266, win::Application::Instance().Handle());
}

}  // namespace ricordex::ui

namespace ricordex::ui {

void TFOpzioni::Open() {}

}  // namespace ricordex::ui
