#include "ui/alert_ports.h"

#include <mmsystem.h>

#include <utility>

#include "win/application.h"

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

void AlertPortsWin::ShowAlert(std::string_view text) {
    // On top of every window: the main form is often hidden in the
    // notification area, and a reminder behind another program's window is
    // one not seen. Yet it does not take the keys from the program the user
    // is typing into (Windows flashes it instead): the next Enter or Space
    // would dismiss it unread, and it would count as seen.
    const win::FormsWaitingFor box(owner_.Handle());
    win::ShowMessageBox({owner_.Handle(), win::Cp1252ToWide(text), L"Avviso Scadenza",
                         MB_OK | MB_ICONQUESTION | MB_TOPMOST, win::kItalian});
    if (soundFailure_.empty()) return;
    soundFailureReported_ = true;
    win::Application::Instance().ShowError(std::exchange(soundFailure_, {}));
}

}  // namespace ricordex::ui
