#include "win/alert_box.h"

#include <commctrl.h>

#include "core/errors.h"

namespace ricordex::win {
namespace {

constexpr int kPosticipa = 200;

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
    }
    return S_OK;
}

}  // namespace

int ShowAlertBox(const MessageBoxRequest& box) {
    if (MessageBoxesRedirected()) return ShowMessageBox(box);
    static const TASKDIALOG_BUTTON choices[] = {
        {kPutOffTenMinutes, L"10 minuti"}, {kPutOffOneHour, L"1 ora"}, {kPutOffTomorrow, L"Domani alle 9"}};
    static const TASKDIALOG_BUTTON buttons[] = {{IDOK, L"OK"}, {kPosticipa, L"&Posticipa"}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = box.owner;
    config.dwFlags = TDF_USE_HICON_MAIN | TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = box.caption.c_str();
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = box.text.c_str();
    config.cButtons = ARRAYSIZE(buttons);
    config.pButtons = buttons;
    config.nDefaultButton = IDOK;
    config.cRadioButtons = ARRAYSIZE(choices);
    config.pRadioButtons = choices;
    config.nDefaultRadioButton = kPutOffTenMinutes;
    config.pfCallback = OnBoxEvent;
    int button = 0;
    int choice = 0;
    if (const HRESULT result = ::TaskDialogIndirect(&config, &button, &choice, nullptr); FAILED(result)) {
        // Without the dialog (it could not be made), a plain box: the alert is
        // still told, only not put off.
        ShowMessageBox(box);
        return IDOK;
    }
    return button == kPosticipa ? choice : IDOK;
}

}  // namespace ricordex::win
