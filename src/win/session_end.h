#pragma once
// The end of a Windows session, and the closes that look like one: an
// installer or Windows Update (through the Restart Manager) ends the program
// to replace files it holds, then starts it again.

#include <string_view>

#include "win/unique_handle.h"

namespace ricordex::win {

// The argument of a start made by Windows after an update. Such a start
// shows the main window as a start at log-on would; it only never calls
// forward the window of a copy already running.
inline constexpr wchar_t kRestartedArgument[] = L"/riavvio";
bool StartedAgainByWindows(std::wstring_view commandLine);

// Asks Windows to start the program again when an update closed it, never
// after a crash or a hang.
void RegisterRestartAfterUpdate();

// While the returned object lives, Windows shows `reason` beside the
// program's name if the user waits for the session to end. Empty when
// Windows would not take the reason.
UniqueShutdownBlockReason BlockShutdownWhile(HWND window, const wchar_t* reason);

}  // namespace ricordex::win
