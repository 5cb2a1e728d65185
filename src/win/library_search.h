#pragma once

// Where the program's libraries come from. The program's folder may be one
// the user can write (a portable copy unzipped anywhere): a library left
// there under a system library's name must never be loaded in its place, by
// the program or by the system libraries it uses.

#include <windows.h>

namespace ricordex::win {

// At the very start of the program: every library loaded from now on, by
// name and without a folder, comes from the system folder only. Systems
// without SetDefaultDllDirectories (Windows 7 before its 2011 update) can
// only drop the working folder from the search; false there.
bool SearchLibrariesInTheSystemFolderOnly();

// A system library loaded from the system folder only, never from beside the
// program or the working folder; null when it cannot be loaded. Libraries the
// program's manifest redirects (the common controls, version 6) come from
// the side-by-side store as the manifest asks.
HMODULE LoadSystemLibrary(const wchar_t* library);
// The same for systems that refuse the search flags: by the library's full
// path in the system folder, or by its name when the manifest redirects it
// (the redirection comes before every folder).
HMODULE LoadFromSystemFolder(const wchar_t* library);
// Whether the program's manifest names the library (a version of its own).
bool RedirectedByManifest(const wchar_t* library);

}  // namespace ricordex::win
