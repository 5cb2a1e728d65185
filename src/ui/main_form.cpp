#include "ui/main_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <utility>

#include "app/delete_event.h"
#include "core/errors.h"
#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "ui/resource_ids.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/pictures.h"

namespace ricordex::ui {
namespace {

enum ControlId : int {
    kLTitolo = 100,
    kBChiudi,
    kListView1,
    kBNuovoEvento,
    kBModificaEvento,
    kBEliminaEvento,
    kBOpzioni,
    kBHelp,
};

// Panel1 is drawn by the form: the command buttons stand on it.
constexpr RECT kPanel1 = {0, 0, 92, 377};
constexpr COLORREF kPanelColour = RGB(216, 216, 216);
constexpr COLORREF kCaptionGrey = RGB(128, 128, 128);
constexpr COLORREF kTitleNavy = RGB(0, 0, 128);

const std::array<win::PictureButtonSpec, 5> kCommandButtons = {{
    {kBNuovoEvento, IDI_BUTTON_NEW, L"Nuovo"},
    {kBModificaEvento, IDI_BUTTON_MODIFY, L"Modifica"},
    {kBEliminaEvento, IDI_BUTTON_DELETE, L"Elimina"},
    {kBOpzioni, IDI_BUTTON_OPTIONS, L"Opzioni"},
    {kBHelp, IDI_BUTTON_HELP, L"Help"},
}};
constexpr std::size_t kChiudiPicture = 5;

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kShowPendingReports = WM_APP + 1;
constexpr UINT kCloseIfAnswered = WM_APP + 2;
constexpr UINT_PTR kShowHiddenDialogsTimer = 2;

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

}  // namespace

TFMain::TFMain(ProgramState& state, Services& services)
    : state_(state),
      services_(services),
      listView1_(state.list, services.clock, unreadable_, [this](const std::exception& e) { ReportLater(e); }),
      timer1_(kTimer1, kSoonInterval),
      alertPorts_(timer1_, *this),
      scheduler_(state, services.clock, alertPorts_, unreadable_, [this](const std::exception& e) { ReportLater(e); }) {
    services_.report = [this](const std::exception& e) { ReportLater(e); };
    win::Application& application = win::Application::Instance();
    programIcon_.reset(win::LoadProgramIcon(IDI_PROGRAM, 32));
    RegisterClass(kMainFormClass, programIcon_.get());
    SetClientSizeAt96(kClientWidth, kClientHeight);
    const RECT r = win::CentredWindowRect(kClientWidth, kClientHeight, kFormStyle, kFormExStyle,
                                          win::WindowDpi(nullptr));
    Create(kMainFormClass, L"Ricordex", kFormStyle, kFormExStyle, r.left, r.top, r.right - r.left, r.bottom - r.top,
           application.Handle());
}

TFMain::~TFMain() { services_.report = nullptr; }

void TFMain::CreateControls() {
    panelBrush_.reset(::CreateSolidBrush(kPanelColour));
    win::CreateControls(Handle(), kControls, nullptr);
    tooltips_.Create(Handle());
    tooltips_.AddHints(Handle(), kCommandButtons);
    LayOut();
    listView1_.Attach(::GetDlgItem(Handle(), kListView1), imageList1_.get());
}

void TFMain::LayOut() {
    // The new fonts and images are given out before the old ones go.
    const UINT dpi = win::WindowDpi(Handle());
    win::UniqueGdiObject font(win::CreatePixelFont(L"MS Sans Serif", 11, FW_NORMAL, dpi));
    win::UniqueGdiObject titleFont(win::CreatePixelFont(L"Comic Sans MS", 13, FW_BOLD, dpi));
    win::PlaceControls(Handle(), kControls, static_cast<HFONT>(font.get()));
    ::SendDlgItemMessageW(Handle(), kLTitolo, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont.get()), TRUE);
    font_ = std::move(font);
    titleFont_ = std::move(titleFont);
    win::FitCaptions(Handle(), kControls);

    // ImageList1: the row status icons, 0 distant, 1 pending, 2 past, 3 imminent.
    const int iconSize = win::Scale(16, dpi);
    win::UniqueImageList images(::ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 4, 0));
    for (int id : {IDI_STATUS_DISTANT, IDI_STATUS_PENDING, IDI_STATUS_PAST, IDI_STATUS_IMMINENT}) {
        win::UniqueIcon icon(win::LoadProgramIcon(id, iconSize));
        ::ImageList_AddIcon(images.get(), icon.get());
    }
    if (listView1_.Handle() != nullptr) listView1_.SetImages(images.get());
    imageList1_ = std::move(images);

    for (std::size_t i = 0; i < kCommandButtons.size(); ++i) {
        buttonPictures_[i].reset(win::LoadProgramIcon(kCommandButtons[i].picture, win::Scale(32, dpi)));
    }
    buttonPictures_[kChiudiPicture].reset(win::LoadProgramIcon(IDI_BUTTON_CLOSE, win::Scale(16, dpi)));
}

