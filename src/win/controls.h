#pragma once
// A form's controls are data: one table per form, in client pixels at 96
// DPI, and one function that creates them scaled to the window's DPI.

#include <windows.h>

#include <climits>
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

// The DPI a window is laid out for: the one its form was last told by
// WM_DPICHANGED, else the system's for the window.
UINT WindowDpi(HWND window);
void SetFormDpi(HWND form, UINT dpi);
void ForgetFormDpi(HWND form);
inline int Scale(int pixels, UINT dpi) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); }
// Pixels at a DPI as pixels at 96 DPI, rounded up: room measured on the
// screen, given back to a layout made at 96.
inline int UnscaleUp(int pixels, UINT dpi) {
    return (pixels * 96 + static_cast<int>(dpi) - 1) / static_cast<int>(dpi);
}

// Creates each control as a child of the parent, in table (and tab) order,
// with the given font; owner-drawn buttons become flat buttons.
void CreateControls(HWND parent, std::span<const ControlSpec> table, HFONT font);

// Registers the common controls' window classes once, before the first of
// them is made: it loads their library, which a start into the notification
// area never needs.
void RegisterCommonControls();

// Where the table's controls go when part of the form has grown: the
// controls from `from` on (at 96 DPI, right of from.x or below from.y) move
// by `by`.
struct LayoutShift {
    POINT from{INT_MAX, INT_MAX};
    SIZE by{0, 0};
};

// Puts each control of the table at its place and size for the parent's
// DPI, with the shift, and gives it the font.
void PlaceControls(HWND parent, std::span<const ControlSpec> table, HFONT font, const LayoutShift& shift = {});

// A caption as it is drawn: the "&" before an underlined letter is not
// shown ("&&" shows one).
std::wstring ShownCaption(std::wstring_view caption);

// The width a label or check box needs to show its whole caption on one
// line in its own font; 0 for controls whose text is not drawn as a caption.
int CaptionWidth(HWND control);
// Widens every label and check box of the table that is narrower than its
// caption in the font in use: the fonts a machine has may be wider than the
// ones the layout was made with.
void FitCaptions(HWND parent, std::span<const ControlSpec> table);

// The outer size of a window whose client area is width x height at 96 DPI,
// centred in the work area of the monitor `onMonitorOf` is on (the primary one
// without it).
RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi,
                       HWND onMonitorOf = nullptr);

// The program's forms' face: the TrueType successor of the classic dialog
// font, which looks the same at 100 % and scales smoothly beyond it.
inline constexpr wchar_t kFormFont[] = L"Microsoft Sans Serif";

// Paints a panel (a rectangle at 96 DPI, filled and with a lowered inner
// bevel on the given edges) as the whole of a WM_PAINT: the controls on it
// paint themselves.
void PaintPanel(HWND window, const RECT& panelAt96, HBRUSH fill, UINT edges = BF_RECT);

// The text of a control of a window.
std::wstring ControlText(HWND window, int id);

// A font by face, height in pixels at 96 DPI and weight.
HFONT CreatePixelFont(const wchar_t* face, int pixelHeight, int weight, UINT dpi);

}  // namespace ricordex::win
