#include "ui/event_list_view.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <utility>

#include "alerts/row_status.h"
#include "core/vocabulary.h"
#include "ui/palette.h"
#include "win/accessible.h"
#include "win/controls.h"
#include "win/dc_guards.h"
#include "win/text.h"

namespace ricordex::ui {
namespace {

struct ColumnSpec {
    const wchar_t* caption;
    int width;
    int format;
};

// Column k shows the row's field k; the stamp has no column.
constexpr std::array<ColumnSpec, 6> kColumns = {{
    {L"Descrizione", 327, LVCFMT_LEFT},
    {L"Inizio Avvisi", 96, LVCFMT_LEFT},
    {L"Data Evento", 72, LVCFMT_CENTER},
    {L"Ora", 40, LVCFMT_CENTER},
    {L"Frequenza Avvisi", 95, LVCFMT_LEFT},
    {L"Ricorrenza", 70, LVCFMT_LEFT},
}};

// Room a header leaves around its text: its margins either side.
constexpr int kHeaderPadding = 14;

COLORREF ToColorRef(std::uint32_t colour) {
    return (colour & 0xFF000000u) == 0xFF000000u ? ::GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

}  // namespace

void EventListView::Attach(HWND list, HIMAGELIST images) {
    list_ = list;
    SetImages(images);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    ApplyColours();
    // A screen reader reads each row's description, then where it stands:
    // the colour and the icon say it only to the eye.
    win::SetAccessibleText(list_, {L"Eventi",
                                   [this](int row) {
                                       if (row < 0 || static_cast<std::size_t>(row) >= RowCount()) return std::wstring();
                                       return win::Cp1252ToWide(rows_.At(static_cast<std::size_t>(row)).Text(kDescrizione));
                                   },
                                   [this](int row) {
                                       if (row < 0 || static_cast<std::size_t>(row) >= RowCount()) return std::wstring();
                                       const std::optional<RowStatus> status = StatusAt(static_cast<std::size_t>(row));
                                       return status ? win::Cp1252ToWide(StatusName(*status)) : std::wstring();
                                   }});
    // Made at their widths: each width set afterwards lays the list out again.
    const ColumnWidths widths = WidthsAtDpi();
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM | LVCF_WIDTH;
        column.fmt = kColumns[i].format;
        column.cx = widths[i];
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list_, static_cast<int>(i), &column);
    }
    Refresh();  // which fits "Descrizione" to the rest
    // A new list has nothing selected: clearing every row's state would
    // cost a pass over all of them.
    if (const std::optional<RowId> pending = std::exchange(pendingSelection_, std::nullopt)) Select(pending);
}

EventListView::~EventListView() {
    // The list control may outlive this view: its rows are no longer told.
    if (list_ != nullptr && ::IsWindow(list_)) win::SetAccessibleName(list_, L"Eventi");
}

void EventListView::ApplyColours() {
    if (list_ == nullptr) return;
    // Below the last row, the form's face; under high contrast, the window's.
    const bool systemColours = SystemColoursOnly();
    const COLORREF face = ::GetSysColor(systemColours ? COLOR_WINDOW : COLOR_BTNFACE);
    // A themed header keeps the theme's light face under a dark scheme,
    // with the scheme's light text on it: drawn in the system's colours.
    HWND header = ListView_GetHeader(list_);
    if (systemColours) {
        ::SetWindowTheme(header, L"", L"");
    } else {
        ::SetWindowTheme(header, nullptr, nullptr);
    }
    ListView_SetBkColor(list_, face);
    ListView_SetTextBkColor(list_, face);
    ListView_SetTextColor(list_, ::GetSysColor(COLOR_WINDOWTEXT));
    ::InvalidateRect(list_, nullptr, TRUE);
}

void EventListView::SetImages(HIMAGELIST images) {
    ListView_SetImageList(list_, images, LVSIL_SMALL);
    ListView_SetImageList(list_, images, LVSIL_NORMAL);
}

