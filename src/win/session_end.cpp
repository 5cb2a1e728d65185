#include "win/session_end.h"

namespace ricordex::win {

bool StartedAgainByWindows(std::wstring_view commandLine) {
    while (!commandLine.empty() && commandLine.front() == L' ') commandLine.remove_prefix(1);
    while (!commandLine.empty() && commandLine.back() == L' ') commandLine.remove_suffix(1);
    return commandLine == kRestartedArgument;
}

void RegisterRestartAfterUpdate() {
    // A program that crashes at each start must not be started again and
    // again: only a close by an installer or an update brings it back. A
    // failure leaves the program as it was without the registration.
    // Not after a reboot either: starting with Windows is the Run value's
    // to decide, which the user may have turned off.
    ::RegisterApplicationRestart(kRestartedArgument, RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}

UniqueShutdownBlockReason BlockShutdownWhile(HWND window, const wchar_t* reason) {
    if (window == nullptr || !::ShutdownBlockReasonCreate(window, reason)) return {};
    return UniqueShutdownBlockReason(window);
}

}  // namespace ricordex::win
