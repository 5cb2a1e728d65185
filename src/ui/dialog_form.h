#pragma once
// TFDialog, the event editor: created once at start-up and hidden until used.

#include "win/window.h"

namespace ricordex::ui {

inline constexpr wchar_t kDialogFormClass[] = L"TFDialog";

class TFDialog : public win::Window {
public:
    TFDialog();
};

}  // namespace ricordex::ui
