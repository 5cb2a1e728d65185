#include "ui/options_form.h"

#include <commdlg.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <climits>

#include "ui/alert_ports.h"
#include "ui/resource_ids.h"
#include "win/accessible.h"
#include "win/application.h"
#include "win/com_apartment.h"
#include "win/controls.h"
#include "win/late_loaded.h"
#include "win/long_paths.h"
#include "win/pictures.h"
#include "win/system.h"

namespace ricordex::ui {
namespace {

using enum TFOpzioni::ControlId;

// The close box only.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth = 468;
constexpr int kClientHeight = 237;
constexpr RECT kPanel1 = {385, 0, 385 + 84, 275};  // reaches past the bottom edge
constexpr int kPanelGap = 4;  // between a caption and the panel
constexpr DWORD kPictureButton = WS_TABSTOP | BS_OWNERDRAW;

// In tab order: the two fields, each after its label (a screen reader names
// a field by the label before it), the two boxes, then the buttons. The
// underlined letters take the keyboard to them. The picture buttons' texts
// are not drawn, but name them to a screen reader.
const std::array<win::ControlSpec, 11> kControls = {{
    {kLabel1, L"STATIC", L"&Suono predefinito allarme:", 3, 2, 149, 13, SS_LEFT},
    {kESuono, L"EDIT", L"", 3, 22, 369, 21, WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_STATICEDGE},
    {kLabel2, L"STATIC", L"&Cartella predefinita salvataggio:", 3, 91, 181, 13, SS_LEFT},
    {kESalva, L"EDIT", L"", 3, 111, 369, 21, WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_STATICEDGE},
    {kCBEsecuzioneA, L"BUTTON", L"&Esecuzione automatica all'avvio di Windows (consigliato)", 3, 184, 344, 17,
     WS_TABSTOP | BS_AUTOCHECKBOX},
    {kCBAvvioMax, L"BUTTON", L"&Mostra finestra principale all'avvio", 4, 208, 344, 17,
     WS_TABSTOP | BS_AUTOCHECKBOX},
    {kBSeleziona, L"BUTTON", L"Seleziona File", 3, 49, 65, 34, kPictureButton},
    {kBProva, L"BUTTON", L"Riproduci", 72, 49, 65, 34, kPictureButton},
    {kBSelSalva, L"BUTTON", L"Seleziona Cartella", 3, 137, 65, 34, kPictureButton},
    {kBInserisci, L"BUTTON", L"Conferma", 387, 3, 80, 60, kPictureButton},
    {kBAnnulla, L"BUTTON", L"Annulla", 387, 63, 80, 60, kPictureButton},
}};

const std::array<win::PictureButtonSpec, 5> kPictureButtons = {{
    {kBSeleziona, IDI_BUTTON_FILE, L"Seleziona File"},
    {kBProva, IDI_BUTTON_PLAY, L"Riproduci"},
    {kBSelSalva, IDI_BUTTON_FOLDER, L"Seleziona Cartella"},
    {kBInserisci, IDI_BUTTON_CONFIRM, L"Conferma"},
    {kBAnnulla, IDI_BUTTON_CANCEL, L"Annulla"},
}};

}  // namespace

TFOpzioni::TFOpzioni(HWND owner, ProgramState& state, Services& services, ListChange changeRows)
    : ModelessDialog(owner, kOptionsFormClass, L"Opzioni", kFormStyle, kClientWidth, kClientHeight),
      state_(state),
      services_(services),
      changeRows_(std::move(changeRows)) {
    FormCreate();
}

void TFOpzioni::FormCreate() {
    CreateControls(kControls, {kLabel1, kLabel2, kCBEsecuzioneA, kCBAvvioMax});
    win::SetAccessibleName(::GetDlgItem(Handle(), kESuono), L"Suono predefinito allarme");
    win::SetAccessibleName(::GetDlgItem(Handle(), kESalva), L"Cartella predefinita salvataggio");
    // The captions are maroon: a themed check box would paint them in the
    // theme's colour whatever the form says.
    for (int id : {kCBEsecuzioneA, kCBAvvioMax}) ::SetWindowTheme(::GetDlgItem(Handle(), id), L"", L"");
    FinishCreate(kPictureButtons);
}

void TFOpzioni::MakeRoomForFonts() {
    // A caption grown to its font may reach the panel: the panel and its
    // buttons then move right, and the window grows with them.
    const UINT dpi = win::WindowDpi(Handle());
    int right = 0;
    for (int id : {kLabel1, kLabel2, kCBEsecuzioneA, kCBAvvioMax}) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(Handle(), id), &r);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        right = std::max(right, static_cast<int>(r.right));
    }
    roomForCaptions_ = std::max(0, win::UnscaleUp(right, dpi) + kPanelGap - static_cast<int>(kPanel1.left));
    SetClientSizeAt96(kClientWidth + roomForCaptions_, kClientHeight);
    if (roomForCaptions_ > 0) LayOut({{static_cast<int>(kPanel1.left), INT_MAX}, {roomForCaptions_, 0}});
}