EventListView::ColumnWidths EventListView::WidthsAtDpi() const {
    // The layout's widths at the list's DPI, wider where a header's text
    // needs more in the font in use.
    static_assert(std::tuple_size_v<ColumnWidths> == kColumns.size());
    const UINT dpi = win::WindowDpi(list_);
    HWND header = ListView_GetHeader(list_);
    const win::WindowDc dc(header);
    const win::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(header, WM_GETFONT, 0, 0)));
    ColumnWidths widths{};
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        SIZE text{};
        ::GetTextExtentPoint32W(dc.get(), kColumns[i].caption, static_cast<int>(std::wcslen(kColumns[i].caption)), &text);
        widths[i] =
            std::max(win::Scale(kColumns[i].width, dpi), static_cast<int>(text.cx) + win::Scale(kHeaderPadding, dpi));
    }
    return widths;
}

void EventListView::FitColumnsToDpi() {
    // Then "Descrizione" fits the rest.
    const ColumnWidths widths = WidthsAtDpi();
    for (std::size_t i = 0; i < kColumns.size(); ++i) ListView_SetColumnWidth(list_, static_cast<int>(i), widths[i]);
    fittedScrollBar_.reset();
    FitColumns();
}

void EventListView::Refresh() {
    if (list_ == nullptr) return;
    ListView_SetItemCountEx(list_, static_cast<int>(RowCount()), LVSICF_NOSCROLL);
    FitColumns();
    ::InvalidateRect(list_, nullptr, FALSE);
}

void EventListView::FitColumns() {
    // The columns fill the list exactly; when the vertical scroll bar comes
    // and takes its room, "Descrizione" gives it up (and takes it back when
    // the bar goes), so no horizontal bar is needed. Only then: a width the
    // user dragged stays as it is.
    const bool scrollBar = (::GetWindowLongPtrW(list_, GWL_STYLE) & WS_VSCROLL) != 0;
    if (fittedScrollBar_ && *fittedScrollBar_ == scrollBar) return;
    fittedScrollBar_ = scrollBar;
    RECT client{};
    ::GetClientRect(list_, &client);
    int others = 0;
    for (int i = 1; i < static_cast<int>(kColumns.size()); ++i) others += ListView_GetColumnWidth(list_, i);
    const int full = ::MulDiv(kColumns[0].width, static_cast<int>(win::WindowDpi(list_)), 96);
    const int width = std::clamp(static_cast<int>(client.right) - others, full / 4, full);
    if (ListView_GetColumnWidth(list_, 0) != width) ListView_SetColumnWidth(list_, 0, width);
}

std::optional<RowId> EventListView::SelectedId() const {
    if (list_ == nullptr) return pendingSelection_;  // not made yet
    const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (index < 0 || static_cast<std::size_t>(index) >= RowCount()) return std::nullopt;
    return rows_.At(static_cast<std::size_t>(index)).Id();
}

void EventListView::Select(std::optional<RowId> id) {
    if (list_ == nullptr) {
        pendingSelection_ = id;
        return;
    }
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (!id) return;
    const std::optional<std::size_t> position = rows_.Find(*id);
    if (!position) return;
    const int index = static_cast<int>(*position);
    ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, index, FALSE);
}

bool EventListView::HandleNotify(NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_) return false;
    result = 0;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        return true;
    case NM_CUSTOMDRAW:
        result = ListView1CustomDrawItem(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
    case LVN_ODFINDITEMW:
        result = FindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
        return true;
    case LVN_COLUMNCLICK:
        if (commands_.sortBy) commands_.sortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return true;
    case NM_DBLCLK:
    case NM_RETURN:
        if (commands_.open) commands_.open();
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE && commands_.remove) commands_.remove();
        return true;
    default:
        return false;
    }
}

void EventListView::GetDisplayInfo(LVITEMW& item) {
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= RowCount()) return;
    const EventRow& row = rows_.At(static_cast<std::size_t>(item.iItem));
    if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0 && item.iSubItem >= 0 &&
        item.iSubItem < static_cast<int>(kColumns.size())) {
        // Through a buffer: a description longer than the control's buffer
        // is cut, not dropped.
        win::Cp1252ToWide(row.Text(static_cast<std::size_t>(item.iSubItem)), scratch_);
        const std::size_t shown = std::min<std::size_t>(scratch_.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(scratch_.data(), shown, item.pszText);
        item.pszText[shown] = L'\0';
    }
    if ((item.mask & LVIF_IMAGE) != 0) {
        // The icon is asked for before the row is drawn: bring it up to date
        // here, or every row whose event moved on would be drawn twice.
        const auto position = static_cast<std::size_t>(item.iItem);
        const std::optional<RowStatus> status = StatusAt(position);
        if (status && *status != RowStatus::Unmarked) rows_.SetImage(position, static_cast<int>(*status));
        item.iImage = row.Image();
    }
}

