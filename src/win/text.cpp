#include "win/text.h"

#include <windows.h>

namespace ricordex::win {

void Cp1252ToWide(std::string_view text, std::wstring& out) {
    out.clear();
    if (text.empty()) return;
    const int n = ::MultiByteToWideChar(kTextCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    out.resize(static_cast<std::size_t>(n));
    ::MultiByteToWideChar(kTextCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
}

std::wstring Cp1252ToWide(std::string_view text) {
    std::wstring out;
    Cp1252ToWide(text, out);
    return out;
}

std::string WideToCp1252(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(kTextCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(kTextCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

std::string SystemErrorText(unsigned long error) {
    // In English, like the program's other error texts, where the system
    // has it: a Greek or Japanese text has no letters in code page 1252.
    wchar_t text[512] = {};
    DWORD length = 0;
    for (const DWORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), 0}) {
        length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  language, text, 512, nullptr);
        if (length > 0) break;
    }
    // The system ends its texts with a full stop and a line break.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.' ||
                          text[length - 1] == L' ')) {
        --length;
    }
    const std::string code = "(system error " + std::to_string(error) + ")";
    return length > 0 ? WideToCp1252(std::wstring_view(text, length)) + " " + code : code;
}

}  // namespace ricordex::win
