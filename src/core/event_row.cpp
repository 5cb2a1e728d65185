#include "core/event_row.h"

namespace ricordex {

EventRow::EventRow(const std::array<std::string_view, kFieldCount>& texts, int image, RowId id)
    : image_(image), id_(id) {
    std::size_t total = 0;
    for (std::string_view t : texts) total += t.size();
    data_.reserve(total);
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        data_.append(texts[i]);
        ends_[i] = static_cast<std::uint32_t>(data_.size());
    }
}

void EventRow::SetText(std::size_t field, std::string_view text) {
    const std::uint32_t begin = field == 0 ? 0 : ends_[field - 1];
    const std::uint32_t oldLength = ends_[field] - begin;
    data_.replace(begin, oldLength, text);
    const auto delta = static_cast<std::int64_t>(text.size()) - oldLength;
    for (std::size_t i = field; i < kFieldCount; ++i) ends_[i] = static_cast<std::uint32_t>(ends_[i] + delta);
}

RowTexts EventRow::Texts() const {
    RowTexts out;
    for (std::size_t i = 0; i < kFieldCount; ++i) out[i] = std::string(Text(i));
    return out;
}

}  // namespace ricordex
