#include "win/message_box.h"

#include <utility>

namespace ricordex::win {
namespace {

MessageBoxShower& Shower() {
    static MessageBoxShower shower;
    return shower;
}

}  // namespace

int ShowMessageBox(const MessageBoxRequest& box) {
    if (const MessageBoxShower& shower = Shower()) return shower(box);
    return ::MessageBoxExW(box.owner, box.text.c_str(), box.caption.c_str(), box.flags, box.language);
}

void SetMessageBoxShower(MessageBoxShower shower) { Shower() = std::move(shower); }

bool MessageBoxesRedirected() { return static_cast<bool>(Shower()); }

}  // namespace ricordex::win