void TFMain::OnDpiChanged() {
    LayOut();
    listView1_.FitColumnsToDpi();
}

void TFMain::PaintPanel() {
    // The buttons cover the panel's left edge but in the gap between
    // "Elimina Evento" and "Opzioni", where a lone dark line would show.
    win::PaintPanel(Handle(), kPanel1, static_cast<HBRUSH>(panelBrush_.get()), BF_TOP | BF_RIGHT | BF_BOTTOM);
}

void TFMain::DrawButton(const DRAWITEMSTRUCT& item) {
    win::FlatButtonLook look{nullptr, win::GlyphPlacement::Above, kPanelColour, kCaptionGrey,
                             static_cast<HFONT>(font_.get())};
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

void TFMain::CreateTrayIcon() {
    const std::array<int, 4> pictures = {IDI_MENU_STOP, IDI_MENU_WINDOW, IDI_MENU_NEW, IDI_MENU_OPTIONS};
    // Menus follow the system's DPI.
    const int pictureSize = win::Scale(16, win::WindowDpi(nullptr));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        win::UniqueIcon icon(win::LoadProgramIcon(pictures[i], pictureSize));
        menuPictures_[i].reset(win::BitmapFromIcon(icon.get(), pictureSize));
    }
    auto picture = [this](std::size_t i) { return static_cast<HBITMAP>(menuPictures_[i].get()); };
    pMenu1_.Add({L"Interrompi Esecuzione", [this] { Chiudi1Click(); }, picture(0)});
    pMenu1_.Add({L"Finestra Principale", [this] { FinestraPrincipale1Click(); }, picture(1)});
    pMenu1_.Add({L"Nuova Scadenza", [this] { BNuovoEventoClick(); }, picture(2)});
    pMenu1_.Add({L"Opzioni", [this] { BOpzioniClick(); }, picture(3)});

    trayI_ = std::make_unique<tray::TTrayIcon>(Handle());
    trayI_->SetHint("Ricordex");
    // The notification area's own size: a large icon shrunk there blurs.
    const win::UniqueIcon small(win::LoadProgramIcon(IDI_PROGRAM, ::GetSystemMetrics(SM_CXSMICON)));
    trayI_->ReadIcon(small.get());
    trayI_->SetIconIndex(0);
    trayI_->SetCycleInterval(0);
    trayI_->SetPopupMenu(&pMenu1_);
    trayI_->SetStartMinimized(true);
    trayI_->SetMinimizeToTray(true);
    trayI_->OnClick = [this](tray::TTrayIcon&) { TrayIClick(); };
    trayI_->Loaded();
}

void TFMain::TrayIClick() { trayI_->ShowMainWindow(); }

void TFMain::FinestraPrincipale1Click() { trayI_->ShowMainWindow(); }

void TFMain::SetDialogs(TFDialog* dialog, TFOpzioni* options) {
    fDialog_ = dialog;
    fOpzioni_ = options;
}

TFDialog& TFMain::FDialog() {
    if (fDialog_ == nullptr) {
        ownDialog_ = std::make_unique<TFDialog>(*this);
        fDialog_ = ownDialog_.get();
    }
    return *fDialog_;
}

TFOpzioni& TFMain::FOpzioni() {
    if (fOpzioni_ == nullptr) {
        ownOptions_ = std::make_unique<TFOpzioni>(*this);
        fOpzioni_ = ownOptions_.get();
    }
    return *fOpzioni_;
}

void TFMain::ShowDialogs(bool show) {
    for (ModelessDialog* dialog : {static_cast<ModelessDialog*>(fDialog_), static_cast<ModelessDialog*>(fOpzioni_)}) {
        if (dialog == nullptr) continue;
        HWND window = dialog->Handle();
        if (!show && ::IsWindowVisible(window)) {
            hiddenDialogs_.push_back(window);
            ::ShowWindow(window, SW_HIDE);
        }
    }
    // Back a moment after the window itself is shown and raised: shown
    // before, Wine's desktop would leave them behind it.
    if (show && !hiddenDialogs_.empty()) ::SetTimer(Handle(), kShowHiddenDialogsTimer, 150, nullptr);
}

