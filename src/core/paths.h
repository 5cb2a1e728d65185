#pragma once
// Paths as the settings keep them: Windows paths in wide text.

#include <string>

namespace ricordex {

// The folder part of a path, with its trailing separator; empty when the
// path names no folder.
inline std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

}  // namespace ricordex
