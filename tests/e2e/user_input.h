#pragma once
// Real input, as a user gives it: keys and mouse clicks go through the
// window system's input queue to whatever window is in the foreground and
// has the focus, through the dialog manager, as they would from a keyboard.

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string_view>

namespace ricordex::e2e {

// Presses and releases a key, with the given modifiers held down.
void PressKey(WORD key, std::initializer_list<WORD> held = {});
// Presses each key in turn.
void PressKeys(std::initializer_list<WORD> keys);
// Types letters and digits as keys (letters come out as the keyboard gives them).
void TypeKeys(std::string_view text);
// A left click at a point of the screen, and at the middle of a window.
void ClickAt(POINT point);
void ClickOn(HWND window);
void RightClickAt(POINT point);

// Waits until the condition holds; false when it still does not after the timeout.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

}  // namespace ricordex::e2e
