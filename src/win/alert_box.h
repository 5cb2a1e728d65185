#pragma once
// The alert's box: the text, caption and manners of a message box (on top
// of every window, a question mark, OK for Enter and Esc), with the choices
// of "Posticipa" above OK: "Posticipa di 10 minuti", "di 1 ora", "a domani
// alle 9". A task dialog of the common controls: each choice is a command
// link, reached by Tab or its underlined letter, read by a screen reader by
// its own text.

#include <windows.h>

#include "win/message_box.h"

namespace ricordex::win {

// What the box returns: IDOK when it was seen, or the choice it was put off by.
inline constexpr int kPutOffTenMinutes = 101;
inline constexpr int kPutOffOneHour = 102;
inline constexpr int kPutOffTomorrow = 103;

// Shows `box` (its flags are those of the message box it stands for) and
// returns when it is answered. Tests that set a message box shower get the
// box there instead.
int ShowAlertBox(const MessageBoxRequest& box);

}  // namespace ricordex::win
