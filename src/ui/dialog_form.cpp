#include "ui/dialog_form.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "core/archive_record.h"
#include "core/vocabulary.h"
#include "ui/resource_ids.h"
#include "win/accessible.h"
#include "win/application.h"
#include "win/controls.h"
#include "win/pictures.h"
#include "win/text.h"

namespace ricordex::ui {
namespace {

using enum TFDialog::ControlId;

// No close box: "Annulla" closes it.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr int kClientWidth = 424;
constexpr int kClientHeight = 212;
constexpr RECT kPanel1 = {339, -1, 339 + 84, -1 + 211};
constexpr DWORD kDropDown = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

constexpr win::ControlSpec kDescription = {kEDescrizione, L"EDIT", L"", 3, 182, 334, 21, WS_TABSTOP | ES_AUTOHSCROLL,
                                           WS_EX_STATICEDGE};
constexpr win::ControlSpec kCalendar = {kDEvento, MONTHCAL_CLASSW, L"", 0, 3, 198, 153, WS_TABSTOP};

// In tab order, each label right before its field (a screen reader names
// a field by the label before it; the label's underlined letter takes the
// keyboard to it). The buttons stand on Panel1, at (2, 3) and (2, 63) in it.
const std::array<win::ControlSpec, 13> kControls = {{
    {kLDescrizione, L"STATIC", L"&Descrizione", 141, 167, 80, 13, SS_LEFT},
    kDescription,
    kCalendar,
    {kLOra, L"STATIC", L"&Ora", 205, 22, 25, 13, SS_LEFT},
    {kDTOra, DATETIMEPICK_CLASSW, L"", 232, 19, 67, 21, WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN},
    {kLInizio, L"STATIC", L"&Inizio Avvisi", 205, 45, 120, 13, SS_LEFT},
    {kEInizio, L"COMBOBOX", L"", 199, 58, 137, 300, kDropDown},
    {kLModalita, L"STATIC", L"&Modalit\u00e0", 205, 83, 120, 13, SS_LEFT},
    {kEModalita, L"COMBOBOX", L"", 199, 96, 137, 200, kDropDown},
    {kLRicorrenza, L"STATIC", L"&Ricorrenza Evento", 205, 122, 120, 13, SS_LEFT},
    {kERicorrenza, L"COMBOBOX", L"", 199, 136, 137, 80, kDropDown},
    // Picture buttons: their texts are not drawn, but name them to a screen reader.
    {kBInserisci, L"BUTTON", L"Conferma", 341, 2, 80, 60, WS_TABSTOP | BS_OWNERDRAW},
    {kBAnnulla, L"BUTTON", L"Annulla", 341, 62, 80, 60, WS_TABSTOP | BS_OWNERDRAW},
}};

// What a screen reader calls each field, whatever the system makes of the
// labels (the calendar has none on the screen).
const std::array<std::pair<int, const wchar_t*>, 6> kFieldNames = {{
    {kEDescrizione, L"Descrizione"},
    {kDEvento, L"Data Evento"},
    {kDTOra, L"Ora"},
    {kEInizio, L"Inizio Avvisi"},
    {kEModalita, L"Modalit\u00e0"},
    {kERicorrenza, L"Ricorrenza Evento"},
}};

const std::array<win::PictureButtonSpec, 2> kPictureButtons = {{
    {kBInserisci, IDI_BUTTON_CONFIRM, L"Conferma"},
    {kBAnnulla, IDI_BUTTON_CANCEL, L"Annulla"},
}};

SYSTEMTIME ToSystemTime(DateTime value) {
    const CivilDateTime c = DecodeDateTime(value);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(c.year);
    t.wMonth = static_cast<WORD>(c.month);
    t.wDay = static_cast<WORD>(c.day);
    t.wHour = static_cast<WORD>(c.hour);
    t.wMinute = static_cast<WORD>(c.minute);
    return t;
}

void SelectItem(HWND combo, int index) { ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

template <typename Labels, typename TextOf>
void RiempiCombo(HWND combo, const Labels& labels, TextOf textOf) {
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const auto& label : labels) {
        const std::wstring text = win::Cp1252ToWide(textOf(label));
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

}  // namespace

TFDialog::TFDialog(HWND owner, ProgramState& state, Clock& clock, std::function<void(RowId)> eventConfirmed)
    : ModelessDialog(owner, kDialogFormClass, L"Inserisci Evento", kFormStyle, kClientWidth, kClientHeight),
      state_(state),
      clock_(clock),
      eventConfirmed_(std::move(eventConfirmed)) {
    FormCreate();
}

void TFDialog::FormCreate() {
    CreateControls(kControls, {kDTOra, kLOra, kLDescrizione});
    for (const auto& [id, name] : kFieldNames) win::SetAccessibleName(::GetDlgItem(Handle(), id), name);
    ::SendDlgItemMessageW(Handle(), kDTOra, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    ::SendDlgItemMessageW(Handle(), kDEvento, MCM_SETMAXSELCOUNT, 1, 0);
    // No more than the archive keeps: nothing is cut without the user seeing it.
    ::SendDlgItemMessageW(Handle(), kEDescrizione, EM_LIMITTEXT, kFieldCapacity[kDescrizione], 0);
    RiempiCombo(::GetDlgItem(Handle(), kEModalita), ElencoModalita, [](const Label& l) { return l.text; });
    RiempiCombo(::GetDlgItem(Handle(), kEInizio), ElencoInizio, [](const Label& l) { return l.text; });
    RiempiCombo(::GetDlgItem(Handle(), kERicorrenza), ElencoRicorrenza, [](std::string_view t) { return t; });
    FinishCreate(kPictureButtons);
}

void TFDialog::MakeRoomForFonts() {
    // The month calendar needs a size that depends on its font; the layout
    // gives it 198 x 153, which the fonts of some machines do not fit in.
    // The calendar then grows, and what stands right of it or below it moves.
    HWND calendar = ::GetDlgItem(Handle(), kDEvento);
    RECT needed{};
    ::SendMessageW(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed));
    // The "Today" line is not counted in the minimum.
    const auto today = static_cast<LONG>(::SendMessageW(calendar, MCM_GETMAXTODAYWIDTH, 0, 0));
    needed.right = std::max(needed.right, needed.left + today);
    const UINT dpi = win::WindowDpi(Handle());
    // How much more than the layout's size the calendar needs, at 96 DPI.
    auto more = [dpi](LONG pixels, int laidOut) { return std::max(0, win::UnscaleUp(pixels, dpi) - laidOut); };
    roomForCalendar_ = {more(needed.right - needed.left, kCalendar.width),
                        more(needed.bottom - needed.top, kCalendar.height)};
    SetClientSizeAt96(kClientWidth + roomForCalendar_.cx, kClientHeight + roomForCalendar_.cy);
    if (roomForCalendar_.cx == 0 && roomForCalendar_.cy == 0) return;
    LayOut({{kCalendar.x + kCalendar.width, kCalendar.y + kCalendar.height}, roomForCalendar_});
    auto grow = [this, dpi](int id, int width, int height) {
        ::SetWindowPos(::GetDlgItem(Handle(), id), nullptr, 0, 0, win::Scale(width, dpi), win::Scale(height, dpi),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(kDEvento, kCalendar.width + roomForCalendar_.cx, kCalendar.height + roomForCalendar_.cy);
    grow(kEDescrizione, kDescription.width + roomForCalendar_.cx, kDescription.height);
}

void TFDialog::LoadPictures() {
    const UINT dpi = win::WindowDpi(Handle());
    for (std::size_t i = 0; i < kPictureButtons.size(); ++i) {
        pictures_[i].reset(win::LoadProgramIcon(kPictureButtons[i].picture, win::Scale(32, dpi)));
    }
}

RECT TFDialog::Panel() const {
    return {kPanel1.left + roomForCalendar_.cx, kPanel1.top, kPanel1.right + roomForCalendar_.cx,
            kPanel1.bottom + roomForCalendar_.cy};
}

void TFDialog::Fill(const EditorFields& fields) {
    ::SetDlgItemTextW(Handle(), kEDescrizione, win::Cp1252ToWide(fields.descrizione).c_str());
    SelectItem(::GetDlgItem(Handle(), kEInizio), fields.inizio);
    SYSTEMTIME date = ToSystemTime(fields.data);
    ::SendDlgItemMessageW(Handle(), kDEvento, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    SYSTEMTIME time = ToSystemTime(fields.data);  // the time of day on the event's date
    const CivilDateTime t = DecodeDateTime(fields.ora);
    time.wHour = static_cast<WORD>(t.hour);
    time.wMinute = static_cast<WORD>(t.minute);
    ::SendDlgItemMessageW(Handle(), kDTOra, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    SelectItem(::GetDlgItem(Handle(), kEModalita), fields.modalita);
    SelectItem(::GetDlgItem(Handle(), kERicorrenza), fields.ricorrenza);
}

EditorFields TFDialog::Fields() const {
    EditorFields fields;
    fields.descrizione = win::WideToCp1252(Text(kEDescrizione));
    SYSTEMTIME date{}, time{};
    ::SendDlgItemMessageW(Handle(), kDEvento, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    ::SendDlgItemMessageW(Handle(), kDTOra, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    fields.data = TryEncodeDate(date.wYear, date.wMonth, date.wDay).value_or(0);
    fields.ora = TryEncodeTime(time.wHour, time.wMinute, 0, 0).value_or(0);
    auto selected = [this](int id) { return static_cast<int>(::SendDlgItemMessageW(Handle(), id, CB_GETCURSEL, 0, 0)); };
    fields.inizio = selected(kEInizio);
    fields.modalita = selected(kEModalita);
    fields.ricorrenza = selected(kERicorrenza);
    return fields;
}

void TFDialog::ShowOnTop() {
    // First in the focus order, its text selected: typing replaces it.
    SetActiveControl(::GetDlgItem(Handle(), kEDescrizione));
    ::SendDlgItemMessageW(Handle(), kEDescrizione, EM_SETSEL, 0, -1);
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void TFDialog::OpenInsertMode() {
    ::SetWindowTextW(Handle(), L"Inserisci");
    editMode_ = false;
    editing_.reset();
    Fill(InsertModeFields(clock_.Now()));
    ShowOnTop();
}

void TFDialog::OpenEditMode(RowId row) {
    const std::optional<std::size_t> position = state_.list.Find(row);
    if (!position) return;
    // Read first: a row whose date can't be read leaves the dialog as it
    // was, still aimed at the row it shows.
    const EditorFields fields = EditModeFields(state_.list.At(*position), CurrentYear(clock_));
    ::SetWindowTextW(Handle(), L"Modifica");
    editMode_ = true;
    editing_ = row;
    Fill(fields);
    ShowOnTop();
}

void TFDialog::BInserisciClick() {
    const RowId added = ConfirmEvent(state_, editMode_ ? editing_ : std::nullopt, Fields());
    ::ShowWindow(Handle(), SW_HIDE);
    eventConfirmed_(added);
}

void TFDialog::BAnnullaClick() { ::ShowWindow(Handle(), SW_HIDE); }

int TFDialog::DefaultButton() const { return kBInserisci; }

LRESULT TFDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Escape reaches a modeless dialog as IDCANCEL; Enter presses the
        // focused button, elsewhere the default one.
        if (LOWORD(wParam) == kBInserisci) BInserisciClick();
        if (LOWORD(wParam) == kBAnnulla || LOWORD(wParam) == IDCANCEL) BAnnullaClick();
        return 0;
    case WM_PAINT:
        PaintPanel(Panel());
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const HICON picture = pictures_[item.CtlID == kBInserisci ? 0 : 1].get();
        win::DrawFlatButton(item, {picture, win::GlyphPlacement::Alone, Colour(Ink::Panel), Colour(Ink::Caption), Font()});
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        ::SetTextColor(reinterpret_cast<HDC>(wParam), Colour(Ink::Caption));
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        ::SetBkColor(reinterpret_cast<HDC>(wParam), Colour(Ink::Field));
        ::SetTextColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(FieldBrush());
    case WM_CLOSE:
        BAnnullaClick();
        return 0;
    default:
        return Form::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::ui
