#include "ui/alert_ports.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <utility>

#include "win/application.h"

#include "win/alert_box.h"
#include "win/late_loaded.h"
#include "win/message_box.h"
#include "win/system.h"
#include "win/text.h"

namespace ricordex::ui {

void PlayAlarm(const std::wstring& sound) {
    // Neither SND_FILENAME nor SND_NODEFAULT: a name, a file, or the default.
    win::PlaySoundNamed(sound.c_str(), SND_ASYNC);
}

void AlertPortsWin::SoundAlarm(const std::wstring& sound) {
    try {
        PlayAlarm(sound);
    } catch (const std::exception& e) {
        if (!soundFailureReported_) soundFailure_ = e.what();
    }
}

Postpone AlertPortsWin::ShowAlert(std::string_view text) {
    // On top of every window: the main form is often hidden in the
    // notification area, and a reminder behind another program's window is
    // one not seen. Yet it does not take the keys from the program the user
    // is typing into (Windows flashes it instead): the next Enter or Space
    // would dismiss it unread, and it would count as seen.
    const win::FormsWaitingFor box(owner_.Handle());
    Postpone answer = Postpone::No;
    switch (win::ShowAlertBox({owner_.Handle(), win::Cp1252ToWide(text), L"Avviso Scadenza",
                               MB_OK | MB_ICONQUESTION | MB_TOPMOST, win::kItalian})) {
    case win::kPutOffTenMinutes: answer = Postpone::TenMinutes; break;
    case win::kPutOffOneHour: answer = Postpone::OneHour; break;
    case win::kPutOffTomorrow: answer = Postpone::TomorrowAtNine; break;
    default: break;
    }
    if (!soundFailure_.empty()) {
        soundFailureReported_ = true;
        win::Application::Instance().ShowError(std::exchange(soundFailure_, {}));
    }
    return answer;
}

bool AlertPortsWin::AlertsMustWait() {
    // Presenting, a full-screen game or video, quiet hours, or a program
    // that asked not to be disturbed. Not the lock screen: an alert waits
    // there for the user anyway, and is on time when they come back.
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(::SHQueryUserNotificationState(&state))) return false;
    return state == QUNS_PRESENTATION_MODE || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_BUSY ||
           state == QUNS_QUIET_TIME;
}

}  // namespace ricordex::ui
