// The main window's making and look: its controls, fonts, pictures and
// colours for its DPI, and the tray icon with its menu.
#include "ui/main_form.h"

#include <commctrl.h>

#include <array>
#include <utility>

// The dialogs are destroyed with a window whose making failed.
#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "ui/palette.h"
#include "ui/program_icons.h"
#include "ui/resource_ids.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/pictures.h"
#include "win/start_marks.h"
#include "win/work_while_painting.h"

namespace ricordex::ui {
namespace {

using enum TFMain::ControlId;

// Panel1 is drawn by the form: the command buttons stand on it.
constexpr RECT kPanel1 = {0, 0, 92, 377};

const std::array<win::PictureButtonSpec, 5> kCommandButtons = {{
    {kBNuovoEvento, IDI_BUTTON_NEW, L"Nuovo"},
    {kBModificaEvento, IDI_BUTTON_MODIFY, L"Modifica"},
    {kBEliminaEvento, IDI_BUTTON_DELETE, L"Elimina"},
    {kBOpzioni, IDI_BUTTON_OPTIONS, L"Opzioni"},
    {kBHelp, IDI_BUTTON_HELP, L"Help"},
}};
constexpr std::size_t kChiudiPicture = 5;

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 798;
constexpr int kClientHeight = 378;

constexpr DWORD kFlatButton = WS_TABSTOP | BS_OWNERDRAW;

// The list first: it has the focus when the window opens. Between
// "Elimina Evento" (ending at 180) and "Opzioni" (from 255) the panel is empty.
const std::array<win::ControlSpec, 8> kControls = {{
    {kListView1, WC_LISTVIEWW, L"", 92, 27, 703, 344,
     // The form owns the status images: the list only shows them.
     WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
     WS_EX_STATICEDGE},
    {kBNuovoEvento, L"BUTTON", L"Nuovo Evento", 0, 0, 90, 60, kFlatButton},
    {kBModificaEvento, L"BUTTON", L"Modifica Evento", 0, 60, 90, 60, kFlatButton},
    {kBEliminaEvento, L"BUTTON", L"Elimina Evento", 0, 120, 90, 60, kFlatButton},
    {kBOpzioni, L"BUTTON", L"Opzioni", 0, 255, 90, 60, kFlatButton},
    {kBHelp, L"BUTTON", L"Help", 0, 315, 90, 60, kFlatButton},
    {kLTitolo, L"STATIC", kTitleText, 96, 5, 267, 19, SS_LEFT | SS_NOPREFIX},
    {kBChiudi, L"BUTTON", L"Chiudi", 713, 0, 80, 27, kFlatButton},
}};

// ImageList1: the row status pictures, 0 distant, 1 pending, 2 past, 3
// imminent; from the strip drawn at their size, or else from their icons.
HIMAGELIST StatusImages(UINT dpi) {
    const int size = win::Scale(16, dpi);
    for (auto [stripSize, strip] : {std::pair{16, IDB_STATUS_16}, {20, IDB_STATUS_20}, {24, IDB_STATUS_24},
                                    {32, IDB_STATUS_32}}) {
        if (size != stripSize) continue;
        if (HIMAGELIST images = win::LoadPictureStrip(strip, size)) return images;
    }
    win::UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0));
    for (int id : {IDI_STATUS_DISTANT, IDI_STATUS_PENDING, IDI_STATUS_PAST, IDI_STATUS_IMMINENT}) {
        win::UniqueIcon icon(win::LoadProgramIcon(id, size));
        ::ImageList_AddIcon(images.get(), icon.get());
    }
    return images.release();
}

}  // namespace

