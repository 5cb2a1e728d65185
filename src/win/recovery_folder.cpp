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

namespace {

bool Exists(const std::filesystem::path& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What a crash left in it: the file, or a write of it stopped half-way.
bool HoldsChanges(const std::filesystem::path& file) {
    std::filesystem::path newer = file, older = file;
    return Exists(file) || Exists(newer += L".new") || Exists(older += L".old");
}

}  // namespace

RecoveryClaim ClaimRecoveryFile(const std::filesystem::path& folder) {
    RecoveryClaim claim;
    claim.file = folder.empty() ? RecoveryFile() : folder / L"Ricordex-recupero.psc";
    if (claim.file.empty()) return claim;
    const std::filesystem::path first = claim.file;
    constexpr int kSlots = 9;
    bool claimed = false;
    for (int slot = 1; slot <= kSlots; ++slot) {
        std::filesystem::path file = first;
        if (slot > 1) file.replace_filename(L"Ricordex-recupero-" + std::to_wstring(slot) + L".psc");
        // Once one is claimed, only a file holding changes is worth a try:
        // a start looks at the others' names, and opens nothing of theirs.
        const bool changesLeft = HoldsChanges(file);
        if (claimed && !changesLeft) continue;
        std::filesystem::path marker = file;
        marker += L".lock";
        UniqueFile held(::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!held) {
            // Claimed by a running program; anything else (a folder that
            // refuses) is told at the first write.
            if (::GetLastError() != ERROR_SHARING_VIOLATION) break;
            continue;
        }
        // The lowest free one; but one that a program which ended left
        // changes in comes first, or they would never be offered.
        claim.file = std::move(file);
        claim.marker_ = std::move(held);
        claimed = true;
        if (changesLeft) break;
    }
    return claim;  // none free: the first, as before there were claims
}

}  // namespace ricordex::win
