#pragma once
// Where a box of the program keeps its text: a message box in its static
// control 0xFFFF; the alert's task dialog in the static control with the
// longest text (Wine's task dialog gives its controls no ids of their own).

#include <windows.h>

#include <utility>

inline HWND BoxTextControl(HWND box) {
    if (HWND control = ::GetDlgItem(box, 0xFFFF)) return control;
    std::pair<HWND, int> longest{nullptr, 0};
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM found) {
            wchar_t kind[16] = {};
            ::GetClassNameW(child, kind, 16);
            auto& best = *reinterpret_cast<std::pair<HWND, int>*>(found);
            const int length = ::GetWindowTextLengthW(child);
            if (lstrcmpiW(kind, L"Static") == 0 && length > best.second) best = {child, length};
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&longest));
    return longest.first;
}
