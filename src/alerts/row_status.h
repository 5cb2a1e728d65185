#pragma once
// Where each row's event stands, shown by its text colour and icon, on
// alternating backgrounds. Colours are 0x00BBGGRR; a value with 0xFF in the
// top byte names a system colour by its index.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "alerts/calendar.h"

namespace ricordex {

// The values are the row's icons in ImageList1.
enum class RowStatus : int {
    Distant = 0,   // more than a day away and outside its lead window
    Pending = 1,   // inside its lead window, more than a day away
    Past = 2,      // passed this year, the next window not open yet; or done
    Imminent = 3,  // inside its lead window, at most a day away
    Unmarked = -1, // at most a day away but outside its window: nothing is set
};

inline constexpr std::uint32_t kSelectedBackground = 0xFF000005;  // the system window colour
inline constexpr std::uint32_t kFocusedBackground = 0xC0C0C0;
inline constexpr std::uint32_t kEvenBackground = 0xDBDBDB;
inline constexpr std::uint32_t kOddBackground = 0xFFFFFF;

// By the row's next occurrence and its lead window, open here at its far
// end (D < L), unlike the scheduler's. `done`: a "Nessuna" row alerted for
// an occurrence that has passed.
RowStatus StatusOf(const EventDate& date, double lead, bool done, DateTime now);

// What a screen reader says of a status, after the row; nothing for Unmarked.
std::string_view StatusName(RowStatus status);

// The text colour of a status; Unmarked keeps the list's own colour.
std::uint32_t TextColourOf(RowStatus status);

// By the first that applies: selected, focused, position even or odd.
std::uint32_t BackgroundOf(bool selected, bool focused, std::size_t position);

// Under high contrast the rows take the system's colours, the selected one
// the selection's, whatever their status (their icon still tells it).
inline constexpr std::uint32_t kSystemWindow = 0xFF000005;         // COLOR_WINDOW
inline constexpr std::uint32_t kSystemWindowText = 0xFF000008;     // COLOR_WINDOWTEXT
inline constexpr std::uint32_t kSystemHighlight = 0xFF00000D;      // COLOR_HIGHLIGHT
inline constexpr std::uint32_t kSystemHighlightText = 0xFF00000E;  // COLOR_HIGHLIGHTTEXT
inline std::uint32_t SystemBackgroundOf(bool selected) { return selected ? kSystemHighlight : kSystemWindow; }
inline std::uint32_t SystemTextColourOf(bool selected) { return selected ? kSystemHighlightText : kSystemWindowText; }

}  // namespace ricordex
