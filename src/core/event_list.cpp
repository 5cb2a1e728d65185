#include "core/event_list.h"

#include <algorithm>
#include <stdexcept>

#include "core/text_compare.h"

namespace ricordex {
namespace {

constexpr int kDateColumn = 2;

// One or two digits from `i` on, or -1 when there is none.
int TwoDigits(std::string_view text, std::size_t& i) {
    int n = -1;
    for (const std::size_t first = i; i < text.size() && i - first < 2 && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = (n < 0 ? 0 : n * 10) + (text[i] - '0');
    }
    return n;
}

// "dd/mm" as month * 100 + day, or -1 for a text that is not one.
int MonthDay(std::string_view date) {
    std::size_t i = 0;
    const int day = TwoDigits(date, i);
    if (day < 0 || i >= date.size() || date[i++] != '/') return -1;
    const int month = TwoDigits(date, i);
    if (month < 1 || month > 12 || day < 1 || day > 31 || i != date.size()) return -1;
    return month * 100 + day;
}

// By month, then day, then time; dates that cannot be read after the
// others, as texts.
int CompareDates(const EventRow& a, const EventRow& b) {
    const int x = MonthDay(a.Text(kData)), y = MonthDay(b.Text(kData));
    if (x < 0 || y < 0) {
        if ((x < 0) != (y < 0)) return x < 0 ? 1 : -1;
        return CompareText(a.Text(kData), b.Text(kData));
    }
    if (x != y) return x - y;
    return CompareText(a.Text(kOra), b.Text(kOra));
}

}  // namespace

int EventList::Compare(const EventRow& a, const EventRow& b) const {
    if (sortColumn_ == kDateColumn) return CompareDates(a, b);
    // Column k shows the row's field k: the caption, then sub-items 0 to 4.
    const auto field = static_cast<std::size_t>(sortColumn_);
    return CompareText(a.Text(field), b.Text(field));
}

RowId EventList::AggiungiRiga(const RowFields& texts, int image) {
    EventRow row(texts, image, nextId_++);
    auto place = std::upper_bound(rows_.begin(), rows_.end(), row,
                                  [this](const EventRow& x, const EventRow& y) { return Compare(x, y) < 0; });
    const RowId id = row.Id();
    rows_.insert(place, std::move(row));
    RowsMoved();
    return id;
}

RowId EventList::AppendUnordered(const RowFields& texts, int image) {
    rows_.emplace_back(texts, image, nextId_++);
    RowsMoved();
    return rows_.back().Id();
}

void EventList::SortRows() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const EventRow& x, const EventRow& y) { return Compare(x, y) < 0; });
    RowsMoved();
}

void EventList::ReplaceRows(std::vector<EventRow> rows) {
    rows_ = std::move(rows);
    SortRows();
}

void EventList::Clear() {
    rows_.clear();
    RowsMoved();
}

void EventList::Remove(std::size_t position) {
    if (position >= rows_.size()) throw std::out_of_range("row position");
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position));
    RowsMoved();
}

std::optional<std::size_t> EventList::FindDescriptionPrefix(std::string_view prefix, std::size_t start,
                                                            bool wrap) const {
    auto matches = [prefix](std::string_view description) {
        return description.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), description.begin(),
                          [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
    };
    const std::size_t count = rows_.size();
    if (count == 0) return std::nullopt;
    if (start >= count) start = wrap ? 0 : count;
    const std::size_t looked = wrap ? count : count - start;
    for (std::size_t i = 0; i < looked; ++i) {
        const std::size_t position = (start + i) % count;
        if (matches(rows_[position].Text(kDescrizione))) return position;
    }
    return std::nullopt;
}

std::optional<std::size_t> EventList::Find(RowId id) const {
    if (positions_.empty() && !rows_.empty()) {
        // Built aside: a failure half-way leaves no half index behind.
        std::unordered_map<RowId, std::size_t> positions;
        positions.reserve(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) positions.emplace(rows_[i].Id(), i);
        positions_.swap(positions);
    }
    const auto found = positions_.find(id);
    if (found == positions_.end()) return std::nullopt;
    return found->second;
}

std::optional<std::size_t> EventList::Find(RowId id, std::size_t expected) const {
    if (expected < rows_.size() && rows_[expected].Id() == id) return expected;
    return Find(id);
}

void EventList::SetStamp(std::size_t position, std::string_view stamp) {
    rows_.at(position).SetText(kUltimoAvviso, stamp);
    ++revision_;
}

void EventList::SetImage(std::size_t position, int image) { rows_.at(position).SetImage(image); }

void EventList::SortBy(int column) {
    if (column < 0 || column > 5) throw std::out_of_range("sort column");
    sortColumn_ = column;
    SortRows();
}

}  // namespace ricordex
