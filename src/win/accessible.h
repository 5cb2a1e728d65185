#pragma once
// What a screen reader reads of a control: its name, and for a list, each
// row's description. The control answers the accessibility request with
// the system's own object for it, whose name (and rows' descriptions) come
// from here; everything else is the system's. Nothing is loaded until a
// screen reader (or any accessibility client) asks.

#include <windows.h>

#include <functional>
#include <string>

namespace ricordex::win {

struct AccessibleText {
    std::wstring name;  // the control's
    // A list's rows, by position from 0: a name when the system gives none,
    // and a description (empty for none).
    std::function<std::wstring(int row)> rowName;
    std::function<std::wstring(int row)> rowDescription;
};

// For the control's life; given again, the new text replaces the old.
void SetAccessibleText(HWND control, AccessibleText text);
// A control with a name only.
inline void SetAccessibleName(HWND control, std::wstring name) {
    AccessibleText text;
    text.name = std::move(name);
    SetAccessibleText(control, std::move(text));
}

}  // namespace ricordex::win
