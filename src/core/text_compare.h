#pragma once

#include <string_view>

namespace ricordex {

// "a" to "z" as capitals; every other byte as it is.
inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The list's text comparison: only "a" to "z" are folded to capitals; bytes
// compare as unsigned codes; of two texts where one is a prefix of the other
// the shorter sorts first. The result is the difference at the first
// mismatch (or of the lengths).
int CompareText(std::string_view a, std::string_view b);

}  // namespace ricordex
