#include "win/library_search.h"

#include <delayimp.h>

#include <string>

namespace ricordex::win {

bool SearchLibrariesInTheSystemFolderOnly() {
    using SetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    // Looked up: Windows 7 has it only with update KB2533623.
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectories>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    ::SetDllDirectoryW(L"");
    return false;
}

HMODULE LoadSystemLibrary(const wchar_t* library) {
    if (HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // ERROR_INVALID_PARAMETER where the flag is unknown; any other failure
    // is the library's own and the system folder has nothing better.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    return LoadFromSystemFolder(library);
}

bool RedirectedByManifest(const wchar_t* library) {
    ACTCTX_SECTION_KEYED_DATA found{};
    found.cbSize = sizeof(found);
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, library, &found) !=
           FALSE;
}

HMODULE LoadFromSystemFolder(const wchar_t* library) {
    if (RedirectedByManifest(library)) return ::LoadLibraryW(library);
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// The late imports (the common controls, the visual styles) are loaded by
// the runtime's delay-load helper, which would look for them by name along
// the whole search path: it is told to take the one this file loads.
FARPROC WINAPI LoadLateImport(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    std::wstring library;
    for (const char* c = info->szDll; *c != '\0'; ++c) library += static_cast<wchar_t>(*c);
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(library.c_str()));
}

}  // namespace

}  // namespace ricordex::win

// Defined here (delayimp.h declares it extern "C"), the runtime's empty
// default is never linked: this file is in every program that loads
// anything late (through LoadSystemLibrary).
PfnDliHook __pfnDliNotifyHook2 = &ricordex::win::LoadLateImport;
