#include "tray/popup_menu.h"

namespace ricordex::tray {

PopupMenu::PopupMenu() : menu_(::CreatePopupMenu()) {}

void PopupMenu::Add(Item item) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    info.fType = MFT_STRING;
    info.wID = static_cast<UINT>(items_.size() + 1);
    info.dwTypeData = item.caption.data();
    info.fState = (item.isDefault ? MFS_DEFAULT : 0u) | (item.enabled ? MFS_ENABLED : MFS_DISABLED);
    if (item.picture != nullptr) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = item.picture;
    }
    ::InsertMenuItemW(menu_.get(), static_cast<UINT>(items_.size()), TRUE, &info);
    items_.push_back(std::move(item));
}

void PopupMenu::SetPicture(std::size_t i, HBITMAP picture) {
    items_.at(i).picture = picture;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = picture;
    ::SetMenuItemInfoW(menu_.get(), static_cast<UINT>(i), TRUE, &info);
}

std::optional<std::size_t> PopupMenu::Track(int x, int y, HWND window) {
    if (OnPopup) OnPopup();
    const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(
        menu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, window, nullptr));
    if (chosen < 1 || chosen > items_.size()) return std::nullopt;
    return chosen - 1;
}

bool PopupMenu::ClickDefault() {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].isDefault) {
            Click(i);
            return true;
        }
    }
    return false;
}

void PopupMenu::Click(std::size_t i) {
    if (i < items_.size() && items_[i].enabled && items_[i].onClick) items_[i].onClick();
}

}  // namespace ricordex::tray
