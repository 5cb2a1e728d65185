// Prints, in UTF-8, the text of the message box shown with the given
// caption, for the tests that drive the program from outside Wine: Wine's
// message boxes do not copy themselves to the clipboard on Ctrl+C as
// Windows' do. Exits with 1 when no such box is shown.

#include <windows.h>

#include <cstdio>
#include <string>

#include "e2e/box_text_control.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, L"#32770", argv[1])) != nullptr && !::IsWindowVisible(box)) {
    }
    if (box == nullptr) return 1;
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(BoxTextControl(box), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    std::string utf8(copied * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(copied), utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr));
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return 0;
}
