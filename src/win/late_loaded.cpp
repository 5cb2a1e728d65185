#include "win/late_loaded.h"

namespace ricordex::win {

// Systems without the search flags (Windows 7 before its 2011 update) refuse
// them: the library is then named by its full path in the system folder.
HMODULE LoadSystemLibrary(const wchar_t* library) {
    if (HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    return LoadFromSystemFolder(library);
}

HMODULE LoadFromSystemFolder(const wchar_t* library) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

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
