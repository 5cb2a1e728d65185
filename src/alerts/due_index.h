#pragma once
// The rows whose alert can come due, by the earliest moment it can: a tick
// examines only the rows whose moment has come, instead of reading the
// times of every row every ten seconds. What a tick decides stays the same:
// a row left out could not be due at that tick.

#include <cstdint>
#include <string>
#include <vector>

#include "alerts/row_times.h"
#include "core/event_list.h"

namespace ricordex {

class DueIndex {
public:
    // Built again before a tick when anything it was worked out from has
    // changed: the rows or their texts, the year, the start stamp, or the
    // clock, which went back or was changed (see Forget).
    void Prepare(const EventList& list, DateTime now, const std::string& avvioProgramma, UnreadableRows& unreadable);

    // The rows to examine at `now`, in list order: those whose moment has
    // come and whose event is not past, and every row whose times cannot be
    // read (reported at each examination, once per text).
    std::vector<RowId> ToExamine(const EventList& list, DateTime now);

    // The clock was set, or the machine woke up: built again at the next tick.
    void Forget() { built_ = false; }

private:
    struct Entry {
        DateTime from;   // before it, the row cannot be due
        DateTime until;  // after it, not again this year
        RowId id;
    };
    void Build(const EventList& list, DateTime now, UnreadableRows& unreadable);

    std::vector<Entry> waiting_;  // by `from`; those before `next_` have come
    std::size_t next_ = 0;
    std::vector<Entry> come_;  // come, or unreadable: examined at every tick
    bool built_ = false;
    std::uint64_t revision_ = 0;
    int year_ = 0;
    DateTime lastNow_ = 0;
    std::string avvioProgramma_;
};

}  // namespace ricordex
