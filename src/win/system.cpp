#include "win/system.h"

#include <vector>

#include "core/paths.h"
#include "win/application.h"
#include "win/message_box.h"
#include "win/text.h"

namespace ricordex::win {

DateTime SystemClock::Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return EncodeDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

int MessageBoxQuestions::Ask(std::string_view text, std::string_view caption, unsigned flags) {
    HWND owner = owner_;
    if (owner == nullptr || !::IsWindowVisible(owner)) {
        // Asked with the window in the notification area (the changes a
        // crash left unsaved, at a start there): owned as an error box
        // then, on top while no form is shown, or nothing would show it.
        // It takes the keys as the main window would have.
        Application& application = Application::Instance();
        HWND form = application.MainForm();
        owner = form != nullptr && ::IsWindowVisible(form) ? form : application.Handle();
        if (!application.AnyFormVisible()) flags |= MB_TOPMOST | MB_SETFOREGROUND;
    }
    const FormsWaitingFor box(owner);
    return ShowMessageBox({owner, Cp1252ToWide(text), Cp1252ToWide(caption), flags, kItalian});
}

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFolder() { return FolderOf(ProgramPath()); }

std::wstring ComputerName() {
    // The name the user gave the PC, whole: sync services name their copies
    // after it. The older name is cut at 15 characters.
    wchar_t full[256] = {};
    DWORD fullLength = 256;
    if (::GetComputerNameExW(ComputerNamePhysicalDnsHostname, full, &fullLength) && fullLength > 0) {
        return std::wstring(full, fullLength);
    }
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &length) ? std::wstring(name, length) : std::wstring();
}

}  // namespace ricordex::win
