#pragma once
// Paths as the settings keep them: Windows paths in wide text.

#include <filesystem>
#include <string>

namespace ricordex {

// The folder part of a path, with its trailing separator; empty when the
// path names no folder.
inline std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A path as Windows compares paths: letters A to Z in either case, "." and
// ".." taken out. Two paths name the same file when their keys are equal.
inline std::wstring PathKey(const std::filesystem::path& path) {
    std::wstring key = path.lexically_normal().wstring();
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return key;
}

}  // namespace ricordex
