#pragma once

// System functions the program needs only now and then: the file dialog and
// the alarm sound. Their libraries are loaded the first time one is called;
// importing them would load them, and everything they load, at every start.

#include <windows.h>
#include <commdlg.h>

namespace ricordex::win {

// GetOpenFileNameW; false when the user cancels or the library is missing.
bool ShowOpenFileDialog(OPENFILENAMEW& dialog);

// PlaySoundW(sound, nullptr, flags); false when it fails or the library is
// missing.
bool PlaySoundNamed(const wchar_t* sound, DWORD flags);

}  // namespace ricordex::win
