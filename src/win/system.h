#pragma once
// The clock, the questions and the program's own folder.

#include <string>

#include "app/platform.h"
#include "win/window.h"

namespace ricordex::win {

class SystemClock final : public Clock {
public:
    DateTime Now() override;
};

// Message boxes owned by a window (the main form, also while hidden), in
// Italian (language identifier 16). Before the owner is set, as an error
// box is owned (see Application::ShowError).
class MessageBoxQuestions final : public Questions {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    int Ask(std::string_view text, std::string_view caption, unsigned flags) override;

private:
    HWND owner_ = nullptr;
};

inline constexpr WORD kItalian = 16;

// The folder of the running executable, with its trailing backslash.
std::wstring ProgramFolder();
// The full path of the running executable.
std::wstring ProgramPath();
// This PC's name, whole (not cut to 15 characters as its NetBIOS name);
// empty when it cannot be told.
std::wstring ComputerName();

}  // namespace ricordex::win