int EventListView::FindItem(const NMLVFINDITEMW& find) const {
    if (rowsHeld_ || (find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.lvfi.psz == nullptr) return -1;
    const std::string prefix = win::WideToCp1252(find.lvfi.psz);
    const auto start = static_cast<std::size_t>(std::max(find.iStart, 0));
    const std::optional<std::size_t> found =
        rows_.FindDescriptionPrefix(prefix, start, (find.lvfi.flags & LVFI_WRAP) != 0);
    return found ? static_cast<int>(*found) : -1;
}

std::optional<RowStatus> EventListView::StatusAt(std::size_t position) {
    const EventRow& row = rows_.At(position);
    const DateTime now = JudgedMoment(clock_.Now(), examinedUpTo_);
    const std::optional<EventDate> date = ReadEventDate(row);
    if (!date) {
        const std::string text = EventTimeText(row);
        if (unreadable_.FirstReport(row.Id(), text)) report_(UnreadableRowText(row, text));
        return std::nullopt;
    }
    // A stamp that cannot be read is the scheduler's to report; here it
    // only means the row is not known to be done.
    const std::optional<DateTime> stamp = ReadStamp(row, now);
    const AlertRule rule = RuleOf(row);
    return StatusOf(*date, rule.lead, stamp && Done(*date, rule, *stamp, now), now);
}

HFONT EventListView::BoldFont() {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    if (boldFont_ && font == boldFontOf_) return boldFont_.get();
    LOGFONTW face{};
    if (font == nullptr || ::GetObjectW(font, sizeof face, &face) == 0) return nullptr;
    face.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectW(&face));
    boldFontOf_ = font;
    return boldFont_.get();
}

}  // namespace ricordex::ui

namespace ricordex::ui {

LRESULT EventListView::ListView1CustomDrawItem(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) return BoldDescription(draw);
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const std::size_t position = draw.nmcd.dwItemSpec;
    if (position >= RowCount()) return CDRF_DODEFAULT;

    const bool selected = ListView_GetItemState(list_, static_cast<int>(position), LVIS_SELECTED) != 0;
    const bool focused = (draw.nmcd.uItemState & CDIS_FOCUS) != 0;
    const bool systemColours = SystemColoursOnly();
    draw.clrTextBk = ToColorRef(systemColours ? SystemBackgroundOf(selected) : BackgroundOf(selected, focused, position));
    if (systemColours) draw.clrText = ToColorRef(SystemTextColourOf(selected));
    // The row's own colours, not the list's highlight.
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);

    // A row to mark has its description in bold: told column by column.
    const bool bold = !bold_.empty() && bold_.count(rows_.At(position).Id()) != 0;
    const LRESULT drawn = bold ? CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW : CDRF_NEWFONT;
    const std::optional<RowStatus> status = StatusAt(position);
    if (status && *status != RowStatus::Unmarked) {
        if (!systemColours) draw.clrText = TextColourOf(*status);
        const int icon = static_cast<int>(*status);
        if (rows_.At(position).Image() != icon) {
            // The clock moved on since the icon was fetched: draw the row again.
            rows_.SetImage(position, icon);
            ListView_RedrawItems(list_, static_cast<int>(position), static_cast<int>(position));
        }
    }
    rowText_ = draw.clrText;
    rowBackground_ = draw.clrTextBk;
    return drawn;
}

LRESULT EventListView::BoldDescription(NMLVCUSTOMDRAW& draw) {
    // The row's colours in every column, as set for the row.
    draw.clrText = rowText_;
    draw.clrTextBk = rowBackground_;
    const HFONT font =
        draw.iSubItem == 0 ? BoldFont() : reinterpret_cast<HFONT>(::SendMessageW(list_, WM_GETFONT, 0, 0));
    if (font != nullptr) ::SelectObject(draw.nmcd.hdc, font);
    return CDRF_NEWFONT;
}

}  // namespace ricordex::ui