bool TFMain::BringWaitingBoxForward() {
    // Error boxes shown while the window is in the tray belong to the
    // application window: counted all the same.
    win::Application& application = win::Application::Instance();
    if (application.BoxesOpen() == 0 && ::IsWindowEnabled(Handle())) return false;
    if (HWND box = application.WaitingBox()) ::SetForegroundWindow(box);
    return true;
}

void TFMain::BNuovoEventoClick() {
    if (BringWaitingBoxForward()) return;
    hiddenDialogs_.clear();  // opened afresh: nothing of the old one comes back later
    FDialog().OpenInsertMode();
}

void TFMain::BModificaEventoClick() {
    const std::optional<RowId> selected = listView1_.SelectedId();
    if (!selected) return;
    hiddenDialogs_.clear();
    FDialog().OpenEditMode(*selected);
}

void TFMain::EliminaEvento() {
    listView1_.ChangeRows([this] {
        ricordex::EliminaEvento(state_, services_.questions, [this] { return listView1_.SelectedId(); });
    });
}

void TFMain::BOpzioniClick() {
    if (BringWaitingBoxForward()) return;
    hiddenDialogs_.clear();
    FOpzioni().Open();
}

void TFMain::BHelpClick() {
    // A missing page or a file type without a program is not reported.
    const std::wstring page = services_.programFolder + L"Ricordex.html";
    ::ShellExecuteW(Handle(), nullptr, page.c_str(), nullptr, nullptr, SW_SHOW);
}

void TFMain::ListView1ColumnClick(int column) {
    listView1_.ChangeRows([&] { state_.list.SortBy(column); });
}

void TFMain::EventConfirmed(RowId row) {
    listView1_.ChangeRows([] {}, row);
    timer1_.SetInterval(kSoonInterval);
}

bool TFMain::OnListCommand(const NMHDR& header) {
    if (header.hwndFrom != listView1_.Handle()) return false;
    switch (header.code) {
    case LVN_COLUMNCLICK:
        ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return true;
    case NM_DBLCLK:
    case NM_RETURN:
        BModificaEventoClick();
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) EliminaEvento();
        return false;
    default:
        return false;
    }
}

void TFMain::FormCreate() {
    win::Application& application = win::Application::Instance();
    bool showAtStart = false;
    try {
        showAtStart = StartUp(state_, services_, [&](const std::exception& e) { application.HandleException(e); });
    } catch (...) {
        listView1_.Refresh();  // the rows read before the failure
        throw;
    }
    listView1_.Refresh();
    ::SetWindowTextW(Handle(), kTitleText);
    if (showAtStart) application.SetShowMainForm(true);
}

void TFMain::FormClose() {
    SaveOnClose(state_, services_);
}

void TFMain::BChiudiClick() {
    FormClose();
    win::Application::Instance().Minimize();
}

