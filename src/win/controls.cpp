#include "win/controls.h"

#include <cwchar>

#include "win/flat_button.h"

namespace ricordex::win {

UINT WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 on; older systems have one DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void CreateControls(HWND parent, std::span<const ControlSpec> table, HFONT font) {
    const UINT dpi = WindowDpi(parent);
    for (const ControlSpec& c : table) {
        HWND control = ::CreateWindowExW(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style,
                                         Scale(c.x, dpi), Scale(c.y, dpi), Scale(c.width, dpi), Scale(c.height, dpi),
                                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                         ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // Every owner-drawn button of a form is a flat button.
        if (std::wcscmp(c.className, L"BUTTON") == 0 && (c.style & BS_TYPEMASK) == BS_OWNERDRAW) {
            AttachFlatButton(control);
        }
    }
}

RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    RECT r{0, 0, Scale(clientWidth, dpi), Scale(clientHeight, dpi)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    return RECT{x, y, x + width, y + height};
}

void PaintPanel(HWND window, const RECT& panelAt96, HBRUSH fill) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    const UINT dpi = WindowDpi(window);
    RECT panel{Scale(panelAt96.left, dpi), Scale(panelAt96.top, dpi), Scale(panelAt96.right, dpi),
               Scale(panelAt96.bottom, dpi)};
    ::FillRect(dc, &panel, fill);
    ::DrawEdge(dc, &panel, BDR_SUNKENINNER, BF_RECT);
    ::EndPaint(window, &paint);
}

std::wstring ControlText(HWND window, int id) {
    HWND control = ::GetDlgItem(window, id);
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

HFONT CreatePixelFont(const wchar_t* face, int pixelHeight, int weight, UINT dpi) {
    return ::CreateFontW(-Scale(pixelHeight, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace ricordex::win
