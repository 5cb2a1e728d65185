#include "win/pictures.h"

#include "win/dc_guards.h"
#include "win/unique_handle.h"

namespace ricordex::win {

HICON LoadProgramIcon(int id, int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HIMAGELIST LoadPictureStrip(int id, int size) {
    const UniqueBitmap strip(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return nullptr;
    BITMAP bitmap{};
    ::GetObjectW(strip.get(), sizeof(bitmap), &bitmap);
    UniqueImageList images(::ImageList_Create(size, size, ILC_COLOR32, bitmap.bmWidth / size, 0));
    if (!images || ::ImageList_Add(images.get(), strip.get(), nullptr) < 0) return nullptr;
    return images.release();
}

HBITMAP BitmapFromIcon(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const WindowDc screen(nullptr);
    UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    {
        const SelectedObject drawnOn(dc.get(), bitmap.get());
        const RECT all{0, 0, size, size};
        ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_MENU));
        ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    }
    return bitmap.release();
}

}  // namespace ricordex::win
