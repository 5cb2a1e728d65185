#include "win/late_loaded.h"

namespace ricordex::win {
namespace {

// Looked up once; the library stays loaded for the rest of the run. Only
// from the system folder, never from beside the program or the working folder.
template <typename Function>
Function Lookup(const wchar_t* library, const char* name) {
    HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return nullptr;
    // Through the generic function type: GetProcAddress knows no signatures.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

bool ShowOpenFileDialog(OPENFILENAMEW& dialog) {
    using Function = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const Function getOpenFileName = Lookup<Function>(L"comdlg32.dll", "GetOpenFileNameW");
    return getOpenFileName != nullptr && getOpenFileName(&dialog) != FALSE;
}

bool PlaySoundNamed(const wchar_t* sound, DWORD flags) {
    using Function = BOOL(WINAPI*)(const wchar_t*, HMODULE, DWORD);
    static const Function playSound = Lookup<Function>(L"winmm.dll", "PlaySoundW");
    return playSound != nullptr && playSound(sound, nullptr, flags) != FALSE;
}

}  // namespace ricordex::win
