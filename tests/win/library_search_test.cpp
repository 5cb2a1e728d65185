#include "win/library_search.h"

#include <delayimp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>

namespace ricordex::win {
namespace {

std::wstring LowerFileOf(HMODULE module) {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return std::towlower(c); });
    return path;
}

std::wstring LowerSystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    std::wstring path(folder, length);
    std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return std::towlower(c); });
    return path + L"\\";
}

// The runtime's delay-load helper asks before it loads a late import: the
// answer is the system's library, so the helper never searches by name.
HMODULE LateImportLoaded(const char* library, unsigned notification = dliNotePreLoadLibrary) {
    DelayLoadInfo info{};
    info.cb = sizeof(info);
    info.szDll = library;
    return reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(notification, &info));
}

TEST(LibrarySearch, TheLateImportsComeFromTheSystemOrAsTheManifestAsks) {
    ASSERT_NE(__pfnDliNotifyHook2, nullptr);
    EXPECT_EQ(LowerFileOf(LateImportLoaded("uxtheme.dll")), LowerSystemFolder() + L"uxtheme.dll");
    // The list view already made (by the tests' start) uses version 6.
    EXPECT_EQ(LateImportLoaded("comctl32.dll"), ::GetModuleHandleW(L"comctl32.dll"));
    EXPECT_EQ(LateImportLoaded("ricordex-nessuna.dll"), nullptr);
    EXPECT_EQ(LateImportLoaded("uxtheme.dll", dliNotePreGetProcAddress), nullptr);  // only loading is answered
}

// Where the search flags are refused, the full path in the system folder;
// but the common controls by their name, or the old version 5 would come.
TEST(LibrarySearch, WithoutTheSearchFlagsTheSystemFolderOrTheManifestDecides) {
    EXPECT_TRUE(RedirectedByManifest(L"comctl32.dll"));
    EXPECT_FALSE(RedirectedByManifest(L"winmm.dll"));
    EXPECT_EQ(LowerFileOf(LoadFromSystemFolder(L"winmm.dll")), LowerSystemFolder() + L"winmm.dll");
    const HMODULE controls = LoadFromSystemFolder(L"comctl32.dll");
    EXPECT_EQ(controls, ::GetModuleHandleW(L"comctl32.dll"));
    EXPECT_NE(LowerFileOf(controls), LowerSystemFolder() + L"comctl32.dll");
    EXPECT_EQ(LoadFromSystemFolder(L"ricordex-nessuna.dll"), nullptr);
}

TEST(LibrarySearch, TheProgramFolderLeavesTheSearchForGood) {
    EXPECT_TRUE(SearchLibrariesInTheSystemFolderOnly());  // every Windows since 8, and Wine
    EXPECT_EQ(LowerFileOf(LoadSystemLibrary(L"winmm.dll")), LowerSystemFolder() + L"winmm.dll");
}

}  // namespace
}  // namespace ricordex::win
