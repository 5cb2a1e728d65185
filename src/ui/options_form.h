#pragma once
// TFOpzioni, the options dialog: created once at start-up and hidden until used.

#include "win/window.h"

namespace ricordex::ui {

inline constexpr wchar_t kOptionsFormClass[] = L"TFOpzioni";

class TFOpzioni : public win::Window {
public:
    TFOpzioni();

    // BOpzioniClick: fills the dialog from the settings and shows it.
    void Open();
};

}  // namespace ricordex::ui
