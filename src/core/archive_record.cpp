#include "core/archive_record.h"

#include <algorithm>
#include <cstring>

namespace ricordex {
namespace {

constexpr std::array<std::size_t, kFieldCount> FieldOffsets() {
    std::array<std::size_t, kFieldCount> offsets{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        offsets[i] = at;
        at += kFieldCapacity[i] + 1;
    }
    return offsets;
}

constexpr std::array<std::size_t, kFieldCount> kFieldOffset = FieldOffsets();
static_assert(kFieldOffset[kFieldCount - 1] + kFieldCapacity[kFieldCount - 1] + 1 == kRecordSize);
static_assert(kFieldOffset[1] == 81 && kFieldOffset[2] == 102 && kFieldOffset[3] == 109 &&
              kFieldOffset[4] == 120 && kFieldOffset[5] == 136 && kFieldOffset[6] == 147);

}  // namespace

void EncodeRecord(const EventRow& row, char* record) {
    std::memset(record, 0, kRecordSize);
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const std::string_view text = row.Text(i);
        const std::size_t length = std::min(text.size(), kFieldCapacity[i]);
        char* field = record + kFieldOffset[i];
        field[0] = static_cast<char>(length);
        std::memcpy(field + 1, text.data(), length);
    }
}

RowFields DecodeRecord(const char* record) {
    RowFields texts;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const char* field = record + kFieldOffset[i];
        const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(field[0]), kFieldCapacity[i]);
        texts[i] = std::string_view(field + 1, length);
    }
    return texts;
}

}  // namespace ricordex
