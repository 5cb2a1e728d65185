#pragma once

// Paths the user chooses may be as long as Windows allows (the manifest
// declares the program aware of long paths): no buffer here stops at MAX_PATH.

#include <windows.h>
#include <shtypes.h>

#include <string>

namespace ricordex::win {

// The longest path a Windows function takes, in characters with its end.
inline constexpr DWORD kLongestPath = 32768;

// The file system path of a shell item (what the folder browser answers);
// empty when it names no folder or file on a disk.
std::wstring PathOfItem(PCIDLIST_ABSOLUTE item);

}  // namespace ricordex::win
