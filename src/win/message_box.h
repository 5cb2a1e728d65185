#pragma once
// Every message box of the program is shown through here, so that tests can
// see how a box is asked for (owner, flags, language) instead of one opening.

#include <windows.h>

#include <functional>
#include <string>

namespace ricordex::win {

struct MessageBoxRequest {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
    WORD language;
};

// Shows the box and returns the button chosen.
int ShowMessageBox(const MessageBoxRequest& box);

// Tests: boxes go to `shower` instead of the screen until it is set back to
// nullptr.
using MessageBoxShower = std::function<int(const MessageBoxRequest& box)>;
void SetMessageBoxShower(MessageBoxShower shower);
bool MessageBoxesRedirected();  // to a shower

}  // namespace ricordex::win
