#pragma once
// Row texts are bytes in the ANSI code page; the window system speaks UTF-16.

#include <string>
#include <string_view>

namespace ricordex::win {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// The system's own words for an error code, and the code: "Access denied
// (system error 5)".
std::string SystemErrorText(unsigned long error);

}  // namespace ricordex::win
