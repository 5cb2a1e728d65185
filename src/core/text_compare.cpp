#include "core/text_compare.h"

#include <algorithm>

namespace ricordex {
namespace {

inline int Folded(char c) { return static_cast<unsigned char>(FoldAscii(c)); }

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = Folded(a[i]) - Folded(b[i]);
        if (d != 0) return d;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

}  // namespace ricordex
