#include "win/long_paths.h"

#include <shlobj.h>

#include <vector>

namespace ricordex::win {

std::wstring PathOfItem(PCIDLIST_ABSOLUTE item) {
    // The shell's long form where it has one (Windows 7 has); the short one
    // fills a buffer of MAX_PATH and fails beyond.
    using GetPathEx = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS);
    // Loaded by name: the shell is imported late, and may not be in yet.
    static const HMODULE shell = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    static const auto getPathEx = reinterpret_cast<GetPathEx>(
        reinterpret_cast<void (*)()>(::GetProcAddress(shell, "SHGetPathFromIDListEx")));
    std::vector<wchar_t> path(getPathEx != nullptr ? kLongestPath : MAX_PATH, L'\0');
    const BOOL found = getPathEx != nullptr
                           ? getPathEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)
                           : ::SHGetPathFromIDListW(item, path.data());
    return found ? std::wstring(path.data()) : std::wstring();
}

}  // namespace ricordex::win
