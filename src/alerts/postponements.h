#pragma once
// Alerts the user put off ("Posticipa"): each comes back once, at its
// moment, with the text of its row. They are this PC's own (the registry
// value "Posticipati"), never the archive's: the other PC's user did not
// ask for them. An event is known by its six texts, so a row deleted or
// changed since no longer has its postponement.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/date_time.h"
#include "core/event_list.h"

namespace ricordex {

// The choices the alert box offers beside its OK.
enum class Postpone { No, TenMinutes, OneHour, TomorrowAtNine };

// When an alert answered at `answered` with `choice` comes back.
DateTime PostponedUntil(Postpone choice, DateTime answered);

struct Postponement {
    std::string event;  // EventKey of the row
    DateTime at = 0;
};

class Postponements {
public:
    // One per event: a later postponement of the same event replaces it.
    void Add(std::string event, DateTime at);
    void Remove(const std::string& event);
    // Those whose moment has come, the earliest first.
    std::vector<Postponement> DueAt(DateTime now) const;
    // Forgets those whose event the list no longer holds (deleted, edited,
    // another archive chosen).
    void KeepThoseIn(const EventList& list);
    bool Empty() const { return items_.empty(); }
    // Counts the changes, so that they are written once each.
    std::uint64_t Revision() const { return revision_; }

    // The registry's form: a line a postponement, its moment as
    // "yyyy-mm-dd hh:nn:ss", a tab, then its event in plain ASCII (other
    // bytes as %XX). Lines that cannot be read are left out.
    std::string Text() const;
    static Postponements FromText(std::string_view text);

private:
    std::vector<Postponement> items_;
    std::uint64_t revision_ = 0;
};

// The first row holding each of these events, in one pass over the list.
std::unordered_map<std::string, RowId> RowsHolding(const EventList& list, const std::vector<Postponement>& items);

}  // namespace ricordex
