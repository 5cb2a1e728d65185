#pragma once
// A moment written as the calendar and the clock say it.

#include "core/date_time.h"

namespace ricordex::testing {

inline DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

}  // namespace ricordex::testing
