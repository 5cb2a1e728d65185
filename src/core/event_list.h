#pragma once
// The event list: the rows the main window shows, in the order it shows
// them. The list keeps itself ordered by its sort column: a row added with
// AggiungiRiga goes straight to its place.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/event_row.h"

namespace ricordex {

using RowFields = std::array<std::string_view, kFieldCount>;

// The texts of a row as the list takes them; they must outlive the fields.
inline RowFields FieldsOf(const RowTexts& texts) {
    RowFields fields;
    for (std::size_t i = 0; i < kFieldCount; ++i) fields[i] = texts[i];
    return fields;
}

class EventList {
public:
    std::size_t Count() const { return rows_.size(); }
    const EventRow& At(std::size_t position) const { return rows_.at(position); }

    // Adds a row at its place in the current order (after rows that compare
    // equal to it) and returns its id.
    RowId AggiungiRiga(const RowFields& texts, int image);
    // For loading: appends without ordering; SortRows() must follow.
    RowId AppendUnordered(const RowFields& texts, int image);
    void SortRows();
    // For replacing every row at once: a row with an id of its own.
    EventRow NewRow(const RowFields& texts, int image) { return EventRow(texts, image, nextId_++); }
    // Holds these rows instead (with the ids they carry), in the list's
    // order, equal rows as given.
    void ReplaceRows(std::vector<EventRow> rows);

    void Clear();
    void Remove(std::size_t position);
    // Where the row with this id is now. After rows moved, the first search
    // notes every row's position in one pass; the searches after it until
    // the next change cost no more than a lookup.
    std::optional<std::size_t> Find(RowId id) const;
    // The same, looking first at the position where the row is expected.
    std::optional<std::size_t> Find(RowId id, std::size_t expected) const;

    // Type-to-find: the first row from `start` on (wrapping past the end
    // when asked) whose description begins with `prefix`, letters "a" to "z"
    // matching either case.
    std::optional<std::size_t> FindDescriptionPrefix(std::string_view prefix, std::size_t start, bool wrap) const;

    // The stamp and the image are not sort keys, so changing them keeps the order.
    void SetStamp(std::size_t position, std::string_view stamp);
    void SetImage(std::size_t position, int image);

    // 0 is the description, 1 to 5 the columns after it.
    int ColonnaOrdinamento() const { return sortColumn_; }
    // Stores the column and re-sorts the whole list, always ascending.
    void SortBy(int column);

    // Compares two rows by the sort column: negative when a sorts first.
    int Compare(const EventRow& a, const EventRow& b) const;

    // Counts the changes of rows and of their texts (not of their images):
    // what was worked out from the rows holds while it stays the same.
    std::uint64_t Revision() const { return revision_; }

private:
    // Clearing an empty map would still wipe all its buckets: loading calls
    // this once a row.
    void RowsMoved() {
        ++revision_;
        if (!positions_.empty()) positions_ = {};
    }

    std::vector<EventRow> rows_;
    // Each row's position by id; empty until a search needs it after a change.
    mutable std::unordered_map<RowId, std::size_t> positions_;
    int sortColumn_ = 0;
    RowId nextId_ = 1;
    std::uint64_t revision_ = 0;
};

}  // namespace ricordex