TFMain::TFMain(ProgramState& state, Services& services, std::unique_ptr<StartLoad> startLoad)
    : state_(state),
      services_(services),
      reports_([this] { ::PostMessageW(Handle(), kShowPendingReports, 0, 0); }),
      listView1_(state.list, services.clock, unreadable_,
                 [this](const std::string& text) { reports_.AddUnreadableRow(text); }, state.missedUnnamed,
                 state.examinedUpTo),
      timer1_(kTimer1, kSoonInterval),
      alertPorts_(timer1_, *this),
      scheduler_({state.list, state.settings.suono, state.avvioProgramma, state.aggiornatoDaTimer, state.alertStamps,
                  state.examinedUpTo, state.loadIncomplete, state.missedUnnamed, postponed_},
                 services.clock, alertPorts_, unreadable_, [this](const std::string& text) { reports_.AddUnreadableRow(text); }),
      archiveWatch_(services.files, [this] { ::PostMessageW(Handle(), kArchiveLooked, 0, 0); }),
      startLoad_(std::move(startLoad)) {
    services_.report = [this](const std::string& text) { reports_.Add(text); };
    services_.inform = [this](const std::string& text) { reports_.AddNotice(text); };
    try {
        postponed_ = Postponements::FromText(ReadPostponedAlerts(services.registry));
    } catch (const RegistryError& error) {
        reports_.Add(error.what());  // written anew at the next one put off
    }
    services_.runFileWork = [](const std::function<void()>& work) { win::RunWhilePainting(work); };
    listView1_.SetCommands({[this](int column) { ListView1ColumnClick(column); },
                            [this] { BModificaEventoClick(); }, [this] { EliminaEvento(); }});
    RegisterWindowClass(kMainFormClass, ProgramIcon(), ProgramSmallIcon());
    SetClientSizeAt96(kClientWidth, kClientHeight);
    const RECT r = win::CentredWindowRect(kClientWidth, kClientHeight, kFormStyle, kFormExStyle,
                                          win::WindowDpi(nullptr));
    Create(kMainFormClass, L"Ricordex", kFormStyle, kFormExStyle, r.left, r.top, r.right - r.left, r.bottom - r.top,
           win::Application::Instance().Handle());
}

void TFMain::CreateControls() {
    controlsCreated_ = true;  // once: a failure half-way does not make a second set
    win::RegisterCommonControls();
    win::MarkStart("common controls");
    win::CreateControls(Handle(), kControls, nullptr);
    if (startFinished_) CreateHints();  // else as the start finishes: a hint waits for the mouse
    LayOut();
    // Made at the system's DPI; its monitor's may differ (a laptop docked,
    // the scale changed without signing out): the window takes the size
    // its layout has there, centred on that monitor, before it is seen.
    const RECT centred = win::CentredWindowRect(kClientWidth, kClientHeight, kFormStyle, kFormExStyle,
                                                win::WindowDpi(Handle()), Handle());
    const POINT at{centred.left, centred.top};
    FitWindowToClient(&at);
    listView1_.Attach(::GetDlgItem(Handle(), kListView1), imageList1_.get());
    // Rows given to a list not yet on screen are laid out once; given
    // after, the list is laid out again (its scroll bar comes). An archive
    // not read yet (a large one, a slow network folder) comes as the start
    // finishes, the window on screen meanwhile.
    if (startLoad_ && startLoad_->Done()) FinishLoad();
    win::MarkStart("window's controls");
}

void TFMain::CreateHints() {
    tooltips_.Create(Handle());
    tooltips_.AddHints(Handle(), kCommandButtons);
    tooltips_.SetActive(::GetActiveWindow() == Handle());
}

void TFMain::LayOut() {
    // The new fonts and images are given out before the old ones go.
    const UINT dpi = win::WindowDpi(Handle());
    win::UniqueFont font(win::CreatePixelFont(win::kFormFont, 11, FW_NORMAL, dpi));
    win::UniqueFont titleFont(win::CreatePixelFont(L"Comic Sans MS", 13, FW_BOLD, dpi));
    win::PlaceControls(Handle(), kControls, font.get());
    ::SendDlgItemMessageW(Handle(), kLTitolo, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont.get()), TRUE);
    font_ = std::move(font);
    titleFont_ = std::move(titleFont);
    win::FitCaptions(Handle(), kControls);

    win::UniqueImageList images(StatusImages(dpi));
    if (listView1_.Handle() != nullptr) listView1_.SetImages(images.get());
    imageList1_ = std::move(images);

    for (std::size_t i = 0; i < kCommandButtons.size(); ++i) {
        buttonPictures_[i].reset(win::LoadProgramIcon(kCommandButtons[i].picture, win::Scale(32, dpi)));
    }
    buttonPictures_[kChiudiPicture].reset(win::LoadProgramIcon(IDI_BUTTON_CLOSE, win::Scale(16, dpi)));
}

