#pragma once
// ListView1: a virtual report list that shows the event list. Everything the
// list control is told and asks about the rows is handled here.

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>

#include "alerts/row_status.h"
#include "alerts/row_times.h"
#include "core/clock.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "win/unique_handle.h"

namespace ricordex::ui {

// What the user asks of the list, for the form to carry out.
struct ListCommands {
    std::function<void(int column)> sortBy;  // a column's header clicked
    std::function<void()> open;              // a double click, or Enter
    std::function<void()> remove;            // the Delete key
};

class EventListView {
public:
    // An unreadable row is reported through `report`, which must not wait:
    // the list is painting. The rows in `bold` are drawn in bold (the alerts
    // missed that their box could only count). Where an event stands is
    // judged at the moment the alerts are (`examinedUpTo`: see JudgedMoment).
    EventListView(EventList& rows, Clock& clock, UnreadableRows& unreadable, ErrorReport report,
                  const std::unordered_set<RowId>& bold, const std::optional<DateTime>& examinedUpTo)
        : rows_(rows),
          clock_(clock),
          unreadable_(unreadable),
          report_(std::move(report)),
          bold_(bold),
          examinedUpTo_(examinedUpTo) {}

    ~EventListView();
    EventListView(const EventListView&) = delete;
    EventListView& operator=(const EventListView&) = delete;

    // While the rows are being read (on another thread), the list shows
    // none and reads none; ChangeRows shows them again.
    void HoldRowsWhileReading() { rowsHeld_ = true; }

    void SetCommands(ListCommands commands) { commands_ = std::move(commands); }

    // Takes over the list control created from the form's table, with the
    // status icons.
    void Attach(HWND list, HIMAGELIST images);
    void SetImages(HIMAGELIST images);
    // The list's own colours, again after the system's changed.
    void ApplyColours();
    // The column widths for the list's DPI and its header's font.
    void FitColumnsToDpi();
    HWND Handle() const { return list_; }

    // After the rows changed: the control learns the new count and repaints.
    void Refresh();

    // The selected row, held by id so that sorting, adding and deleting
    // never leave the selection on another event.
    std::optional<RowId> SelectedId() const;
    void Select(std::optional<RowId> id);
    // Runs a change of the rows, then shows them with the same row selected
    // (or `select`, when given), also when the change failed half-way.
    template <typename Change>
    void ChangeRows(Change change, std::optional<RowId> select = std::nullopt) {
        const Reshow reshow{*this, select ? select : SelectedId()};
        change();
    }

    // The list's notifications: what it shows, and what the user asks of
    // it. Returns true when one was handled.
    bool HandleNotify(NMHDR& header, LRESULT& result);

    // Each row's background by its place, text colour and icon by where its
    // event stands.
    LRESULT ListView1CustomDrawItem(NMLVCUSTOMDRAW& draw);

private:
    struct Reshow {
        EventListView& view;
        std::optional<RowId> selected;
        ~Reshow() {
            view.rowsHeld_ = false;  // also when the change failed half-way: what was read is shown
            view.Refresh();
            view.Select(selected);
        }
    };

    // Each column's width at the list's DPI, before "Descrizione" fits the rest.
    using ColumnWidths = std::array<int, 6>;
    ColumnWidths WidthsAtDpi() const;
    void FitColumns();
    void GetDisplayInfo(LVITEMW& item);
    // Typing in the list: the row whose description starts with what was
    // typed, or -1.
    int FindItem(const NMLVFINDITEMW& find) const;
    // Where the row's event stands now; nothing when its date or time cannot
    // be read (reported once).
    std::optional<RowStatus> StatusAt(std::size_t position);
    // The list's font in bold, made again when the list's font changes.
    HFONT BoldFont();
    // A column of a row to mark: the description in bold, the rest not.
    LRESULT BoldDescription(NMLVCUSTOMDRAW& draw);

    // The row to select once the control is made (chosen while the window
    // had not been shown yet).
    std::optional<RowId> pendingSelection_;
    // How many rows the list shows: none while they are held.
    std::size_t RowCount() const { return rowsHeld_ ? 0 : rows_.Count(); }
    bool rowsHeld_ = false;
    EventList& rows_;
    Clock& clock_;
    UnreadableRows& unreadable_;
    ErrorReport report_;
    const std::unordered_set<RowId>& bold_;
    const std::optional<DateTime>& examinedUpTo_;
    win::UniqueFont boldFont_;
    HFONT boldFontOf_ = nullptr;
    COLORREF rowText_ = 0, rowBackground_ = 0;  // of the row being drawn
    ListCommands commands_;
    HWND list_ = nullptr;
    std::wstring scratch_;
    std::optional<bool> fittedScrollBar_;  // the scroll bar the columns were last fitted to
};

}  // namespace ricordex::ui
