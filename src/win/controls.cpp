#include "win/controls.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

#include "win/dc_guards.h"
#include "win/flat_button.h"

namespace ricordex::win {
namespace {
// The property's name as an atom, made once: looked up at every paint.
const wchar_t* DpiProperty() {
    static const ATOM atom = ::GlobalAddAtomW(L"Ricordex.Dpi");
    return MAKEINTATOM(atom);
}
}  // namespace

void SetFormDpi(HWND form, UINT dpi) {
    ::SetPropW(form, DpiProperty(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
}

void ForgetFormDpi(HWND form) { ::RemovePropW(form, DpiProperty()); }

UINT WindowDpi(HWND window) {
    if (window != nullptr) {
        HWND form = ::GetAncestor(window, GA_ROOT);
        if (const auto told = reinterpret_cast<UINT_PTR>(::GetPropW(form != nullptr ? form : window, DpiProperty()))) {
            return static_cast<UINT>(told);
        }
    }
    // GetDpiForWindow exists from Windows 10 on; older systems have one DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    const WindowDc screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void RegisterCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

void CreateControls(HWND parent, std::span<const ControlSpec> table, HFONT font) {
    RegisterCommonControls();
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

void PlaceControls(HWND parent, std::span<const ControlSpec> table, HFONT font, const LayoutShift& shift) {
    const UINT dpi = WindowDpi(parent);
    for (const ControlSpec& c : table) {
        HWND control = ::GetDlgItem(parent, c.id);
        const int x = c.x >= shift.from.x ? c.x + shift.by.cx : c.x;
        const int y = c.y >= shift.from.y ? c.y + shift.by.cy : c.y;
        ::SetWindowPos(control, nullptr, Scale(x, dpi), Scale(y, dpi), Scale(c.width, dpi), Scale(c.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

std::wstring ShownCaption(std::wstring_view caption) {
    std::wstring shown;
    shown.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;  // "&&" shows one
        shown += caption[i];
    }
    return shown;
}

int CaptionWidth(HWND control) {
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    const bool label = _wcsicmp(className, L"STATIC") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
    const LONG_PTR type = style & BS_TYPEMASK;
    const bool checkBox = _wcsicmp(className, L"BUTTON") == 0 &&
                          (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                           type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
    if (!label && !checkBox) return 0;
    const int length = ::GetWindowTextLengthW(control);
    if (length == 0) return 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    if (!label || (style & SS_NOPREFIX) == 0) text = ShownCaption(text);
    SIZE extent{};
    {
        const WindowDc dc(control);
        const SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    if (!checkBox) return extent.cx;
    // The box, the gap after it, and room for the focus rectangle.
    const UINT dpi = WindowDpi(control);
    return extent.cx + Scale(13 + 4 + 2, dpi);
}

void FitCaptions(HWND parent, std::span<const ControlSpec> table) {
    for (const ControlSpec& c : table) {
        HWND control = ::GetDlgItem(parent, c.id);
        const int needed = CaptionWidth(control);
        RECT r{};
        ::GetWindowRect(control, &r);
        if (needed > r.right - r.left) {
            ::SetWindowPos(control, nullptr, 0, 0, needed, r.bottom - r.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi, HWND onMonitorOf) {
    RECT r{0, 0, Scale(clientWidth, dpi), Scale(clientHeight, dpi)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT work{};
    if (onMonitorOf != nullptr && ::GetMonitorInfoW(::MonitorFromWindow(onMonitorOf, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        work = monitor.rcWork;
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    }
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    return RECT{x, y, x + width, y + height};
}

void PaintPanel(HWND window, const RECT& panelAt96, HBRUSH fill, UINT edges) {
    const PaintScope paint(window);
    const UINT dpi = WindowDpi(window);
    RECT panel{Scale(panelAt96.left, dpi), Scale(panelAt96.top, dpi), Scale(panelAt96.right, dpi),
               Scale(panelAt96.bottom, dpi)};
    ::FillRect(paint.get(), &panel, fill);
    ::DrawEdge(paint.get(), &panel, BDR_SUNKENINNER, edges);
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
