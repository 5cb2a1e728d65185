#include "win/archive_files.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "core/errors.h"
#include "core/paths.h"
#include "win/system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace ricordex::win {
namespace {

[[noreturn]] void ThrowLastError() { throw InOutError(InOutCodeFromSystemError(::GetLastError())); }

bool MarkedReadOnly(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

class Input final : public InputFile {
public:
    explicit Input(HANDLE file) : file_(file) {}

    std::uint64_t Size() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_.get(), &size)) ThrowLastError();
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    // Each read says where it starts: one that failed half-way (a range
    // another program locked) is tried again from the same place.
    void Read(char* buffer, std::size_t n) override {
        std::uint64_t at = position_;
        while (n > 0) {
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(at);
            where.OffsetHigh = static_cast<DWORD>(at >> 32);
            DWORD got = 0;
            const auto want = static_cast<DWORD>(n > (1u << 30) ? (1u << 30) : n);
            if (!::ReadFile(file_.get(), buffer, want, &got, &where)) {
                if (::GetLastError() != ERROR_HANDLE_EOF) ThrowLastError();
                got = 0;
            }
            if (got == 0) throw InOutError(InOutError::kReadBeyondEnd);
            buffer += got;
            n -= got;
            at += got;
        }
        position_ = at;
    }

private:
    UniqueFile file_;
    std::uint64_t position_ = 0;
};

class Output final : public OutputFile {
public:
    Output(HANDLE file, std::filesystem::path temporary, std::filesystem::path target, SwapSteps& steps)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)), steps_(steps) {}

    ~Output() override {
        file_.reset();
        // After a swap that stopped half-way the new file is one of the two
        // that hold the events: it stays.
        if (!committed_ && !progress_.archiveAtBackup) ::DeleteFileW(temporary_.c_str());
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Write(const char* data, std::size_t n) override {
        DWORD written = 0;
        if (!::WriteFile(file_.get(), data, static_cast<DWORD>(n), &written, nullptr)) ThrowLastError();
        if (written != n) throw InOutError(InOutError::kDiskFull);
    }

    void Commit() override {
        // Windows refuses to replace a read-only file whoever asks; Wine run
        // by an administrator does not.
        if (MarkedReadOnly(target_)) throw ReadOnlyFileError(target_);
        if (file_) {
            if (!::FlushFileBuffers(file_.get())) ThrowLastError();
            if (!::CloseHandle(file_.release())) ThrowLastError();
        }
        // The archive goes to a backup name for the moment of the swap, so
        // that whatever step fails it still exists under one of two names
        // the program knows: never only under one it would not look for.
        SwapIntoPlace(steps_, temporary_, target_, progress_);
        committed_ = true;
    }

private:
    UniqueFile file_;
    std::filesystem::path temporary_;
    std::filesystem::path target_;
    SwapSteps& steps_;
    SwapProgress progress_;
    bool committed_ = false;
};

}  // namespace

int InOutCodeFromSystemError(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return InOutError::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return InOutError::kInvalidFilename;
    case ERROR_TOO_MANY_OPEN_FILES: return InOutError::kTooManyOpenFiles;
    case ERROR_ACCESS_DENIED: return InOutError::kAccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return InOutError::kDiskFull;
    default: return static_cast<int>(error);
    }
}

namespace {

// The file a path finally names, through any symbolic link, so that a save
// replaces the linked file and the link goes on naming it. A path that names
// nothing yet is its own final path.
std::filesystem::path FinalPath(const std::filesystem::path& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return path;
    std::wstring name(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file.get(), name.data(), static_cast<DWORD>(name.size()), 0);
    if (length >= name.size()) {
        name.resize(length);
        length = ::GetFinalPathNameByHandleW(file.get(), name.data(), static_cast<DWORD>(name.size()), 0);
    }
    if (length == 0 || length >= name.size()) return path;
    name.resize(length);
    return name;
}

// Only reading is asked for, and every other program may read, write,
// replace or delete the file meanwhile: this program's reads never hold
// up another's save or read. A read-only archive loads like any other.
std::unique_ptr<InputFile> OpenForLoading(const std::filesystem::path& path, DWORD disposition) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowLastError();
    return std::make_unique<Input>(file);
}

}  // namespace

std::unique_ptr<InputFile> Win32ArchiveFiles::OpenOrCreate(const std::filesystem::path& path) {
    return OpenForLoading(path, OPEN_ALWAYS);
}

std::unique_ptr<InputFile> Win32ArchiveFiles::OpenExisting(const std::filesystem::path& path) {
    return OpenForLoading(path, OPEN_EXISTING);
}

std::unique_ptr<OutputFile> Win32ArchiveFiles::CreateReplacement(const std::filesystem::path& path) {
    const std::filesystem::path target = FinalPath(path);
    std::filesystem::path temporary = ReplacementName(target);
    // One left hidden by a save that stopped half-way would refuse CREATE_ALWAYS.
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowLastError();
    return std::make_unique<Output>(file, std::move(temporary), target, steps_);
}

