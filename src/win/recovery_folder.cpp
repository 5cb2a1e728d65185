#include "win/recovery_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

namespace ricordex::win {

std::filesystem::path RecoveryFile() {
    PWSTR found = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &found);
    const std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(found, &::CoTaskMemFree);
    if (FAILED(result) || found == nullptr) return {};
    const std::filesystem::path folder = std::filesystem::path(found) / L"Ricordex";
    // A folder that cannot be made shows at the first write, reported then.
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder / L"Ricordex-recupero.psc";
}

}  // namespace ricordex::win
