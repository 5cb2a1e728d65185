#pragma once
// The program's icon, large and small, loaded at the first call and kept for
// the life of the process: a window class registered with them uses them for
// as long as it is registered, which outlasts any one window.

#include <windows.h>

namespace ricordex::ui {

HICON ProgramIcon();
HICON ProgramSmallIcon();  // the system's small-icon size

}  // namespace ricordex::ui
