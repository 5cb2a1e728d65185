#include "core/archive_merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

namespace ricordex {
namespace {

RowTexts Row(const std::string& description, const std::string& stamp = "01/01/1900 00.01") {
    return {description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", stamp};
}

std::multiset<std::string> Descriptions(const std::vector<RowTexts>& rows) {
    std::multiset<std::string> names;
    for (const RowTexts& row : rows) names.insert(row[kDescrizione]);
    return names;
}

TEST(ArchiveMerge, TwoPcsKeepEveryAdditionEveryRemovalAndBothEdits) {
    const std::vector<RowTexts> base = {Row("A"), Row("Z"), Row("E")};
    // Theirs: added X, removed Z, edited E into E1. Ours: added Y, edited E into E2.
    const std::vector<RowTexts> theirs = {Row("A"), Row("X"), Row("E1")};
    const std::vector<RowTexts> ours = {Row("A"), Row("Z"), Row("Y"), Row("E2")};
    EXPECT_EQ(Descriptions(MergeRows(base, theirs, ours)),
              (std::multiset<std::string>{"A", "X", "Y", "E1", "E2"}));
    // Nothing changed on one side: the other side, as it is.
    EXPECT_EQ(Descriptions(MergeRows(base, base, ours)), Descriptions(ours));
    EXPECT_EQ(Descriptions(MergeRows(base, theirs, base)), Descriptions(theirs));
}

TEST(ArchiveMerge, IdenticalRowsCountAndTheLaterStampWins) {
    const std::vector<RowTexts> base = {Row("A"), Row("A")};
    // Theirs removed one of the two; ours added a third.
    EXPECT_EQ(Descriptions(MergeRows(base, {Row("A")}, {Row("A"), Row("A"), Row("A")})),
              (std::multiset<std::string>{"A", "A"}));
    // Both removed one of the two, each counting: none left; both added one: two.
    EXPECT_EQ(Descriptions(MergeRows(base, {Row("A")}, {Row("A")})), std::multiset<std::string>{});
    EXPECT_EQ(Descriptions(MergeRows({}, {Row("A")}, {Row("A")})), (std::multiset<std::string>{"A", "A"}));
    // The alert was shown on their PC later than on ours.
    const std::vector<RowTexts> merged =
        MergeRows({Row("B")}, {Row("B", "07/12/2026 09.30")}, {Row("B", "06/12/2026 18.00")});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0][kUltimoAvviso], "07/12/2026 09.30");
    EXPECT_LT(StampOrder("31/12/2025 23.59"), StampOrder("01/01/2026 00.00"));
    EXPECT_EQ(StampOrder("mai"), -1);
}

// Random histories of two PCs against the rule told by the operations
// themselves: each event ends up as many times as it was in the base, plus
// the times either side added it, less the times either side removed it
// (never fewer than none). Nothing added on either side is ever lost.
// A stamp far in the future (another PC's clock that was wrong) loses to
// the alert given since, in a merge as at an answer of No.
TEST(ArchiveMerge, AStampBeyondTheLatestBelievedLosesToAnyOther) {
    const RowTexts base{"a", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/06/2030 10.00"};
    RowTexts ours = base;
    ours[kUltimoAvviso] = "07/12/2026 09.00";
    const long long notAfter = StampOrder("08/12/2026 09.00");
    EXPECT_EQ(MergeRows({base}, {base}, {ours}, notAfter)[0][kUltimoAvviso], "07/12/2026 09.00");
    EXPECT_EQ(MergeRows({base}, {base}, {ours})[0][kUltimoAvviso], "01/06/2030 10.00");
    EXPECT_TRUE(LaterStamp("07/12/2026 09.00", "01/06/2030 10.00", notAfter));
    EXPECT_FALSE(LaterStamp("01/06/2030 10.00", "07/12/2026 09.00", notAfter));
}

TEST(ArchiveMerge, ThousandsOfRandomHistoriesFollowTheRule) {
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int history = 0; history < 3000; ++history) {
        std::vector<RowTexts> base;
        for (int i = pick(8); i > 0; --i) base.push_back(Row(std::string(1, static_cast<char>('A' + pick(5)))));
        std::map<std::string, int> expected;
        for (const RowTexts& row : base) ++expected[row[kDescrizione]];
        auto live = [&](std::vector<RowTexts> side) {
            for (int step = pick(6); step > 0; --step) {
                const int kind = pick(4);
                if (kind == 0 || side.empty()) {  // an addition
                    const std::string name(1, static_cast<char>('A' + pick(8)));
                    side.push_back(Row(name));
                    ++expected[name];
                } else if (kind == 1) {  // a removal
                    const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(side.size())));
                    --expected[side[at][kDescrizione]];
                    side.erase(side.begin() + static_cast<std::ptrdiff_t>(at));
                } else if (kind == 2) {  // an edit: a removal and an addition
                    const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(side.size())));
                    --expected[side[at][kDescrizione]];
                    side[at][kDescrizione] += "'";
                    ++expected[side[at][kDescrizione]];
                } else {  // an alert: only the stamp changes
                    std::string stamp = "0";
                    stamp += std::to_string(1 + pick(9));
                    stamp += "/12/2026 10.00";
                    side[static_cast<std::size_t>(pick(static_cast<int>(side.size())))][kUltimoAvviso] = stamp;
                }
            }
            return side;
        };
        const std::vector<RowTexts> theirs = live(base);
        const std::vector<RowTexts> ours = live(base);
        std::map<std::string, int> got;
        for (const RowTexts& row : MergeRows(base, theirs, ours)) ++got[row[kDescrizione]];
        for (auto& [name, count] : expected) {
            ASSERT_EQ(got[name], std::max(0, count)) << "history " << history << ", event " << name;
        }
    }
}

}  // namespace
}  // namespace ricordex
