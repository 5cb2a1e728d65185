#pragma once
// ListView1: a virtual report list that shows the event list. Everything the
// list control is told and asks about the rows is handled here.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/event_list.h"

namespace ricordex::ui {

class EventListView {
public:
    explicit EventListView(EventList& rows) : rows_(rows) {}

    // Takes over the list control created from the form's table.
    void Attach(HWND list);
    HWND Handle() const { return list_; }

    // After the rows changed: the control learns the new count and repaints.
    void Refresh();

    // The list's notifications; returns true when one was handled.
    bool HandleNotify(const NMHDR& header, LRESULT& result);

private:
    void GetDisplayInfo(LVITEMW& item);

    EventList& rows_;
    HWND list_ = nullptr;
    std::wstring scratch_;
};

}  // namespace ricordex::ui
