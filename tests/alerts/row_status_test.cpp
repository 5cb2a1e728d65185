#include "alerts/row_status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/vocabulary.h"
#include "support/moments.h"

namespace ricordex {
namespace {

using testing::At;

TEST(RowStatus, FollowsTheNextOccurrenceAndItsLead) {
    const EventDate date{12, 20, 8.0 / 24};  // 20/12 08.00
    const DateTime event = At(2026, 12, 20, 8);
    const double twoDays = InizioInGiorni("2 giorni prima");
    auto status = [&](double lead, DateTime now) { return StatusOf(date, lead, false, now); };
    EXPECT_EQ(status(twoDays, event - 3), RowStatus::Distant);
    EXPECT_EQ(status(twoDays, event - 1.5), RowStatus::Pending);
    EXPECT_EQ(status(twoDays, event - 0.5), RowStatus::Imminent);
    EXPECT_EQ(status(twoDays, event), RowStatus::Imminent);
    EXPECT_EQ(status(twoDays, event + 1e-8), RowStatus::Past);
    // The far end of the window is open: exactly two days ahead is not inside.
    EXPECT_EQ(status(twoDays, event - 2), RowStatus::Distant);

    const double tenMinutes = InizioInGiorni("10 minuti prima");
    EXPECT_EQ(status(tenMinutes, event - 5.0 / 24), RowStatus::Unmarked);
    EXPECT_EQ(status(tenMinutes, event - 5.0 / 1440), RowStatus::Imminent);
    // "Da adesso" is from now on: inside its window the whole year round.
    EXPECT_EQ(status(InizioInGiorni("Da adesso"), event - 200), RowStatus::Pending);
    EXPECT_EQ(status(InizioInGiorni("Da adesso"), event + 1e-8), RowStatus::Pending);
    // No lead never gives red or blue.
    EXPECT_EQ(status(0, event - 0.5), RowStatus::Unmarked);
    EXPECT_EQ(status(-1, event - 5), RowStatus::Distant);
    // Done: grey whatever its window says.
    EXPECT_EQ(StatusOf(date, twoDays, true, event - 1.5), RowStatus::Past);
}

TEST(RowStatus, AJanuaryEventInsideItsWindowInDecemberIsNotPast) {
    const EventDate befana{1, 5, 8.0 / 24};
    const double oneMonth = InizioInGiorni("1 mese prima");
    EXPECT_EQ(StatusOf(befana, oneMonth, false, At(2026, 12, 20, 12)), RowStatus::Pending);
    EXPECT_EQ(StatusOf(befana, oneMonth, false, At(2027, 1, 4, 12)), RowStatus::Imminent);
    // Past this year, next year's window not open yet: past; in the new
    // year, outside its window: distant.
    const double oneDay = InizioInGiorni("1 giorno prima");
    EXPECT_EQ(StatusOf(befana, oneDay, false, At(2026, 12, 20, 12)), RowStatus::Past);
    EXPECT_EQ(StatusOf(befana, oneDay, false, At(2027, 1, 1, 0, 0, 1)), RowStatus::Distant);
    // 29 February in a year without it is the 28th.
    const EventDate leap{2, 29, 9.0 / 24};
    EXPECT_EQ(StatusOf(leap, oneDay, false, At(2027, 2, 28, 8)), RowStatus::Imminent);
    EXPECT_EQ(StatusOf(leap, oneDay, false, At(2027, 2, 28, 10)), RowStatus::Past);
}

TEST(RowStatus, EachStatusHasAColourOfItsOwnAndRowsAlternateBands) {
    const std::set<std::uint32_t> colours = {TextColourOf(RowStatus::Past), TextColourOf(RowStatus::Imminent),
                                             TextColourOf(RowStatus::Pending), TextColourOf(RowStatus::Distant)};
    EXPECT_EQ(colours.size(), 4u) << "two statuses that look alike";
    // What each colour says: red for imminent, blue for pending, grey for
    // past, black for distant (colours as 0x00bbggrr).
    auto red = [](std::uint32_t c) { return static_cast<int>(c & 0xFF); };
    auto green = [](std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); };
    auto blue = [](std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); };
    const std::uint32_t imminent = TextColourOf(RowStatus::Imminent), pending = TextColourOf(RowStatus::Pending);
    const std::uint32_t past = TextColourOf(RowStatus::Past), distant = TextColourOf(RowStatus::Distant);
    EXPECT_GT(red(imminent), 2 * std::max(green(imminent), blue(imminent)) + 64);
    EXPECT_GT(blue(pending), 2 * std::max(red(pending), green(pending)) + 64);
    EXPECT_TRUE(red(past) == green(past) && green(past) == blue(past) && red(past) > 64 && red(past) < 192);
    EXPECT_LT(red(distant) + green(distant) + blue(distant), 96);
    for (std::size_t position = 0; position < 4; ++position) {
        const std::uint32_t band = BackgroundOf(false, false, position);
        EXPECT_NE(band, BackgroundOf(false, false, position + 1)) << "neighbours on one band";
        EXPECT_EQ(band, BackgroundOf(false, false, position + 2)) << "the bands do not alternate";
        EXPECT_FALSE(colours.contains(band)) << "a status colour on a band of the same colour";
        // The selected and the focused row stand out from either band,
        // whatever their place.
        EXPECT_EQ(BackgroundOf(true, true, position), BackgroundOf(true, false, 0));
        EXPECT_EQ(BackgroundOf(false, true, position), BackgroundOf(false, true, 0));
        EXPECT_NE(BackgroundOf(false, true, position), band);
        EXPECT_NE(BackgroundOf(true, true, position), band);
    }
}

}  // namespace
}  // namespace ricordex
