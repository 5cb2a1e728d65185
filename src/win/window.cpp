#include "win/window.h"

#include <commctrl.h>

#include "core/errors.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/text.h"

namespace ricordex::win {

Window::~Window() {
    if (hwnd_ != nullptr) {
        ForgetFormDpi(hwnd_);  // the procedure will not see WM_NCDESTROY
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void Window::RegisterWindowClass(const wchar_t* className, HICON icon) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Trampoline;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc);
}

void Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND owner) {
    if (::CreateWindowExW(exStyle, className, title, style, x, y, width, height, owner, nullptr,
                          ::GetModuleHandleW(nullptr), this) == nullptr) {
        throw Error("Error creating window: " + SystemErrorText(::GetLastError()));
    }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ForgetFormDpi(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Guarded([&] { return self->HandleMessage(message, wParam, lParam); });
}

// The hook's own address tells it from every other hook on the window.
void WindowHook::Install(HWND window, Handler handler) {
    Remove();
    if (window == nullptr) return;
    handler_ = std::move(handler);
    if (::SetWindowSubclass(window, &WindowHook::Trampoline, reinterpret_cast<UINT_PTR>(this),
                            reinterpret_cast<DWORD_PTR>(this))) {
        window_ = window;
    }
}

void WindowHook::Remove() {
    if (window_ == nullptr) return;
    ::RemoveWindowSubclass(window_, &WindowHook::Trampoline, reinterpret_cast<UINT_PTR>(this));
    window_ = nullptr;
}

LRESULT CALLBACK WindowHook::Trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    auto* hook = reinterpret_cast<WindowHook*>(self);
    if (message == WM_NCDESTROY) {
        hook->Remove();  // the window goes: nothing is left to put back later
    } else {
        Guarded([&] {
            hook->handler_(message, wParam, lParam);
            return LRESULT{0};
        });
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void ReportException(const std::exception& error) { Application::Instance().HandleException(error); }

}  // namespace ricordex::win
