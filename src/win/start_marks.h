#pragma once
// Where the time of a start goes: when the environment names a file in
// RICORDEX_START_MARKS, each mark appends a line to it with the
// milliseconds since the process was created. Without it a mark costs one
// look at a flag.

namespace ricordex::win {

void MarkStart(const char* phase);

}  // namespace ricordex::win
