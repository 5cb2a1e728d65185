#pragma once
// The program's texts as bytes, the archive's rows and its own messages
// (written in the code with "\xE8"-style escapes), are in code page 1252,
// as Italian Windows has always written the archive, whatever code page this
// PC's ANSI functions use (another language's, or UTF-8): an archive is
// shared across PCs and years. The window system speaks UTF-16; here, and
// only here, one becomes the other.

#include <string>
#include <string_view>

namespace ricordex::win {

inline constexpr unsigned kTextCodePage = 1252;

std::wstring Cp1252ToWide(std::string_view text);
// The same into a buffer kept between calls (the list view asks for every
// cell it paints).
void Cp1252ToWide(std::string_view text, std::wstring& out);
// A character code page 1252 lacks becomes its nearest letter, or "?".
std::string WideToCp1252(std::wstring_view text);

// The system's own words for an error code, and the code: "Access denied
// (system error 5)".
std::string SystemErrorText(unsigned long error);

}  // namespace ricordex::win
