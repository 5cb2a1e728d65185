#include "win/recovery_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

namespace ricordex::win {

namespace {

// The user's local application data: the variable Windows sets for every
// sign-in, read without loading the shell (a start into the tray never
// needs it otherwise); the shell's answer when the variable is missing.
std::filesystem::path LocalAppData() {
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (length > 1) {
        std::wstring value(length, L'\0');
        const DWORD written = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), length);
        value.resize(written < length ? written : 0);
        const std::filesystem::path folder(value);
        if (folder.is_absolute()) return folder;
    }
    PWSTR found = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &found);
    const std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(found, &::CoTaskMemFree);
    if (FAILED(result) || found == nullptr) return {};
    return found;
}

}  // namespace

std::filesystem::path RecoveryFile() {
    const std::filesystem::path localAppData = LocalAppData();
    if (localAppData.empty()) return {};
    const std::filesystem::path folder = localAppData / L"Ricordex";
    // A folder that cannot be made shows at the first write, reported then.
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder / L"Ricordex-recupero.psc";
}

}  // namespace ricordex::win
