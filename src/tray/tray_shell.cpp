// The tray icon's requests to the shell: add, remove and refresh the icon,
// the version of the notifications it asks for, an add tried again while
// the shell refuses it, and the keyboard focus given back to the
// notification area.

#include "tray/tray_icon.h"

#include <algorithm>

#include "win/text.h"

namespace ricordex::tray {

bool TTrayIcon::ShellNotifyIcon(DWORD request, NOTIFYICONDATAW& data) {
    return ::Shell_NotifyIconW(request, &data) != FALSE;
}

void TTrayIcon::SetAddRetry(unsigned intervalMilliseconds, int attempts) {
    addRetryTimer_.SetInterval(intervalMilliseconds);
    addRetryAttempts_ = attempts;
}

void TTrayIcon::PrepareIconData() {
    iconData_.hIcon = icon_.get();
    std::fill(std::begin(iconData_.szTip), std::end(iconData_.szTip), L'\0');
    if (!hint_.empty() && showHint_) {
        const std::wstring tip = win::Cp1252ToWide(std::string_view(hint_).substr(0, 127));
        std::copy_n(tip.begin(), std::min<std::size_t>(tip.size(), 127), iconData_.szTip);
    }
}

bool TTrayIcon::Notify(DWORD request) {
    shellAsked_ = true;
    PrepareIconData();
    return ShellNotifyIcon(request, iconData_);
}

// A new request: a full round of attempts, if it is refused.
bool TTrayIcon::AddTrayIcon() {
    iconVisible_ = true;
    addRetriesLeft_ = addRetryAttempts_;
    return TryToAdd();
}

// A shell still starting (a slow sign-in) refuses the add, or takes it only
// after the call timed out; a second add of an icon that is there is
// refused too, so a modify that goes through says it is there. The version
// goes with every add: the shell forgets it with the icon.
bool TTrayIcon::TryToAdd() {
    const bool added = Notify(NIM_ADD);
    if (added || Notify(NIM_MODIFY)) {
        addRetryTimer_.SetEnabled(false);
        ShellNotifyIcon(NIM_SETVERSION, iconData_);
        return added;
    }
    addRetryTimer_.SetEnabled(addRetriesLeft_ > 0);
    return false;
}

void TTrayIcon::AddRetryTick() {
    --addRetriesLeft_;
    TryToAdd();
}

bool TTrayIcon::RemoveTrayIcon() {
    iconVisible_ = false;
    addRetryTimer_.SetEnabled(false);
    return Notify(NIM_DELETE);
}

// Sent whether or not the icon is shown (the shell refuses it when not),
// once the owner has loaded the icon: before, nothing is there to refresh,
// and the shell is not needed yet.
bool TTrayIcon::RefreshTrayIcon() {
    if (loaded_) return Notify(NIM_MODIFY);
    PrepareIconData();
    return false;
}

// What the notification area asks of a menu left without a choice: the
// keys go back to the icons, where the user was.
void TTrayIcon::ReturnFocusToNotificationArea() { ShellNotifyIcon(NIM_SETFOCUS, iconData_); }

}  // namespace ricordex::tray
