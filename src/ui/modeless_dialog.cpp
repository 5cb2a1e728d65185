#include "ui/modeless_dialog.h"

#include "win/application.h"

namespace ricordex::ui {
namespace {
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
}

ModelessDialog::ModelessDialog(HWND owner, const wchar_t* className, const wchar_t* caption, DWORD style,
                               int clientWidth, int clientHeight) {
    win::Application& application = win::Application::Instance();
    RegisterWindowClass(className);
    SetClientSizeAt96(clientWidth, clientHeight);
    const RECT r = win::CentredWindowRect(clientWidth, clientHeight, style, kExStyle, win::WindowDpi(nullptr));
    Create(className, caption, style, kExStyle, r.left, r.top, r.right - r.left, r.bottom - r.top, owner);
    application.AddForm(Handle());
}

ModelessDialog::~ModelessDialog() { win::Application::Instance().RemoveForm(Handle()); }

void ModelessDialog::CreateControls(std::span<const win::ControlSpec> table, std::initializer_list<int> bold) {
    table_ = table;
    bold_.assign(bold.begin(), bold.end());
    win::CreateControls(Handle(), table, nullptr);
    LayOut();
}

void ModelessDialog::FinishCreate(std::span<const win::PictureButtonSpec> pictureButtons) {
    tooltips_.Create(Handle());
    tooltips_.AddHints(Handle(), pictureButtons);
    MakeRoomForFonts();
    CentreOnScreen();
    LoadPictures();
}

void ModelessDialog::OnDpiChanged() {
    LayOut();
    MakeRoomForFonts();
    LoadPictures();
}

void ModelessDialog::CentreOnScreen() {
    // On the main window's monitor, which may not be the primary one.
    const RECT centred = win::CentredWindowRect(ClientSizeAt96().cx, ClientSizeAt96().cy,
                                                static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)),
                                                static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)),
                                                win::WindowDpi(Handle()), ::GetWindow(Handle(), GW_OWNER));
    const POINT at{centred.left, centred.top};
    FitWindowToClient(&at);
}

void ModelessDialog::LayOut(const win::LayoutShift& shift) {
    // The new fonts are given to the controls before the old ones go.
    const UINT dpi = win::WindowDpi(Handle());
    win::UniqueFont font(win::CreatePixelFont(win::kFormFont, 11, FW_NORMAL, dpi));
    win::UniqueFont boldFont(win::CreatePixelFont(win::kFormFont, 11, FW_BOLD, dpi));
    win::PlaceControls(Handle(), table_, font.get(), shift);
    for (int id : bold_) {
        ::SendDlgItemMessageW(Handle(), id, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont.get()), TRUE);
    }
    font_ = std::move(font);
    boldFont_ = std::move(boldFont);
    win::FitCaptions(Handle(), table_);
}

}  // namespace ricordex::ui
