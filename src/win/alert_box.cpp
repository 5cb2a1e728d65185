#include "win/alert_box.h"

#include <commctrl.h>

namespace ricordex::win {
namespace {

// Esc answers the box as OK does, as in a message box with OK alone. (Wine
// ends a task dialog on Esc only through a button with Esc's id.)
LRESULT CALLBACK EscAsOk(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && lParam == 0) {
        ::SendMessageW(box, TDM_CLICK_BUTTON, IDOK, 0);
        return 0;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(box, EscAsOk, id);
    return ::DefSubclassProc(box, message, wParam, lParam);
}

HRESULT CALLBACK OnBoxEvent(HWND box, UINT notification, WPARAM, LPARAM, LONG_PTR) {
    if (notification == TDN_CREATED) {
        // On top, as a message box with MB_TOPMOST, without taking the keys
        // from the program the user types in: Windows decides that.
        ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowSubclass(box, EscAsOk, 1, 0);
        // The common OK speaks the system's language ("Ok" in Italian, in
        // Cyrillic in Russian); the box says "OK", as the message box did.
        ::SetDlgItemTextW(box, IDOK, L"OK");
    }
    return S_OK;
}

}  // namespace

int ShowAlertBox(const MessageBoxRequest& box) {
    if (MessageBoxesRedirected()) return ShowMessageBox(box);
    // Each choice says what it does, and one click or its letter does it.
    static const TASKDIALOG_BUTTON choices[] = {{kPutOffTenMinutes, L"Posticipa di 10 &minuti"},
                                                {kPutOffOneHour, L"Posticipa di 1 &ora"},
                                                {kPutOffTomorrow, L"Posticipa a &domani alle 9"}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = box.owner;
    config.dwFlags = TDF_USE_HICON_MAIN | TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_COMMAND_LINKS;
    config.pszWindowTitle = box.caption.c_str();
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = box.text.c_str();
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.cButtons = ARRAYSIZE(choices);
    config.pButtons = choices;
    config.nDefaultButton = IDOK;
    config.pfCallback = OnBoxEvent;
    int button = 0;
    if (const HRESULT result = ::TaskDialogIndirect(&config, &button, nullptr, nullptr); FAILED(result)) {
        // Without the dialog (it could not be made), a plain box: the alert is
        // still told, only not put off.
        ShowMessageBox(box);
        return IDOK;
    }
    return button == kPutOffTenMinutes || button == kPutOffOneHour || button == kPutOffTomorrow ? button : IDOK;
}

}  // namespace ricordex::win
