#pragma once
// A popup menu of top-level items, each with a click action, an optional
// picture and a Default flag, opened at a point of the screen.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace ricordex::tray {

class PopupMenu {
public:
    struct Item {
        std::wstring caption;
        std::function<void()> onClick;
        HBITMAP picture = nullptr;  // not owned
        bool isDefault = false;
        bool enabled = true;
    };

    PopupMenu();

    void Add(Item item);
    // The item's picture (not owned), set after the item was added.
    void SetPicture(std::size_t i, HBITMAP picture);
    // Called before the menu opens: what it shows can be made only then.
    std::function<void()> OnPopup;
    std::size_t Count() const { return items_.size(); }
    HMENU Handle() const { return menu_.get(); }

    // When off, the menu neither opens from the tray icon nor runs its default item.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool on) { autoPopup_ = on; }

    // The object the menu was last opened from.
    const void* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(const void* component) { popupComponent_ = component; }

    // Opens the menu with its top-left corner at the point and returns once
    // it has closed: the item chosen, whose action the caller runs with
    // Click, or nothing when the menu was left without a choice.
    std::optional<std::size_t> Track(int x, int y, HWND window);
    // Runs the first top-level item marked Default, as if it had been
    // chosen; returns whether there was one.
    bool ClickDefault();
    // Runs item i as if chosen from the menu: a disabled item does nothing.
    void Click(std::size_t i);

private:
    win::UniqueMenu menu_;
    std::vector<Item> items_;
    bool autoPopup_ = true;
    const void* popupComponent_ = nullptr;
};

}  // namespace ricordex::tray