void TFMain::Chiudi1Click() { ::PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TFMain::Timer1Timer() {
    // Not under an open box or dialog: the row they show must stay as it is.
    const bool dialogOpen = (fDialog_ != nullptr && ::IsWindowVisible(fDialog_->Handle())) ||
                            (fOpzioni_ != nullptr && ::IsWindowVisible(fOpzioni_->Handle()));
    const std::optional<RowId> selected = listView1_.SelectedId();
    const bool followed =
        win::Application::Instance().BoxesOpen() == 0 && !dialogOpen && FollowArchive(state_, services_);
    scheduler_.Timer1Timer();
    // Colours and icons follow the clock, not only the next repaint.
    listView1_.Refresh();
    if (followed) listView1_.Select(selected);
}

void TFMain::ReportLater(const std::exception& error) {
    pendingReports_.emplace_back(error.what());
    if (pendingReports_.size() == 1) ::PostMessageW(Handle(), kShowPendingReports, 0, 0);
}

void TFMain::ShowPendingReports() {
    // The box's own loop runs ticks and paints that may find more: those
    // wait for this box to be dismissed, then come in the next one.
    if (showingReports_) return;
    showingReports_ = true;
    while (!pendingReports_.empty()) {
        const std::string text = UnreadableRowsText(pendingReports_.front(), pendingReports_.size() - 1);
        pendingReports_.clear();
        win::Application::Instance().HandleException(ConvertError(text));
    }
    showingReports_ = false;
}

void TFMain::OnCommand(int id) {
    switch (id) {
    case kBChiudi: BChiudiClick(); break;
    case kBNuovoEvento: BNuovoEventoClick(); break;
    case kBModificaEvento: BModificaEventoClick(); break;
    case kBEliminaEvento: EliminaEvento(); break;
    case kBOpzioni: BOpzioniClick(); break;
    case kBHelp: BHelpClick(); break;
    case IDOK: OnEnter(); break;
    default: break;
    }
}

void TFMain::OnEnter() {
    if (::GetFocus() == listView1_.Handle()) BModificaEventoClick();
}

LRESULT TFMain::OnControlColor(HDC dc, HWND control) {
    if (::GetDlgCtrlID(control) == kLTitolo) ::SetTextColor(dc, kTitleNavy);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT showMainWindow = ::RegisterWindowMessageW(kShowMainWindowMessage);
    if (message == showMainWindow && trayI_) {
        trayI_->ShowMainWindow();
        // The form the user was in (the editor, say), or the box that waits.
        HWND target = win::Application::Instance().ActivationTarget();
        ::SetForegroundWindow(target != nullptr ? target : Handle());
        return 0;
    }
    switch (message) {
    case WM_CREATE: {
        win::Application& application = win::Application::Instance();
        application.SetMainForm(Handle());
        application.AddForm(Handle());  // Tab and Enter as in a dialog
        CreateControls();
        CreateTrayIcon();
        timer1_.Bind(Handle());
        timer1_.SetEnabled(true);
        FormCreate();
        return 0;
    }
    case WM_TIMER:
        if (wParam == kShowHiddenDialogsTimer) {
            ::KillTimer(Handle(), kShowHiddenDialogsTimer);
            // The dialog comes back where the user left it, taking the keys
            // as a window called back does (and only so is it raised).
            if (::IsWindowVisible(Handle())) {
                for (HWND window : std::exchange(hiddenDialogs_, {})) {
                    ::ShowWindow(window, SW_SHOW);
                    ::SetForegroundWindow(window);
                }
            }
            return 0;
        }
        if (wParam != kTimer1) break;  // the form's own
        Timer1Timer();
        return 0;
    case kShowPendingReports:
        ShowPendingReports();
        return 0;
    case WM_POWERBROADCAST:
        // Back from sleep: look at the list within a second, not at the next
        // tick; not in here, where an alert would hold up the system's
        // broadcast. An alert already open keeps the timer held off.
        if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) &&
            timer1_.Interval() != kHoldOffInterval) {
            timer1_.SetInterval(kSoonInterval);
        }
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (OnListCommand(header)) return 0;
        LRESULT result = 0;
        if (listView1_.HandleNotify(header, result)) return result;
        break;
    }
    case WM_PAINT:
        PaintPanel();
        return 0;
    case WM_DRAWITEM:
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
        // While a box keeps the window waiting, a close request (the tray
        // menu, an uninstaller) brings the box forward and waits for its
        // answer: closing under it would end its question, or an alert,
        // half-way.
        if (BringWaitingBoxForward()) {
            closeWhenAnswered_ = true;
            return 0;
        }
        // Any other close request ends the program, once FormClose has saved.
        FormClose();
        ::DestroyWindow(Handle());
        return 0;
    case WM_SHOWWINDOW:
        // Hidden in the notification area, the window takes its open
        // dialogs with it, as a minimised window does, and brings them back;
        // also when the system hides it with the minimised application window.
        if (lParam == 0 || lParam == SW_PARENTCLOSING || lParam == SW_PARENTOPENING) ShowDialogs(wParam != FALSE);
        return Form::HandleMessage(message, wParam, lParam);
    case WM_ENABLE:
        // A box is answered: once none is left, the close asked for
        // meanwhile goes ahead.
        if (wParam && closeWhenAnswered_) ::PostMessageW(Handle(), kCloseIfAnswered, 0, 0);
        return 0;
    case kCloseIfAnswered:
        if (closeWhenAnswered_ && win::Application::Instance().BoxesOpen() == 0 && ::IsWindowEnabled(Handle())) {
            closeWhenAnswered_ = false;
            ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Nobody is there to answer a question: keep every change.
        if (wParam) SaveAtEndOfSession(state_, services_);
        return 0;
    case WM_DESTROY:
        timer1_.SetEnabled(false);
        win::Application::Instance().RemoveForm(Handle());
        // The dialogs go with the window, and nothing points at them after.
        fDialog_ = nullptr;
        fOpzioni_ = nullptr;
        ownDialog_.reset();
        ownOptions_.reset();
        trayI_.reset();  // the icon leaves the notification area with the window
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace ricordex::ui