void TFMain::OnDpiChanged() {
    if (!ControlsCreated()) return;  // made for the DPI of their time
    LayOut();
    listView1_.FitColumnsToDpi();
}

void TFMain::PaintPanel() {
    if (!ControlsCreated()) return;
    // The buttons cover the panel's left edge but in the gap between
    // "Elimina Evento" and "Opzioni", where a lone dark line would show.
    win::PaintPanel(Handle(), kPanel1, Brush(Ink::Panel), BF_TOP | BF_RIGHT | BF_BOTTOM);
}

void TFMain::DrawButton(const DRAWITEMSTRUCT& item) {
    win::FlatButtonLook look{nullptr, win::GlyphPlacement::Above, Colour(Ink::Panel), Colour(Ink::Caption),
                             font_.get()};
    if (item.CtlID == kBChiudi) {
        look.picture = buttonPictures_[kChiudiPicture].get();
        look.placement = win::GlyphPlacement::Right;
        look.background = ::GetSysColor(COLOR_BTNFACE);
        look.text = ::GetSysColor(COLOR_BTNTEXT);
    } else {
        for (std::size_t i = 0; i < kCommandButtons.size(); ++i) {
            if (static_cast<int>(item.CtlID) == kCommandButtons[i].id) look.picture = buttonPictures_[i].get();
        }
        // "Help" stands closer to its picture.
        if (item.CtlID == kBHelp) look.spacing = 0;
    }
    win::DrawFlatButton(item, look);
}

LRESULT TFMain::OnControlColor(HDC dc, HWND control) {
    if (::GetDlgCtrlID(control) == kLTitolo) ::SetTextColor(dc, Colour(Ink::Title));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void TFMain::CreateTrayIcon() {
    pMenu1_.Add({L"Interrompi Esecuzione", [this] { Chiudi1Click(); }});
    pMenu1_.Add({L"Finestra Principale", [this] { FinestraPrincipale1Click(); }});
    pMenu1_.Add({L"Nuova Scadenza", [this] { BNuovoEventoClick(); }});
    pMenu1_.Add({L"Opzioni", [this] { BOpzioniClick(); }});
    // The pictures are made the first time the menu opens: a start does
    // without them.
    pMenu1_.OnPopup = [this] {
        if (menuPictures_[0]) return;
        const std::array<int, 4> pictures = {IDI_MENU_STOP, IDI_MENU_WINDOW, IDI_MENU_NEW, IDI_MENU_OPTIONS};
        const int pictureSize = win::Scale(16, win::WindowDpi(nullptr));  // menus follow the system's DPI
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            win::UniqueIcon icon(win::LoadProgramIcon(pictures[i], pictureSize));
            menuPictures_[i].reset(win::BitmapFromIcon(icon.get(), pictureSize));
            pMenu1_.SetPicture(i, menuPictures_[i].get());
        }
    };

    trayI_ = std::make_unique<tray::TTrayIcon>(Handle());
    trayI_->SetHint("Ricordex");
    // The notification area's own size: a large icon shrunk there blurs.
    trayI_->ReadIcon(ProgramSmallIcon());
    trayI_->SetIconIndex(0);
    trayI_->SetCycleInterval(0);
    trayI_->SetPopupMenu(&pMenu1_);
    trayI_->SetStartMinimized(true);
    trayI_->SetMinimizeToTray(true);
    trayI_->OnClick = [this](tray::TTrayIcon&) { TrayIClick(); };
    trayI_->LoadedWithoutIcon();
}

}  // namespace ricordex::ui
