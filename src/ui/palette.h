#pragma once
// The forms' colours. The program has its own greys, navy and maroon; under
// high contrast, or any colour scheme whose windows are dark, every colour
// comes from the system's instead, so that every text stays readable on
// its background.

#include <windows.h>

namespace ricordex::ui {

enum class Ink {
    Panel,    // the panels the picture buttons stand on
    Field,    // the background of edits, lists and paths
    Caption,  // the picture buttons' captions and the dialogs' labels
    Title,    // the main window's title
    Warning,  // the options' start-up check boxes
};

// Whether the system's colours are to be used: asked afresh each time, so a
// change of scheme while the program runs is followed at the next paint.
bool SystemColoursOnly();

COLORREF Colour(Ink ink);
// A brush of that colour, owned by the program (never to be deleted).
HBRUSH Brush(Ink ink);

// The forms' own background (COLOR_BTNFACE), as a brush.
inline HBRUSH FaceBrush() { return ::GetSysColorBrush(COLOR_BTNFACE); }

}  // namespace ricordex::ui
