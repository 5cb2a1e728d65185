#include "alerts/due_index.h"

#include <algorithm>
#include <limits>

#include "core/vocabulary.h"

namespace ricordex {
namespace {

constexpr DateTime kNever = std::numeric_limits<DateTime>::infinity();
// A moment is taken this much early: a row examined a little before it can
// be due is only examined, where one examined late would be alerted late.
constexpr double kEarly = 1e-6;  // days: under a tenth of a second

}  // namespace

void DueIndex::Prepare(const EventList& list, DateTime now, const std::string& avvioProgramma,
                       UnreadableRows& unreadable) {
    const int year = DecodeDateTime(now).year;
    if (built_ && list.Revision() == revision_ && year == year_ && now >= lastNow_ &&
        avvioProgramma == avvioProgramma_) {
        lastNow_ = now;
        return;
    }
    avvioProgramma_ = avvioProgramma;
    year_ = year;
    Build(list, now, unreadable);
    revision_ = list.Revision();
    lastNow_ = now;
    built_ = true;
}

void DueIndex::Build(const EventList& list, DateTime now, UnreadableRows& unreadable) {
    static const FormatSettings settings = ProgramFormatSettings();
    waiting_.clear();
    come_.clear();
    next_ = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const EventRow& row = list.At(i);
        const std::optional<DateTime> event = ReadEventTime(row, year_);
        const std::optional<DateTime> lastAlert =
            event ? TryStrToDateTime(row.Text(kUltimoAvviso), settings, year_) : std::nullopt;
        if (!event || !lastAlert) {
            come_.push_back({-kNever, kNever, row.Id()});
            continue;
        }
        unreadable.Readable(row.Id());
        // The same bounds as the decision of a tick, with its tolerance.
        const double lead = InizioInGiorni(row.Text(kInizio));
        const double period = FrequenzaInGiorni(row.Text(kModalita));
        if (now > *event || lead <= 0 || period < 0) continue;
        if (period == 0 && row.Text(kUltimoAvviso) == avvioProgramma_) continue;  // alerted in this run
        DateTime from = *event - lead - kBoundTolerance;
        if (period > 0) from = std::max(from, *lastAlert + period - kBoundTolerance);
        from -= kEarly;
        if (from > *event) continue;  // its window closes first
        waiting_.push_back({from, *event, row.Id()});
    }
    std::sort(waiting_.begin(), waiting_.end(), [](const Entry& a, const Entry& b) { return a.from < b.from; });
}

std::vector<RowId> DueIndex::ToExamine(const EventList& list, DateTime now) {
    for (; next_ < waiting_.size() && waiting_[next_].from <= now; ++next_) come_.push_back(waiting_[next_]);
    // Past its event a row is not due again this year: a new year builds anew.
    std::erase_if(come_, [now](const Entry& entry) { return now > entry.until; });
    std::vector<std::pair<std::size_t, RowId>> found;
    found.reserve(come_.size());
    for (const Entry& entry : come_) {
        if (const std::optional<std::size_t> position = list.Find(entry.id)) found.emplace_back(*position, entry.id);
    }
    std::sort(found.begin(), found.end());
    std::vector<RowId> ids;
    ids.reserve(found.size());
    for (const auto& [position, id] : found) ids.push_back(id);
    return ids;
}

}  // namespace ricordex
