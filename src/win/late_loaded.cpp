#include "win/late_loaded.h"

#include <vector>

#include "win/com_apartment.h"
#include "win/long_paths.h"

namespace ricordex::win {

std::wstring ShowOpenFileDialog(OPENFILENAMEW dialog) {
    using Function = BOOL(WINAPI*)(OPENFILENAMEW*);
    using ErrorFunction = DWORD(WINAPI*)();
    static const LateFunction<Function> getOpenFileName(L"comdlg32.dll", "GetOpenFileNameW");
    static const LateFunction<ErrorFunction> extendedError(L"comdlg32.dll", "CommDlgExtendedError");
    EnterComApartment();  // the dialog's folder view
    std::vector<wchar_t> file(kLongestPath, L'\0');
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    if (getOpenFileName.Get()(&dialog)) return file.data();
    // No error is a cancel. FNERR_BUFFERTOOSMALL cannot come for one file
    // in a buffer of the longest path, but is told like any other rather
    // than taken for a cancel.
    if (const DWORD error = extendedError.Get()()) throw Error(FileDialogFailedText(error));
    return {};
}

bool PlaySoundNamed(const wchar_t* sound, DWORD flags) {
    using Function = BOOL(WINAPI*)(const wchar_t*, HMODULE, DWORD);
    static const LateFunction<Function> playSound(L"winmm.dll", "PlaySoundW");
    return playSound.Get()(sound, nullptr, flags) != FALSE;
}

}  // namespace ricordex::win
