#include "alerts/postponements.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/archive_merge.h"

namespace ricordex {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool Plain(unsigned char c) { return c > ' ' && c < 0x7F && c != '%'; }

std::string Escaped(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (Plain(byte)) {
            text += c;
        } else {
            text += '%';
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (!Plain(static_cast<unsigned char>(text[i]))) return std::nullopt;
            bytes += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

// Moments as "yyyy-mm-dd hh:nn:ss", whatever the regional settings.
FormatSettings MomentSettings() {
    FormatSettings settings;
    settings.dateSeparator = '-';
    settings.timeSeparator = ':';
    settings.dateOrder = DateOrder::YearMonthDay;
    return settings;
}

std::optional<DateTime> ReadMoment(std::string_view text) {
    // A text without its own year reads in year 1, and is not taken.
    const std::optional<DateTime> moment = TryStrToDateTime(text, MomentSettings(), 1);
    if (!moment || *moment < CivilDate(1901, 1, 1)) return std::nullopt;
    return moment;
}

std::string MomentText(DateTime moment) { return FormatDateTime("yyyy/mm/dd hh:nn:ss", moment, MomentSettings()); }

}  // namespace

DateTime PostponedUntil(Postpone choice, DateTime answered) {
    switch (choice) {
    case Postpone::TenMinutes: return answered + 10.0 / 1440;
    case Postpone::OneHour: return answered + 1.0 / 24;
    case Postpone::TomorrowAtNine: return std::floor(answered) + 1 + 9.0 / 24;
    case Postpone::No: break;
    }
    return answered;
}

void Postponements::Add(std::string event, DateTime at) {
    Remove(event);
    items_.push_back({std::move(event), at});
    ++revision_;
}

void Postponements::Remove(const std::string& event) {
    const auto gone =
        std::remove_if(items_.begin(), items_.end(), [&](const Postponement& item) { return item.event == event; });
    if (gone == items_.end()) return;
    items_.erase(gone, items_.end());
    ++revision_;
}

std::vector<Postponement> Postponements::DueAt(DateTime now) const {
    std::vector<Postponement> due;
    for (const Postponement& item : items_) {
        if (item.at <= now) due.push_back(item);
    }
    std::stable_sort(due.begin(), due.end(), [](const Postponement& a, const Postponement& b) { return a.at < b.at; });
    return due;
}

void Postponements::KeepThoseIn(const EventList& list) {
    const std::unordered_map<std::string, RowId> held = RowsHolding(list, items_);
    const auto gone = std::remove_if(items_.begin(), items_.end(),
                                     [&](const Postponement& item) { return held.count(item.event) == 0; });
    if (gone == items_.end()) return;
    items_.erase(gone, items_.end());
    ++revision_;
}

std::string Postponements::Text() const {
    std::string text;
    for (const Postponement& item : items_)
        text.append(MomentText(item.at)).append("\t").append(Escaped(item.event)).append("\n");
    return text;
}

Postponements Postponements::FromText(std::string_view text) {
    Postponements store;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        const std::optional<DateTime> at = ReadMoment(line.substr(0, tab));
        std::optional<std::string> event = Unescaped(line.substr(tab + 1));
        if (at && event && !event->empty()) store.Add(std::move(*event), *at);
    }
    store.revision_ = 0;
    return store;
}

std::unordered_map<std::string, RowId> RowsHolding(const EventList& list, const std::vector<Postponement>& items) {
    std::unordered_map<std::string, RowId> found;
    if (items.empty()) return found;
    // The description comes first in the event's key: only rows with one
    // of these descriptions have their key made.
    std::unordered_set<std::string_view> descriptions;
    std::unordered_set<std::string_view> wanted;
    for (const Postponement& item : items) {
        descriptions.insert(std::string_view(item.event).substr(0, item.event.find('\0')));
        wanted.insert(item.event);
    }
    for (std::size_t i = 0; i < list.Count() && found.size() < wanted.size(); ++i) {
        const EventRow& row = list.At(i);
        if (descriptions.count(row.Text(kDescrizione)) == 0) continue;
        std::string key = EventKey(row);
        if (wanted.count(key) != 0) found.try_emplace(std::move(key), row.Id());
    }
    return found;
}

}  // namespace ricordex
