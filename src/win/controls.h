#pragma once
// A form's controls are data: one table per form, in client pixels at 96
// DPI, and one function that creates them scaled to the window's DPI.

#include <windows.h>

#include <span>
#include <string>

namespace ricordex::win {

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    int x, y, width, height;
    DWORD style;
    DWORD exStyle = 0;
};

UINT WindowDpi(HWND window);
inline int Scale(int pixels, UINT dpi) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); }

// Creates each control as a child of the parent, in table (and tab) order,
// with the given font; owner-drawn buttons become flat buttons.
void CreateControls(HWND parent, std::span<const ControlSpec> table, HFONT font);

// The outer size of a window whose client area is width x height at 96 DPI,
// centred in the work area of the primary monitor.
RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// Paints a panel (a rectangle at 96 DPI, filled and with a lowered inner
// bevel) as the whole of a WM_PAINT: the controls on it paint themselves.
void PaintPanel(HWND window, const RECT& panelAt96, HBRUSH fill);

// The text of a control of a window.
std::wstring ControlText(HWND window, int id);

// A font by face, height in pixels at 96 DPI and weight.
HFONT CreatePixelFont(const wchar_t* face, int pixelHeight, int weight, UINT dpi);

}  // namespace ricordex::win
