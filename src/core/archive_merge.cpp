#include "core/archive_merge.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>

namespace ricordex {
namespace {

struct Tally {
    int base = 0;
    int theirs = 0;
    int ours = 0;
    std::vector<const std::string*> stamps;  // of both sides' rows
};

// How many rows of one event stay: each side's change from the base is
// taken; where both sides added, the rows added alike count once (the
// larger addition stays), and where both removed, the rows removed alike
// count once (the larger removal goes); an addition on one side and a
// removal on the other are both made.
int Kept(int base, int theirs, int ours) {
    if (theirs >= base && ours >= base) return std::max(theirs, ours);
    if (theirs <= base && ours <= base) return std::min(theirs, ours);
    return theirs + ours - base;
}

std::vector<std::string> KeysOf(const std::vector<RowTexts>& rows) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const RowTexts& row : rows) keys.push_back(EventKey(row));
    return keys;
}

}  // namespace

std::vector<RowTexts> RowsBeyond(const std::vector<RowTexts>& rows, const std::vector<RowTexts>& other) {
    std::unordered_map<std::string, long long> held;
    for (const RowTexts& row : other) ++held[EventKey(row)];
    std::vector<RowTexts> beyond;
    for (const RowTexts& row : rows) {
        const auto found = held.find(EventKey(row));
        if (found != held.end() && found->second > 0) {
            --found->second;
        } else {
            beyond.push_back(row);
        }
    }
    return beyond;
}

// Joined with a separator no text holds.
std::string EventKey(const RowTexts& row) {
    std::string key;
    for (std::size_t field = 0; field < kUltimoAvviso; ++field) {
        key += row[field];
        key += '\0';
    }
    return key;
}

std::string EventKey(const EventRow& row) {
    std::string key;
    key.reserve(row.Text(kUltimoAvviso).data() - row.Text(0).data() + kUltimoAvviso);
    for (std::size_t field = 0; field < kUltimoAvviso; ++field) {
        key += row.Text(field);
        key += '\0';
    }
    return key;
}

long long StampOrder(std::string_view stamp) {
    // Day, month, year, hour, minute: five groups of digits.
    long long groups[5] = {};
    int count = 0;
    for (std::size_t i = 0; i < stamp.size() && count < 5;) {
        if (!std::isdigit(static_cast<unsigned char>(stamp[i]))) {
            ++i;
            continue;
        }
        long long value = 0;
        while (i < stamp.size() && std::isdigit(static_cast<unsigned char>(stamp[i])) && value < 100000) {
            value = value * 10 + (stamp[i++] - '0');
        }
        groups[count++] = value;
    }
    if (count < 5) return -1;
    return (((groups[2] * 100 + groups[1]) * 100 + groups[0]) * 100 + groups[3]) * 100 + groups[4];
}

bool LaterStamp(std::string_view a, std::string_view b, long long notAfter) {
    auto believed = [notAfter](std::string_view stamp) {
        const long long order = StampOrder(stamp);
        return order > notAfter ? -2 : order;
    };
    return believed(a) > believed(b);
}

std::vector<RowTexts> MergeRows(const std::vector<RowTexts>& base, const std::vector<RowTexts>& theirs,
                                const std::vector<RowTexts>& ours, long long notAfter) {
    const std::vector<std::string> theirKeys = KeysOf(theirs);
    const std::vector<std::string> ourKeys = KeysOf(ours);
    std::unordered_map<std::string_view, Tally> tallies;
    tallies.reserve(ours.size() + theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        Tally& tally = tallies[ourKeys[i]];
        ++tally.ours;
        tally.stamps.push_back(&ours[i][kUltimoAvviso]);
    }
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        Tally& tally = tallies[theirKeys[i]];
        ++tally.theirs;
        tally.stamps.push_back(&theirs[i][kUltimoAvviso]);
    }
    for (const RowTexts& row : base) {
        // An event neither side still has stays gone: no need to count it.
        const auto found = tallies.find(EventKey(row));
        if (found != tallies.end()) ++found->second.base;
    }

    // Ours first in their order, then what only theirs has: each event as
    // many times as it stays, with the latest stamps either side holds.
    std::vector<RowTexts> merged;
    merged.reserve(std::max(ours.size(), theirs.size()));
    auto take = [&](const RowTexts& row, const std::string& key) {
        Tally& tally = tallies.find(key)->second;
        const int keep = Kept(tally.base, tally.theirs, tally.ours);
        tally.theirs = tally.ours = tally.base = 0;  // taken: its other rows add nothing
        if (keep == 0) return;
        std::vector<const std::string*>& stamps = tally.stamps;
        if (stamps.size() > static_cast<std::size_t>(keep)) {
            auto later = [notAfter](const std::string* a, const std::string* b) {
                return LaterStamp(*a, *b, notAfter);
            };
            std::partial_sort(stamps.begin(), stamps.begin() + keep, stamps.end(), later);
        }
        for (int i = 0; i < keep; ++i) {
            merged.push_back(row);
            merged.back()[kUltimoAvviso] = *stamps[static_cast<std::size_t>(i)];
        }
    };
    for (std::size_t i = 0; i < ours.size(); ++i) take(ours[i], ourKeys[i]);
    for (std::size_t i = 0; i < theirs.size(); ++i) take(theirs[i], theirKeys[i]);
    return merged;
}

}  // namespace ricordex
