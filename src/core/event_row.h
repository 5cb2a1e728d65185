#pragma once
// One event: the description and the six texts that follow it in the list,
// kept exactly as written (single-byte text in code page 1252).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ricordex {

// Positions of the row's texts. The description is the caption; the others
// are the sub-items 0 to 5 of the list.
enum Field : std::size_t {
    kDescrizione = 0,
    kInizio = 1,      // lead-time label
    kData = 2,        // "dd/mm"
    kOra = 3,         // "hh:nn"
    kModalita = 4,    // frequency label
    kRicorrenza = 5,  // recurrence label
    kUltimoAvviso = 6,  // last-alert stamp, never shown
    kFieldCount = 7,
};

using RowTexts = std::array<std::string, kFieldCount>;
using RowId = std::uint32_t;

// The seven texts live back to back in one string: a list of a million
// events then costs one allocation per row instead of seven.
class EventRow {
public:
    EventRow() = default;
    EventRow(const std::array<std::string_view, kFieldCount>& texts, int image, RowId id);

    std::string_view Text(std::size_t field) const {
        const std::uint32_t begin = field == 0 ? 0 : ends_[field - 1];
        return std::string_view(data_).substr(begin, ends_[field] - begin);
    }
    void SetText(std::size_t field, std::string_view text);
    RowTexts Texts() const;

    int Image() const { return image_; }
    void SetImage(int image) { image_ = image; }
    RowId Id() const { return id_; }

private:
    std::string data_;
    std::array<std::uint32_t, kFieldCount> ends_{};
    int image_ = 0;
    RowId id_ = 0;
};

}  // namespace ricordex
