#pragma once
// RecordEvento: one event in the archive, 164 bytes, seven fields in row
// order. A field of size N + 1 holds a length byte and up to N bytes of text;
// the bytes after the text mean nothing.

#include <array>
#include <cstddef>

#include "core/event_list.h"

namespace ricordex {

inline constexpr std::size_t kRecordSize = 164;
// The longest text each field keeps, in row order.
inline constexpr std::array<std::size_t, kFieldCount> kFieldCapacity = {80, 20, 6, 10, 15, 10, 16};

// Writes the row into a record; longer texts keep their first N bytes and the
// spare bytes are zero.
void EncodeRecord(const EventRow& row, char* record);
// The texts of a record, pointing into it. A length byte larger than its
// field is read as the whole field, never past it.
RowFields DecodeRecord(const char* record);

}  // namespace ricordex
