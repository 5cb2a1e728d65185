#include "win/late_loaded.h"

namespace ricordex::win {

bool ShowOpenFileDialog(OPENFILENAMEW& dialog) {
    using Function = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const LateFunction<Function> getOpenFileName(L"comdlg32.dll", "GetOpenFileNameW");
    return getOpenFileName.Get()(&dialog) != FALSE;
}

bool PlaySoundNamed(const wchar_t* sound, DWORD flags) {
    using Function = BOOL(WINAPI*)(const wchar_t*, HMODULE, DWORD);
    static const LateFunction<Function> playSound(L"winmm.dll", "PlaySoundW");
    return playSound.Get()(sound, nullptr, flags) != FALSE;
}

}  // namespace ricordex::win
