#include "e2e/user_input.h"

#include <thread>
#include <vector>

namespace ricordex::e2e {
namespace {

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Send(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Let the program's loop take the keys before the next ones come.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

}  // namespace

void PressKey(WORD key, std::initializer_list<WORD> held) {
    std::vector<INPUT> inputs;
    for (WORD modifier : held) inputs.push_back(Key(modifier, false));
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto it = held.end(); it != held.begin();) inputs.push_back(Key(*--it, true));
    Send(std::move(inputs));
}

void PressKeys(std::initializer_list<WORD> keys) {
    for (WORD key : keys) PressKey(key);
}

void TypeKeys(std::string_view text) {
    std::vector<INPUT> inputs;
    for (char c : text) {
        const auto key = static_cast<WORD>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        inputs.push_back(Key(key, false));
        inputs.push_back(Key(key, true));
    }
    Send(std::move(inputs));
}

namespace {

// Onto the point in two moves, as a hand does: a single move that lands where
// the pointer already is tells the window nothing. The first goes to `from`.
void MoveAndClick(POINT from, POINT point, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    auto at = [&](POINT p, DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = (p.x - left) * 65536 / width + 1;
        input.mi.dy = (p.y - top) * 65536 / height + 1;
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | flags;
        return input;
    };
    Send({at(from, MOUSEEVENTF_MOVE)});
    Send({at(point, MOUSEEVENTF_MOVE)});
    Send({at(point, down)});
    Send({at(point, up)});
}

}  // namespace

void ClickAt(POINT point) { MoveAndClick({point.x - 20, point.y - 20}, point); }

void ClickOn(HWND window) {
    // From the window's own corner: the pointer never leaves it on the way.
    RECT r{};
    ::GetWindowRect(window, &r);
    MoveAndClick({r.left + 1, r.top + 1}, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void RightClickAt(POINT point) {
    MoveAndClick({point.x - 20, point.y - 20}, point, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace ricordex::e2e
