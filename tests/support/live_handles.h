#pragma once
// The process's live USER and GDI handles, for tests that look for leaks.
// Wine answers GetGuiResources with 0, so they are counted the way handle
// tables hand slots out: freed slots are taken again first, then new ones
// from the top. After taking more handles than lie free, the highest slot
// taken is the live count plus the number taken, so its change between two
// readings is the change in live handles.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace ricordex::testing {

template <typename Create, typename Destroy>
std::uintptr_t LiveHandles(Create create, Destroy destroy, unsigned slotShift) {
    constexpr std::size_t kTaken = 8192;
    std::vector<HANDLE> taken;
    taken.reserve(kTaken);
    std::uintptr_t highest = 0;
    for (std::size_t i = 0; i < kTaken; ++i) {
        const HANDLE handle = create();
        if (handle == nullptr) break;
        highest = std::max(highest, (reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF) >> slotShift);
        taken.push_back(handle);
    }
    for (HANDLE handle : taken) destroy(handle);
    return highest - taken.size();
}

// Menus, icons and windows share the USER table; brushes, fonts and bitmaps
// the GDI one.
inline std::uintptr_t LiveUserHandles() {
    return LiveHandles([] { return static_cast<HANDLE>(::CreatePopupMenu()); },
                       [](HANDLE menu) { ::DestroyMenu(static_cast<HMENU>(menu)); }, 1);
}

inline std::uintptr_t LiveGdiHandles() {
    return LiveHandles([] { return static_cast<HANDLE>(::CreateSolidBrush(RGB(1, 2, 3))); },
                       [](HANDLE brush) { ::DeleteObject(brush); }, 0);
}

}  // namespace ricordex::testing
