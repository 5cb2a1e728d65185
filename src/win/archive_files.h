#pragma once
// Archive files on the Win32 file API: the platform's error numbers become
// the runtime's I/O error texts, reads share the file with every other
// program, and a save replaces the archive only once the new file is
// complete and flushed.

#include <mutex>
#include <optional>
#include <vector>

#include "core/archive_files.h"
#include "core/archive_lock.h"
#include "win/swap_steps.h"

namespace ricordex::win {

class Win32ArchiveFiles final : public ArchiveFiles {
public:
    Win32ArchiveFiles() : steps_(own_) {}
    // Swaps through these steps (the tests make them fail).
    explicit Win32ArchiveFiles(SwapSteps& steps) : steps_(steps) {}
    Win32ArchiveFiles(const Win32ArchiveFiles&) = delete;
    Win32ArchiveFiles& operator=(const Win32ArchiveFiles&) = delete;

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override;
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override;
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override;
    bool Exists(const std::filesystem::path& path) override;
    bool IsReadOnly(const std::filesystem::path& path) override;
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override;
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& path) override;
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override;
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Remove(const std::filesystem::path& path) override;

    // The clock the locks are taken by, set back by as many seconds (the
    // tests set it back as a user may, after the program started).
    void SetClockBack(std::int64_t seconds) { clockSetBack_ = seconds; }

private:
    std::int64_t Now() const;
    // Whether this lock's holder was found to have left it, earlier in this
    // run: taken over again at once, without waiting nor telling again.
    bool LeftBehindBefore(const std::optional<LockOwner>& owner);
    bool LeftBehindBeforeLocked(const LockOwner& owner) const;
    // Once the lock is taken: a save under the lock that follows one left
    // behind ends first (the files are deleted once let go).
    void WaitForTakersOver(const std::filesystem::path& lock);
    // Takes the lock that follows one left behind, remembering its holder,
    // and says so (`tell`).
    std::unique_ptr<ArchiveLock> TakeOver(const std::filesystem::path& lock, const LockOwner& owner, bool here,
                                          bool tell);

    Win32SwapSteps own_;
    SwapSteps& steps_;
    std::mutex leftBehindGuard_;  // the saves run on a thread of their own
    std::vector<LockOwner> leftBehind_;
    std::int64_t clockSetBack_ = 0;
};

// The runtime's I/O error number for a system error code.
int InOutCodeFromSystemError(unsigned long error);

// Whether a file (not a folder) is there. Only a clear "not there" is an
// answer: a share still reconnecting or a drive not ready raises, and must
// not pass for a folder without an archive.
bool FileExists(const std::filesystem::path& path);

}  // namespace ricordex::win
