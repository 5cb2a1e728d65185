#pragma once
// A window bound to a C++ object, and a hook on another's window. Every
// message of either passes through one trampoline, which hands any exception
// to the application's default error handler instead of letting it cross
// the window system.

#include <windows.h>

#include <exception>
#include <functional>
#include <vector>

namespace ricordex::win {

class WindowHook;

// Hands an error to the application's default error handler.
void ReportException(const std::exception& error);

// Runs a piece of a window procedure so that no exception leaves it: the
// error is reported and the message gives 0, never the default processing
// (a close whose save failed must not destroy the window, and a failed
// creation handler must not abort the window's creation).
template <typename Handler>
LRESULT Guarded(Handler&& handler) noexcept {
    try {
        return handler();
    } catch (const std::exception& error) {
        ReportException(error);
        return 0;
    }
}

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers the class once per process. (Not RegisterClass: <windows.h>
    // would quietly make that RegisterClassW.) Without a small icon the
    // system makes one from the large, which costs more than loading it.
    static void RegisterWindowClass(const wchar_t* className, HICON icon = nullptr, HICON smallIcon = nullptr);

    // The object behind one of the program's windows; null for any other.
    static Window* FromHandle(HWND hwnd);

protected:
    // Creates the window with this object bound to it from WM_NCCREATE on;
    // throws an Error with the system's reason when it cannot.
    void Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HWND owner);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class WindowHook;

    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RunHooks(UINT message, WPARAM wParam, LPARAM lParam);
    void RemoveHook(WindowHook* hook);
    void ReleaseHooks();

    HWND hwnd_ = nullptr;
    // In the order they came; a hook that leaves while they run leaves an
    // empty place, cleared once they are done.
    std::vector<WindowHook*> hooks_;
    int hooksRunning_ = 0;
};

// Sees every message of one of the program's windows before the window's
// own handler does, then lets it go on. Any number of hooks chain on one
// window, run in the order they came, and leave it in any order. It goes with the object, or with the
// window when that goes first. (The window keeps its hooks itself: a
// subclass of the common controls' would load their library at every start.)
class WindowHook {
public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    WindowHook() = default;
    ~WindowHook() { Remove(); }
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;

    // A window that is not one of the program's is left unhooked.
    void Install(HWND window, Handler handler);
    void Remove();
    HWND Hooked() const { return window_ != nullptr ? window_->Handle() : nullptr; }

private:
    friend class Window;

    Window* window_ = nullptr;
    Handler handler_;
};

}  // namespace ricordex::win
