#pragma once
// One archive changed in two places (two PCs sharing a folder): the rows of
// both, merged against the rows both started from.
//
// An event is its six texts (description, lead, date, time, frequency,
// recurrence); the last-alert stamp travels with it. Rows are counted as a
// multiset, since an archive may hold identical rows: of each event the
// merge keeps as many as each side has beyond the common start, less those
// either side removed (never fewer than none). So a row added on either side
// is kept, a row removed on one side and left alone on the other is
// removed, and an event edited on one side (a removal and an addition)
// merges as such; edited differently on both sides, both versions stay. A
// row kept from both sides takes the later of their stamps; a stamp later
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