bool FileExists(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    throw InOutError(InOutCodeFromSystemError(error));
}

bool Win32ArchiveFiles::Exists(const std::filesystem::path& path) { return FileExists(path); }

bool Win32ArchiveFiles::IsReadOnly(const std::filesystem::path& path) {
    return MarkedReadOnly(FinalPath(path));  // the file a link names, not the link
}

std::optional<FileStamp> Win32ArchiveFiles::StampOf(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                               data.ftLastWriteTime.dwLowDateTime)};
}

void Win32ArchiveFiles::CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!::CopyFileW(from.c_str(), to.c_str(), TRUE)) ThrowLastError();
}

void Win32ArchiveFiles::RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!::MoveFileExW(from.c_str(), to.c_str(), 0)) ThrowLastError();
}

namespace {

// The files (not folders) whose names match the pattern's last part.
std::vector<std::filesystem::path> FilesMatching(const std::filesystem::path& pattern) {
    std::vector<std::filesystem::path> found;
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    const std::unique_ptr<void, decltype(&::FindClose)> closer(search, &::FindClose);
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            found.push_back(pattern.parent_path() / data.cFileName);
        }
    } while (::FindNextFileW(search, &data));
    return found;
}

}  // namespace

std::vector<std::filesystem::path> Win32ArchiveFiles::FilesBeside(const std::filesystem::path& path) {
    return FilesMatching(path.parent_path() / L"*");
}

namespace {

// The lock files this program holds now. Read back by another of its
// threads (a look at the archive during the program's own save), its own
// lock is held, whatever the clock read when it was taken: set back since
// the program started, that moment would name a process started after it.
// Never destroyed: a look still waiting on a network folder when the
// program ends may let go of a lock until the process is gone.
struct HeldHere {
    std::mutex guard;
    std::multiset<std::wstring> locks;
};
HeldHere& heldHere = *new HeldHere;

bool HeldByThisProgram(const std::filesystem::path& lock) {
    const std::lock_guard<std::mutex> guard(heldHere.guard);
    return heldHere.locks.count(PathKey(lock)) > 0;
}

class FileLock final : public ArchiveLock {
public:
    FileLock(HANDLE file, const std::filesystem::path& lock) : file_(file), lock_(PathKey(lock)) {
        const std::lock_guard<std::mutex> guard(heldHere.guard);
        heldHere.locks.insert(lock_);
    }
    ~FileLock() override {
        file_.reset();  // deletes the lock file
        const std::lock_guard<std::mutex> guard(heldHere.guard);
        heldHere.locks.erase(heldHere.locks.find(lock_));
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    UniqueFile file_;
    std::wstring lock_;
};

constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000;  // 1970-01-01 in 100 ns since 1601

std::int64_t UnixSeconds(const FILETIME& time) {
    const auto ticks =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - kUnixEpochInFileTime) / 10000000;
}

std::int64_t UnixSecondsNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return UnixSeconds(now);
}

// "09/12/2026 alle 14:03", as this PC's clock and time zone read the moment.
std::string SinceText(std::int64_t since) {
    const auto ticks = static_cast<std::uint64_t>(since * 10000000 + kUnixEpochInFileTime);
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal{}, local{};
    if (!::FileTimeToSystemTime(&utc, &universal) || !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return "?";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%04u alle %02u:%02u", local.wDay, local.wMonth, local.wYear,
                  local.wHour, local.wMinute);
    return text;
}

// Who the lock file says holds it: the holder lets others read it.
std::optional<LockOwner> ReadLockOwner(const std::filesystem::path& lock) {
    const UniqueFile file(::CreateFileW(lock.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    char text[512];
    DWORD got = 0;
    if (!::ReadFile(file.get(), text, sizeof text, &got, nullptr)) return std::nullopt;
    return ParseLockOwner(std::string_view(text, got));
}

void WriteLockOwner(HANDLE file, std::int64_t since) {
    const std::string text = LockOwnerText({WideToCp1252(ComputerName()), ::GetCurrentProcessId(), since});
    DWORD written = 0;
    // Without it the lock holds all the same; only its holder goes untold.
    if (::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) ::SetEndOfFile(file);
}

// Whether the process the lock names, of this PC, still runs: the same id
// given to a process started after the lock was taken is another one. This
// program's own id: whether it holds the lock now.
bool StillRuns(const LockOwner& owner, const std::filesystem::path& lock) {
    if (owner.process == ::GetCurrentProcessId()) return HeldByThisProgram(lock);
    const UniqueKernelObject process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.process));
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;  // refused: it runs
    DWORD exitCode = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (::GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE) return false;
    return !::GetProcessTimes(process.get(), &created, &exited, &kernel, &user) || UnixSeconds(created) <= owner.since;
}

