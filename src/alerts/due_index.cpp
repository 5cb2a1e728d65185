#include "alerts/due_index.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace ricordex {
namespace {

constexpr DateTime kNever = std::numeric_limits<DateTime>::infinity();
// A moment is taken this much early: a row examined a little before it can
// be due is only examined, where one examined late would be alerted late.
constexpr double kEarly = 1e-6;  // days: under a tenth of a second

}  // namespace

void DueIndex::Prepare(const EventList& list, const Watch& watch, UnreadableRows& unreadable) {
    const int year = DecodeDateTime(watch.now).year;
    if (built_ && list.Revision() == revision_ && watch.now >= lastNow_ && watch.runStart == runStart_ &&
        year == year_) {
        lastNow_ = watch.now;
        return;
    }
    runStart_ = watch.runStart;
    year_ = year;
    Build(list, watch, unreadable);
    revision_ = list.Revision();
    lastNow_ = watch.now;
    lastExamined_ = watch.now;
    built_ = true;
}

std::optional<DueIndex::Entry> DueIndex::Look(const EventRow& row, DateTime now) const {
    const std::optional<EventDate> date = ReadEventDate(row);
    bool withoutYear = false;
    const std::optional<DateTime> stamp = date ? ReadStamp(row, now, &withoutYear) : std::nullopt;
    // Examined at every tick: one that cannot be read, and one whose stamp
    // has no year, for its reading changes as time goes.
    if (!date || !stamp || withoutYear) return Entry{-kNever, kNever, row.Id()};
    const std::optional<NextLook> look = NextLookAt(*date, RuleOf(row), *stamp, now, runStart_);
    if (!look) return std::nullopt;
    // The same bounds as the decision of a tick, with its tolerance.
    return Entry{look->from - kBoundTolerance - kEarly, look->until, row.Id()};
}

void DueIndex::Place(const Entry& entry, DateTime now) {
    if (entry.from <= now) {
        come_.push_back(entry);
    } else {
        waiting_.push(entry);
    }
}

void DueIndex::Build(const EventList& list, const Watch& watch, UnreadableRows& unreadable) {
    waiting_ = {};
    come_.clear();
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const EventRow& row = list.At(i);
        const std::optional<EventDate> date = ReadEventDate(row);
        const std::optional<DateTime> stamp = date ? ReadStamp(row, watch.now) : std::nullopt;
        if (date && stamp) {
            unreadable.Readable(row.Id());
            // One that passed unseen before this tick: examined at it, and
            // looked at afresh after.
            if (watch.examinedUpTo && PreviousOccurrence(*date, watch.now).at > *watch.examinedUpTo &&
                Judge(*date, RuleOf(row), *stamp, watch) == Verdict::Missed) {
                come_.push_back({-kNever, watch.now, row.Id()});
                continue;
            }
        }
        if (const std::optional<Entry> entry = Look(row, watch.now)) Place(*entry, watch.now);
    }
}

std::vector<RowAt> DueIndex::ToExamine(const EventList& list, DateTime now) {
    // A row examined once after its occurrence passed (and so for an alert
    // missed) waits for the next one.
    const DateTime examined = std::exchange(lastExamined_, now);
    std::vector<Entry> come;
    come.reserve(come_.size());
    for (const Entry& entry : come_) {
        if (entry.until >= examined) {
            come.push_back(entry);
            continue;
        }
        const std::optional<std::size_t> position = list.Find(entry.id);
        if (!position) continue;
        if (const std::optional<Entry> next = Look(list.At(*position), now)) {
            if (next->from <= now) {
                come.push_back(*next);
            } else {
                waiting_.push(*next);
            }
        }
    }
    come_.swap(come);
    for (; !waiting_.empty() && waiting_.top().from <= now; waiting_.pop()) come_.push_back(waiting_.top());

    std::vector<RowAt> found;
    found.reserve(come_.size());
    for (const Entry& entry : come_) {
        if (const std::optional<std::size_t> position = list.Find(entry.id)) found.push_back({*position, entry.id});
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace ricordex
