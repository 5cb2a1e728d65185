#include "alerts/row_status.h"

namespace ricordex {

RowStatus StatusOf(DateTime event, double lead, DateTime now) {
    if (now > event) return RowStatus::Past;
    const double daysAhead = event - now;
    if (daysAhead < lead) return daysAhead <= 1 ? RowStatus::Imminent : RowStatus::Pending;
    if (daysAhead > 1) return RowStatus::Distant;
    return RowStatus::Unmarked;
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
