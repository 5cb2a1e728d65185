#include "ui/modeless_dialog.h"

#include "win/application.h"

namespace ricordex::ui {
namespace {
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}

ModelessDialog::ModelessDialog(HWND owner, const wchar_t* className, const wchar_t* caption, DWORD style,
                               int clientWidth, int clientHeight) {
    win::Application& application = win::Application::Instance();
    RegisterClass(className);
    const RECT r = win::CentredWindowRect(clientWidth, clientHeight, style, kExStyle, win::WindowDpi(nullptr));
    Create(className, caption, style, kExStyle, r.left, r.top, r.right - r.left, r.bottom - r.top, owner);
    application.AddForm(Handle());
}

ModelessDialog::~ModelessDialog() { win::Application::Instance().RemoveForm(Handle()); }

void ModelessDialog::CreateControls(std::span<const win::ControlSpec> table, std::initializer_list<int> bold) {
    const UINT dpi = win::WindowDpi(Handle());
    font_.reset(win::CreatePixelFont(L"MS Sans Serif", 11, FW_NORMAL, dpi));
    boldFont_.reset(win::CreatePixelFont(L"MS Sans Serif", 11, FW_BOLD, dpi));
    fieldBrush_.reset(::CreateSolidBrush(kFieldColour));
    panelBrush_.reset(::CreateSolidBrush(kPanelColour));
    win::CreateControls(Handle(), table, Font());
    for (int id : bold) {
        ::SendDlgItemMessageW(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    }
}

}  // namespace ricordex::ui
