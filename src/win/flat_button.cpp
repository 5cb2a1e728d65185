#include "win/flat_button.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "win/controls.h"
#include "win/dc_guards.h"
#include "win/unique_handle.h"

namespace ricordex::win {

namespace {

// The button's face: its colour, the edge of a pressed or focused button,
// and the focus rectangle once the user works with the keyboard.
void DrawButtonFace(HDC dc, const RECT& r, UINT state, COLORREF colour) {
    const UniqueBrush background(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, background.get());
    RECT edge = r;
    if ((state & ODS_SELECTED) != 0) {
        ::DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    } else if ((state & ODS_FOCUS) != 0) {
        ::DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    }
    // Hidden, as in every button, until the user works with the keyboard.
    if ((state & ODS_FOCUS) != 0 && (state & ODS_NOFOCUSRECT) == 0) {
        RECT focus = r;
        ::InflateRect(&focus, -3, -3);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &focus);
    }
}

// The width of an icon's pictures, 0 without one.
int IconWidth(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info)) return 0;
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);  // copies made for the caller
    BITMAP bitmap{};
    ::GetObjectW(colour ? colour.get() : mask.get(), sizeof(bitmap), &bitmap);
    return bitmap.bmWidth;
}

}  // namespace

void DrawFlatButton(const DRAWITEMSTRUCT& item, const FlatButtonLook& look) {
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    DrawButtonFace(dc, r, item.itemState, look.background);
    const int shift = (item.itemState & ODS_SELECTED) != 0 ? 1 : 0;

    wchar_t caption[64] = {};
    ::GetWindowTextW(item.hwndItem, caption, 64);
    const int captionLength = static_cast<int>(std::wcslen(caption));
    const SelectedObject font(dc, look.font);
    SIZE text{};
    ::GetTextExtentPoint32W(dc, caption, captionLength, &text);

    const int glyph = IconWidth(look.picture);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const bool hasText = captionLength > 0 && look.placement != GlyphPlacement::Alone;
    int glyphX = 0, glyphY = 0, textX = 0, textY = 0;
    if (look.placement == GlyphPlacement::Right) {
        const int total = text.cx + (glyph > 0 ? look.spacing + glyph : 0);
        textX = r.left + (width - total) / 2;
        textY = r.top + (height - text.cy) / 2;
        glyphX = textX + text.cx + look.spacing;
        glyphY = r.top + (height - glyph) / 2;
    } else {
        const int total = glyph + (hasText ? look.spacing + text.cy : 0);
        glyphX = r.left + (width - glyph) / 2;
        glyphY = r.top + (height - total) / 2;
        textX = r.left + (width - text.cx) / 2;
        textY = glyphY + glyph + look.spacing;
    }
    if (glyph > 0) ::DrawIconEx(dc, glyphX + shift, glyphY + shift, look.picture, glyph, glyph, 0, nullptr, DI_NORMAL);
    if (hasText) {
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, (item.itemState & ODS_DISABLED) != 0 ? ::GetSysColor(COLOR_GRAYTEXT) : look.text);
        ::TextOutW(dc, textX + shift, textY + shift, caption, captionLength);
    }
}

namespace {

constexpr UINT_PTR kFlatButtonSubclass = 1;

// The button a mouse press started on, until the button is released.
HWND pressedByMouse = nullptr;

bool PointerInside(HWND button, LPARAM at) {
    RECT r{};
    ::GetClientRect(button, &r);
    const POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    return ::PtInRect(&r, point) != FALSE;
}

void ShowPressed(HWND button, bool pressed) {
    const bool shown = (::SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    if (shown != pressed) ::SendMessageW(button, BM_SETSTATE, pressed ? TRUE : FALSE, 0);
}

LRESULT CALLBACK FlatButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_BUTTON | (::GetFocus() == button ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
        // The dialog manager marks the default button by giving it the
        // default push button's style: a flat button stays owner-drawn.
        return ::DefSubclassProc(button, message, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW,
                                 lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (::GetCapture() == button) return 0;  // held down with Space already
        ::SetCapture(button);
        pressedByMouse = button;
        ShowPressed(button, true);
        return 0;
    case WM_MOUSEMOVE:
        if (pressedByMouse == button) ShowPressed(button, PointerInside(button, lParam));
        break;
    case WM_LBUTTONUP:
        if (pressedByMouse == button) {
            const bool clicked = PointerInside(button, lParam);
            ::ReleaseCapture();
            if (clicked) {
                ::SendMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                               reinterpret_cast<LPARAM>(button));
            }
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (pressedByMouse == button && reinterpret_cast<HWND>(lParam) != button) {
            pressedByMouse = nullptr;
            ShowPressed(button, false);
        }
        break;
    case WM_NCDESTROY:
        if (pressedByMouse == button) pressedByMouse = nullptr;
        ::RemoveWindowSubclass(button, &FlatButtonProc, kFlatButtonSubclass);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

void AttachFlatButton(HWND button) { ::SetWindowSubclass(button, &FlatButtonProc, kFlatButtonSubclass, 0); }

void Tooltips::SetActive(bool active) const {
    if (tooltip_ == nullptr) return;
    if (!active) ::SendMessageW(tooltip_, TTM_POP, 0, 0);
    ::SendMessageW(tooltip_, TTM_ACTIVATE, active, 0);
}

void Tooltips::Create(HWND form) {
    RegisterCommonControls();
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
}

void Tooltips::Add(HWND tool, const wchar_t* text) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = ::GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::AddHints(HWND form, std::span<const PictureButtonSpec> buttons) {
    for (const PictureButtonSpec& button : buttons) Add(::GetDlgItem(form, button.id), button.hint);
}

}  // namespace ricordex::win
