// Program entry: the application object, the main window (which loads
// everything in its creation handler), then the message loop until the main
// window is closed. Nothing is saved after the loop:
// all saving happens when the main window closes.

#include <windows.h>

#include <memory>
#include <utility>

#include "app/program_state.h"
#include "app/start_load.h"
#include "core/retrying_files.h"
#include "ui/main_form.h"
#include "ui/program_icons.h"
#include "win/application.h"
#include "win/archive_files.h"
#include "win/com_apartment.h"
#include "win/library_search.h"
#include "win/recovery_folder.h"
#include "win/registry.h"
#include "win/session_end.h"
#include "win/start_marks.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace {

// One Ricordex per user session: two would alert twice and overwrite each
// other's archive. A second start by the user brings the first one's window
// forward; one by Windows (after an update, also at the sign-in that
// follows, beside the start at log-on) ends without a word.
bool AnotherIsRunning(ricordex::win::UniqueKernelObject& guard, bool callForward) {
    guard.reset(::CreateMutexW(nullptr, FALSE, L"Local\\Ricordex.SingleInstance"));
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (!callForward) return true;
    if (HWND running = ::FindWindowW(ricordex::ui::kMainFormClass, nullptr)) {
        ::AllowSetForegroundWindow(ASFW_ANY);
        ::PostMessageW(running, ::RegisterWindowMessageW(ricordex::ui::kShowMainWindowMessage), 0, 0);
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    using namespace ricordex;
    // Before anything loads a library: none from the program's folder.
    win::SearchLibrariesInTheSystemFolderOnly();
    win::MarkStart("program entry");
    win::UniqueKernelObject singleInstance;
    if (AnotherIsRunning(singleInstance, !win::StartedAgainByWindows(commandLine != nullptr ? commandLine : L""))) {
        return 0;
    }
    win::RegisterRestartAfterUpdate();

    // COM is entered by the commands that need it, left here at the end.
    const win::ComApartmentScope com;

    win::Win32Registry registry;
    // Never destroyed: a look at the archive still waiting on a network
    // folder when the program ends uses them until the process is gone.
    static auto& platformFiles = *new win::Win32ArchiveFiles;
    // Other programs hold the archive for moments: each step waits a little.
    static auto& files = *new RetryingArchiveFiles(platformFiles);
    win::SystemClock clock;
    win::MessageBoxQuestions questions;
    Services services{registry, files, clock, questions, win::ProgramFolder()};
    const win::RecoveryClaim recovery = win::ClaimRecoveryFile();
    services.recoveryFile = recovery.file;
    services.computerName = win::ComputerName();
    ProgramState state;
    // The archive is read while the windows are made.
    auto startLoad = std::make_unique<StartLoad>(state, services);

    win::Application& application = win::Application::Instance();
    application.Initialize(L"Ricordex", ui::ProgramIcon(), ui::ProgramSmallIcon());
    win::MarkStart("application window");
    // The editor and the options dialog are made when first opened.
    ui::TFMain fMain(state, services, std::move(startLoad));
    questions.SetOwner(fMain.Handle());
    return application.Run();
}
