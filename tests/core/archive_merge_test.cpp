#include "core/archive_merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
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
    // Both removed one of the two (each user cleaning the duplicate): one
    // left; both added the same event: once; one added two, the other one:
    // two; both removed, one side more: the larger removal.
    EXPECT_EQ(Descriptions(MergeRows(base, {Row("A")}, {Row("A")})), std::multiset<std::string>{"A"});
    EXPECT_EQ(Descriptions(MergeRows({}, {Row("A")}, {Row("A")})), (std::multiset<std::string>{"A"}));
    EXPECT_EQ(Descriptions(MergeRows({}, {Row("A"), Row("A")}, {Row("A")})), (std::multiset<std::string>{"A", "A"}));
    EXPECT_EQ(Descriptions(MergeRows(base, {}, {Row("A")})), std::multiset<std::string>{});
    // The alert was shown on their PC later than on ours.
    const std::vector<RowTexts> merged =
        MergeRows({Row("B")}, {Row("B", "07/12/2026 09.30")}, {Row("B", "06/12/2026 18.00")});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0][kUltimoAvviso], "07/12/2026 09.30");
    EXPECT_LT(StampOrder("31/12/2025 23.59"), StampOrder("01/01/2026 00.00"));
    EXPECT_EQ(StampOrder("mai"), -1);
}

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

// Random histories of two PCs, each side's changes counted as it made
// them: a change of one side alone is taken, a change made alike on both is
// made once, additions on both keep the larger, removals on both take the
// larger, an addition against a removal makes both.
TEST(ArchiveMerge, ThousandsOfRandomHistoriesFollowTheRule) {
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int history = 0; history < 3000; ++history) {
        std::vector<RowTexts> base;
        for (int i = pick(8); i > 0; --i) base.push_back(Row(std::string(1, static_cast<char>('A' + pick(5)))));
        std::map<std::string, int> before;
        for (const RowTexts& row : base) ++before[row[kDescrizione]];
        auto live = [&](std::vector<RowTexts> side, std::map<std::string, int>& change) {
            for (int step = pick(6); step > 0; --step) {
                const int kind = pick(4);
                if (kind == 0 || side.empty()) {  // an addition
                    const std::string name(1, static_cast<char>('A' + pick(8)));
                    side.push_back(Row(name));
                    ++change[name];
                } else if (kind == 1) {  // a removal
                    const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(side.size())));
                    --change[side[at][kDescrizione]];
                    side.erase(side.begin() + static_cast<std::ptrdiff_t>(at));
                } else if (kind == 2) {  // an edit: a removal and an addition
                    const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(side.size())));
                    --change[side[at][kDescrizione]];
                    side[at][kDescrizione] += "'";
                    ++change[side[at][kDescrizione]];
                } else {  // an alert: only the stamp changes
                    std::string stamp = "0";
                    stamp += std::to_string(1 + pick(9));
                    stamp += "/12/2026 10.00";
                    side[static_cast<std::size_t>(pick(static_cast<int>(side.size())))][kUltimoAvviso] = stamp;
                }
            }
            return side;
        };
        std::map<std::string, int> theirChange, ourChange;
        const std::vector<RowTexts> theirs = live(base, theirChange);
        const std::vector<RowTexts> ours = live(base, ourChange);
        std::map<std::string, int> got;
        for (const RowTexts& row : MergeRows(base, theirs, ours)) ++got[row[kDescrizione]];
        std::set<std::string> names;
        for (const auto& changes : {before, theirChange, ourChange}) {
            for (const auto& [name, count] : changes) names.insert(name);
        }
        for (const std::string& name : names) {
            const int t = theirChange[name], o = ourChange[name];
            int change = t + o;
            if (t == o) change = t;                        // alike: once
            else if (t > 0 && o > 0) change = std::max(t, o);  // both added
            else if (t < 0 && o < 0) change = std::min(t, o);  // both removed
            ASSERT_EQ(got[name], before[name] + change) << "history " << history << ", event " << name;
        }
    }
}

}  // namespace
}  // namespace ricordex