constexpr int kLockAttempts = 50;
constexpr DWORD kLockPause = 100;

// The lock file opened by one program at a time (others may only read who
// holds it), and deleted when closed. Nothing while another holds it.
std::unique_ptr<ArchiveLock> TryLock(const std::filesystem::path& lock, std::int64_t now) {
    HANDLE file = ::CreateFileW(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        auto held = std::make_unique<FileLock>(file, lock);
        WriteLockOwner(file, now);
        return held;
    }
    const DWORD error = ::GetLastError();
    // Access is denied too while the last holder's lock is being deleted.
    const bool held = error == ERROR_SHARING_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(lock.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!held) throw InOutError(InOutCodeFromSystemError(error));
    return nullptr;
}

}  // namespace

std::unique_ptr<ArchiveLock> Win32ArchiveFiles::Lock(const std::filesystem::path& path) {
    // Deleted when closed: a program that ends, however it ends, leaves no
    // lock behind on this PC, and a lock file that nobody holds open (left
    // where deleting on close failed) is simply opened again. A share's
    // server may keep holding it for a PC that crashed, though.
    std::filesystem::path lock = path;
    lock += L".lock";
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (std::unique_ptr<ArchiveLock> held = TryLock(lock, Now())) {
            WaitForTakersOver(lock);
            return held;
        }
        if (attempt == 0) {
            const std::optional<LockOwner> owner = ReadLockOwner(lock);
            if (LeftBehindBefore(owner)) return TakeOver(lock, *owner, false, false);  // told already
            // A program of this PC that no longer runs: no use waiting. This
            // program's own (another thread's, let go meanwhile) is tried again.
            if (owner && owner->process != ::GetCurrentProcessId() && OfComputer(*owner, WideToCp1252(ComputerName())) &&
                !StillRuns(*owner, lock)) {
                return TakeOver(lock, *owner, true, true);
            }
        }
        ::Sleep(kLockPause);  // another program is saving: a save takes less than this wait
    }
    const std::optional<LockOwner> owner = ReadLockOwner(lock);
    if (!owner) throw LockHeldError(lock, kLockAttempts * kLockPause / 1000);
    const std::string computer = WideToCp1252(ComputerName());
    const bool here = OfComputer(*owner, computer);
    if (!LockLeftBehind(*owner, computer, here && StillRuns(*owner, lock), Now())) {
        throw LockHeldError(lock, kLockAttempts * kLockPause / 1000, LockHolderText(*owner), SinceText(owner->since));
    }
    return TakeOver(lock, *owner, here, true);
}

std::unique_ptr<ArchiveLock> Win32ArchiveFiles::TakeOver(const std::filesystem::path& lock, const LockOwner& owner,
                                                         bool here, bool tell) {
    {
        const std::lock_guard<std::mutex> guard(leftBehindGuard_);
        if (!LeftBehindBeforeLocked(owner)) leftBehind_.push_back(owner);
    }
    // The lock left behind is followed by one named after it, taken as
    // any: the programs that take it over (this one's look at the archive,
    // the other PCs) still save one at a time.
    std::filesystem::path successor = lock;
    successor += L"-" + std::to_wstring(owner.process) + L"-" + std::to_wstring(owner.since);
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        if (std::unique_ptr<ArchiveLock> held = TryLock(successor, Now())) {
            if (tell) held->takenOver = LockTakenOverText(lock, owner, here, SinceText(owner.since));
            return held;
        }
        ::Sleep(kLockPause);
    }
    throw LockHeldError(successor, kLockAttempts * kLockPause / 1000);
}

void Win32ArchiveFiles::WaitForTakersOver(const std::filesystem::path& lock) {
    // The lock left behind let go (its share's server noticed its PC was
    // gone) while a program that took it over still saves: it goes first.
    // Only the files named after the lock are listed, not the folder.
    std::filesystem::path pattern = lock;
    pattern += L"-*";
    for (const std::filesystem::path& file : FilesMatching(pattern)) {
        for (int attempt = 0; attempt < kLockAttempts && !TryLock(file, Now()); ++attempt) ::Sleep(kLockPause);
    }
}

std::int64_t Win32ArchiveFiles::Now() const { return UnixSecondsNow() - clockSetBack_; }

bool Win32ArchiveFiles::LeftBehindBefore(const std::optional<LockOwner>& owner) {
    const std::lock_guard<std::mutex> guard(leftBehindGuard_);
    return owner && LeftBehindBeforeLocked(*owner);
}

bool Win32ArchiveFiles::LeftBehindBeforeLocked(const LockOwner& owner) const {
    return std::find(leftBehind_.begin(), leftBehind_.end(), owner) != leftBehind_.end();
}

void Win32ArchiveFiles::Remove(const std::filesystem::path& path) {
    if (::DeleteFileW(path.c_str())) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    throw InOutError(InOutCodeFromSystemError(error));
}

}  // namespace ricordex::win
