#pragma once
// A window bound to a C++ object. Every message of every such window passes
// through one trampoline, which hands any exception to the application's
// default error handler instead of letting it cross the window system.

#include <windows.h>

namespace ricordex::win {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers the class once per process.
    static void RegisterClass(const wchar_t* className, HICON icon = nullptr);

protected:
    // Creates the window with this object bound to it from WM_NCCREATE on.
    void Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HWND owner);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace ricordex::win
