#pragma once
// Row texts are bytes in the ANSI code page; the window system speaks UTF-16.

#include <string>
#include <string_view>

namespace ricordex::win {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

}  // namespace ricordex::win
