#pragma once
// One archive changed in two places (two PCs sharing a folder): the rows of
// both, merged against the rows both started from.
//
// An event is its six texts (description, lead, date, time, frequency,
// recurrence); the last-alert stamp travels with it. The merge goes event
// by event, as a user reads the two lists, counting the rows of each
// (an archive may hold identical rows) in the base and on each side:
// - a change made on one side only is taken: a row added, removed, or
//   edited (an edit is the old event's removal and the new one's addition);
// - a change both sides made alike is made once: the same new event or the
//   same correction entered on both PCs is kept once, an event deleted on
//   both is gone, and two copies of a duplicate each deleted on one side
//   leave one copy (each user removed "the second one");
// - changes that differ are both kept: where both added rows of one event,
//   the larger addition stays (what each added alike counts once); where
//   both removed rows, the larger removal goes; an addition on one side and
//   a removal on the other are both made. So an edit wins over a deletion
//   (the edited event stays, the old one goes), and two different edits of
//   one event keep both.
// A row kept from both sides takes the later of their stamps; a stamp later
// than `notAfter` (a StampOrder: a clock that was wrong, far ahead) counts
// as older than any other, so that an alert given since is not undone.

#include <string>
#include <unordered_map>
#include <vector>

#include "core/event_row.h"

namespace ricordex {

// Beyond every stamp's StampOrder.
inline constexpr long long kAnyStamp = 999'999'999'999'999;

std::vector<RowTexts> MergeRows(const std::vector<RowTexts>& base, const std::vector<RowTexts>& theirs,
                                const std::vector<RowTexts>& ours, long long notAfter = kAnyStamp);

// The rows of `rows` that `other` does not hold, event by event and
// counting identical rows (three of an event against one leave two), in
// their order.
std::vector<RowTexts> RowsBeyond(const std::vector<RowTexts>& rows, const std::vector<RowTexts>& other);

// The six texts that make an event what it is, as one key.
std::string EventKey(const RowTexts& row);
std::string EventKey(const EventRow& row);

// The stamps alerts gave since the archive was last written, by event: an
// answer of No at close writes them, and nothing else of the list.
using AlertStamps = std::unordered_map<std::string, std::string>;

// A stamp as a number that orders stamps in time ("dd/mm/yyyy hh.nn" in any
// separators); -1 for a text that is not one, older than every stamp.
long long StampOrder(std::string_view stamp);

// Whether stamp `a` wins over `b`: it is later, a stamp beyond `notAfter`
// counting as older than any other.
bool LaterStamp(std::string_view a, std::string_view b, long long notAfter = kAnyStamp);

}  // namespace ricordex