void TFOpzioni::LoadPictures() {
    const UINT dpi = win::WindowDpi(Handle());
    for (std::size_t i = 0; i < kPictureButtons.size(); ++i) {
        pictures_[i].reset(win::LoadProgramIcon(kPictureButtons[i].picture, win::Scale(i < 3 ? 24 : 32, dpi)));
    }
}

void TFOpzioni::Open() {
    // Opening again while open keeps the folder chosen.
    const OptionsView view = session_.Open(state_.settings, services_, !::IsWindowVisible(Handle()));
    ::SetDlgItemTextW(Handle(), kESalva, view.cartella.c_str());
    ::SetDlgItemTextW(Handle(), kESuono, view.suono.c_str());
    ::CheckDlgButton(Handle(), kCBEsecuzioneA, view.autostart ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Handle(), kCBAvvioMax, view.showAtStart ? BST_CHECKED : BST_UNCHECKED);
    SetActiveControl(::GetDlgItem(Handle(), kESuono));
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void TFOpzioni::BSelezionaClick() {
    const std::wstring initialFolder = services_.programFolder + L"Suoni";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = L"File Multimediale (*.wav)\0*.wav\0";
    dialog.lpstrInitialDir = initialFolder.c_str();
    dialog.lpstrTitle = L"Seleziona Suono";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // Cancelling leaves ESuono as it was.
    std::wstring file;
    {
        const win::FormsWaitingFor picker(Handle());
        file = win::ShowOpenFileDialog(dialog);
    }
    if (!file.empty()) ::SetDlgItemTextW(Handle(), kESuono, file.c_str());
}

void TFOpzioni::BProvaClick() { PlayAlarm(Text(kESuono)); }

std::wstring TFOpzioni::MostraDialogoBrowse(const wchar_t* title, unsigned flags) {
    wchar_t displayName[MAX_PATH] = {};  // the folder's name, which the browser fills up to MAX_PATH
    BROWSEINFOW browse{};
    browse.hwndOwner = Handle();
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = flags;
    PIDLIST_ABSOLUTE items = nullptr;
    {
        const win::FormsWaitingFor picker(Handle());
        win::EnterComApartment();
        items = ::SHBrowseForFolderW(&browse);
    }
    if (items == nullptr) return {};
    const std::wstring path = win::PathOfItem(items);
    ::CoTaskMemFree(items);
    return path.empty() ? std::wstring() : path + L"\\";
}

void TFOpzioni::TakeFolder(const std::wstring& folder) {
    if (!session_.TakeFolder(folder, services_.files, services_.questions)) return;
    ::SetDlgItemTextW(Handle(), kESalva, folder.c_str());
}

void TFOpzioni::BSelSalvaClick() {
    TakeFolder(MostraDialogoBrowse(L"Seleziona la cartella ...", BIF_RETURNONLYFSDIRS));
    // The question about a folder that holds an archive belongs to the main
    // window, which its closing activates: the keys come back here.
    ::SetForegroundWindow(Handle());
}

OptionsChoices TFOpzioni::Choices() const {
    return {Text(kESuono), ::IsDlgButtonChecked(Handle(), kCBEsecuzioneA) == BST_CHECKED,
            ::IsDlgButtonChecked(Handle(), kCBAvvioMax) == BST_CHECKED, {}};
}

void TFOpzioni::BInserisciClick() {
    changeRows_([this] { session_.Confirm(state_, services_, win::ProgramPath(), Choices()); });
    ::ShowWindow(Handle(), SW_HIDE);
}

void TFOpzioni::BAnnullaClick() {
    session_.Cancel(state_.settings);
    ::ShowWindow(Handle(), SW_HIDE);
}

int TFOpzioni::DefaultButton() const { return kBInserisci; }

LRESULT TFOpzioni::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kBSeleziona: BSelezionaClick(); break;
        case kBProva: BProvaClick(); break;
        case kBSelSalva: BSelSalvaClick(); break;
        case kBInserisci: BInserisciClick(); break;
        case kBAnnulla: case IDCANCEL: BAnnullaClick(); break;
        default: break;
        }
        return 0;
    case WM_PAINT:
        PaintPanel({kPanel1.left + roomForCaptions_, kPanel1.top, kPanel1.right + roomForCaptions_, kPanel1.bottom});
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HICON picture = nullptr;
        for (std::size_t i = 0; i < kPictureButtons.size(); ++i) {
            if (static_cast<int>(item.CtlID) == kPictureButtons[i].id) picture = pictures_[i].get();
        }
        const bool onPanel = item.CtlID == kBInserisci || item.CtlID == kBAnnulla;
        win::DrawFlatButton(item, {picture, win::GlyphPlacement::Alone,
                                   onPanel ? Colour(Ink::Panel) : ::GetSysColor(COLOR_BTNFACE), 0, Font()});
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));  // on the face: black, or the scheme's
        if (id == kCBEsecuzioneA || id == kCBAvvioMax) ::SetTextColor(dc, Colour(Ink::Warning));
        if (id == kESuono || id == kESalva) {  // read-only edits ask here
            ::SetBkColor(dc, Colour(Ink::Field));
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(FieldBrush());
        }
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
        // The close box only hides: nothing is applied or restored.
        ::ShowWindow(Handle(), SW_HIDE);
        return 0;
    default:
        return Form::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::ui
