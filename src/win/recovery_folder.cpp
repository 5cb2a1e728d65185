#include "win/recovery_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

#include "app/recovery_file.h"

namespace ricordex::win {

std::filesystem::path RecoveryFile() {
    PWSTR found = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &found);
    const std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(found, &::CoTaskMemFree);
    if (FAILED(result) || found == nullptr) return {};
    const std::filesystem::path folder = std::filesystem::path(found) / L"Ricordex";
    // A folder that cannot be made shows at the first write, reported then.
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // One file a session: two sessions of the user (Remote Desktop, a
    // terminal server) would each take the other's changes for a crash's.
    DWORD session = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) session = 0;
    return RecoveryFileOfSession(folder, session);
}

}  // namespace ricordex::win
