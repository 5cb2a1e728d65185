#pragma once
// The rows whose alert can come due, by the earliest moment it can: a tick
// examines only the rows whose moment has come, instead of reading the
// times of every row every ten seconds. What a tick decides stays the same:
// a row left out could be neither due nor missed at that tick.

#include <cstdint>
#include <queue>
#include <vector>

#include "alerts/calendar.h"
#include "alerts/row_times.h"
#include "core/event_list.h"

namespace ricordex {

// A row and where it stands in the list.
struct RowAt {
    std::size_t position;
    RowId id;
    bool operator<(const RowAt& other) const { return position < other.position; }
};

class DueIndex {
public:
    // Built again before a tick when anything it was worked out from has
    // changed: the rows or their texts, the start of the run, the year, or
    // the clock, which went back or was changed (see Forget). A stamp
    // written without a year reads differently as time goes: its row is
    // examined at every tick.
    void Prepare(const EventList& list, const Watch& watch, UnreadableRows& unreadable);

    // The rows to examine at `now`, in list order: those whose moment has
    // come, until their occurrence has passed and they were examined once
    // more (for an alert missed); and every row whose times cannot be read
    // (reported at each examination, once per text).
    std::vector<RowAt> ToExamine(const EventList& list, DateTime now);

    // The clock was set, or the machine woke up: built again at the next tick.
    void Forget() { built_ = false; }

private:
    struct Entry {
        DateTime from;   // before it, the row can be neither due nor missed
        DateTime until;  // the occurrence it is about
        RowId id;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const { return a.from > b.from; }
    };
    void Build(const EventList& list, const Watch& watch, UnreadableRows& unreadable);
    // The row's next entry as it stands at `now`; nothing when it can never
    // be due.
    std::optional<Entry> Look(const EventRow& row, DateTime now) const;
    void Place(const Entry& entry, DateTime now);

    std::priority_queue<Entry, std::vector<Entry>, Later> waiting_;
    std::vector<Entry> come_;  // come, or unreadable: examined at every tick
    bool built_ = false;
    std::uint64_t revision_ = 0;
    DateTime lastNow_ = 0;
    DateTime lastExamined_ = 0;
    DateTime runStart_ = 0;
    int year_ = 0;
};

}  // namespace ricordex
