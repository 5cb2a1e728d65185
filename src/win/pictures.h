#pragma once
// Pictures from the program's icon resources.

#include <windows.h>
#include <commctrl.h>

namespace ricordex::win {

// An icon of the program's resources at a size in pixels; the caller owns it.
HICON LoadProgramIcon(int id, int size);
// A bitmap of an icon drawn on the menu colour, as menus show pictures;
// the caller owns it.
HBITMAP BitmapFromIcon(HICON icon, int size);
// An image list of square pictures of `size` pixels, side by side in one
// 32-bit bitmap resource, taken in one piece; nullptr when it cannot be
// loaded. The caller owns it.
HIMAGELIST LoadPictureStrip(int id, int size);

}  // namespace ricordex::win
