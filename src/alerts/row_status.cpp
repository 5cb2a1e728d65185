#include "alerts/row_status.h"

namespace ricordex {

RowStatus StatusOf(const EventDate& date, double lead, bool done, DateTime now) {
    if (done) return RowStatus::Past;
    const Occurrence next = NextOccurrence(date, now);
    const double daysAhead = next.at - now;
    // A lead of none or of an unknown label opens no window.
    const double window = lead > 0 ? next.at - WindowStart(date, next, lead) : lead;
    if (daysAhead < window) return daysAhead <= 1 ? RowStatus::Imminent : RowStatus::Pending;
    if (next.year != DecodeDateTime(now).year) return RowStatus::Past;  // this year's has passed
    if (daysAhead > 1) return RowStatus::Distant;
    return RowStatus::Unmarked;
}

std::string_view StatusName(RowStatus status) {
    switch (status) {
    case RowStatus::Past: return "passato";
    case RowStatus::Imminent: return "imminente";
    case RowStatus::Pending: return "in attesa";
    case RowStatus::Distant: return "lontano";
    case RowStatus::Unmarked: break;
    }
    return {};
}

std::uint32_t TextColourOf(RowStatus status) {
    switch (status) {
    case RowStatus::Past: return 0x808080;
    case RowStatus::Imminent: return 0x0000FF;
    case RowStatus::Pending: return 0xFF0000;
    case RowStatus::Distant: return 0x000000;
    case RowStatus::Unmarked: break;
    }
    return 0;
}

std::uint32_t BackgroundOf(bool selected, bool focused, std::size_t position) {
    if (selected) return kSelectedBackground;
    if (focused) return kFocusedBackground;
    return position % 2 == 0 ? kEvenBackground : kOddBackground;
}

}  // namespace ricordex
