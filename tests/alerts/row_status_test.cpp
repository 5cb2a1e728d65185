#include "alerts/row_status.h"

#include <gtest/gtest.h>

#include "core/vocabulary.h"

namespace ricordex {
namespace {

TEST(RowStatus, FollowsTheEventAndItsLead) {
    const DateTime event = EncodeDateTime({2026, 12, 20, 8, 0, 0, 0});
    const double twoDays = InizioInGiorni("2 giorni prima");
    EXPECT_EQ(StatusOf(event, twoDays, event - 3), RowStatus::Distant);
    EXPECT_EQ(StatusOf(event, twoDays, event - 1.5), RowStatus::Pending);
    EXPECT_EQ(StatusOf(event, twoDays, event - 0.5), RowStatus::Imminent);
    EXPECT_EQ(StatusOf(event, twoDays, event), RowStatus::Imminent);
    EXPECT_EQ(StatusOf(event, twoDays, event + 1e-8), RowStatus::Past);
    // The far end of the window is open: exactly two days ahead is not inside.
    EXPECT_EQ(StatusOf(event, twoDays, event - 2), RowStatus::Distant);

    const double tenMinutes = InizioInGiorni("10 minuti prima");
    EXPECT_EQ(StatusOf(event, tenMinutes, event - 5.0 / 24), RowStatus::Unmarked);
    EXPECT_EQ(StatusOf(event, tenMinutes, event - 5.0 / 1440), RowStatus::Imminent);
    EXPECT_EQ(StatusOf(event, InizioInGiorni("Da adesso"), event - 200), RowStatus::Pending);
    // No lead never gives red or blue.
    EXPECT_EQ(StatusOf(event, 0, event - 0.5), RowStatus::Unmarked);
    EXPECT_EQ(StatusOf(event, -1, event - 5), RowStatus::Distant);
}

TEST(RowStatus, ColoursAndBackgrounds) {
    EXPECT_EQ(TextColourOf(RowStatus::Past), 0x808080u);
    EXPECT_EQ(TextColourOf(RowStatus::Imminent), 0x0000FFu);
    EXPECT_EQ(TextColourOf(RowStatus::Pending), 0xFF0000u);
    EXPECT_EQ(TextColourOf(RowStatus::Distant), 0x000000u);
    EXPECT_EQ(BackgroundOf(false, false, 0), 0xDBDBDBu);
    EXPECT_EQ(BackgroundOf(false, false, 1), 0xFFFFFFu);
    EXPECT_EQ(BackgroundOf(false, true, 2), 0xC0C0C0u);
    EXPECT_EQ(BackgroundOf(true, true, 3), 0xFF000005u);
}

}  // namespace
}  // namespace ricordex
