#include "win/window.h"

#include <algorithm>

#include "core/errors.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/text.h"

namespace ricordex::win {

Window::~Window() {
    ReleaseHooks();
    if (hwnd_ != nullptr) {
        ForgetFormDpi(hwnd_);  // the procedure will not see WM_NCDESTROY
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void Window::RegisterWindowClass(const wchar_t* className, HICON icon, HICON smallIcon) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Trampoline;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
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

Window* Window::FromHandle(HWND hwnd) {
    if (hwnd == nullptr || ::GetClassLongPtrW(hwnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&Window::Trampoline)) {
        return nullptr;
    }
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
        self->ReleaseHooks();  // the window goes: nothing is left to hook
        ForgetFormDpi(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (!self->hooks_.empty()) {
        self->RunHooks(message, wParam, lParam);
        // A hook may have destroyed the window: the message then goes on
        // as to any window without an object.
        if (::GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 0) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Guarded([&] { return self->HandleMessage(message, wParam, lParam); });
}

// A hook may come or go while the hooks run (by a message sent from one of
// them): one that comes runs from the next message on, one that goes does
// not run again.
void Window::RunHooks(UINT message, WPARAM wParam, LPARAM lParam) {
    ++hooksRunning_;
    // Hooks that leave meanwhile leave empty places: the list only grows.
    const std::size_t count = hooks_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (WindowHook* hook = hooks_[i]) {
            Guarded([&] {
                hook->handler_(message, wParam, lParam);
                return LRESULT{0};
            });
        }
    }
    if (--hooksRunning_ == 0) std::erase(hooks_, nullptr);
}

void Window::RemoveHook(WindowHook* hook) {
    const auto place = std::find(hooks_.begin(), hooks_.end(), hook);
    if (place == hooks_.end()) return;
    if (hooksRunning_ > 0) {
        *place = nullptr;
    } else {
        hooks_.erase(place);
    }
}

void Window::ReleaseHooks() {
    for (WindowHook*& hook : hooks_) {
        if (hook != nullptr) hook->window_ = nullptr;
        hook = nullptr;
    }
    if (hooksRunning_ == 0) hooks_.clear();
}

void WindowHook::Install(HWND window, Handler handler) {
    Remove();
    Window* target = Window::FromHandle(window);
    if (target == nullptr) return;
    handler_ = std::move(handler);
    target->hooks_.push_back(this);
    window_ = target;
}

void WindowHook::Remove() {
    if (window_ == nullptr) return;
    window_->RemoveHook(this);
    window_ = nullptr;
}

void ReportException(const std::exception& error) { Application::Instance().HandleException(error); }

}  // namespace ricordex::win
