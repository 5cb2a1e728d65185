#include "win/swap_steps.h"

#include <windows.h>

#include "core/errors.h"
#include "win/archive_files.h"

namespace ricordex::win {
namespace {

// What a save keeps of the archive's attributes (a read-only one is refused before).
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

[[noreturn]] void ThrowLastError() { throw InOutError(InOutCodeFromSystemError(::GetLastError())); }

}  // namespace

bool Win32SwapSteps::Exists(const std::filesystem::path& path) { return FileExists(path); }

void Win32SwapSteps::CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) {
    // ReplaceFileW carries them on Windows; Wine's does not.
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(to.c_str(), attributes & kCarriedAttributes);
}

void Win32SwapSteps::Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                             const std::filesystem::path& backup) {
    // Keeps the archive's security descriptor and creation time too.
    if (!::ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
        ThrowLastError();
    }
}

void Win32SwapSteps::Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replacing ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(from.c_str(), to.c_str(), flags)) ThrowLastError();
}

void Win32SwapSteps::Remove(const std::filesystem::path& path) {
    if (!::DeleteFileW(path.c_str())) ThrowLastError();
}

}  // namespace ricordex::win
