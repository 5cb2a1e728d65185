#pragma once
// Archive files that try a step again when it failed for a moment. On real
// Windows scanners, indexers, sync clients and the other PC hold the
// archive open for moments: an open, a read, a replace, a move or a copy
// that meets a transient error (InOutError::Transient) is tried again a few
// times over about two seconds before the error is raised.
//
// Only a step that changed nothing is tried again: a commit carries on from
// where it stopped (see OutputFile::Commit). Reads are waited out every
// time: they run off the window's thread (the look at the archive) or for a
// save, whose merge must not take a busy file for an unreadable one. The
// lock waits on its own (another program's save), and is passed through.

#include <chrono>
#include <functional>
#include <span>

#include "core/archive_files.h"

namespace ricordex {

class RetryingArchiveFiles final : public ArchiveFiles {
public:
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    // The waits before each new try: 50, 100, 200, 400, 600, 650 ms.
    static std::span<const std::chrono::milliseconds> Waits();

    // `sleep` waits (the tests count the waits instead).
    explicit RetryingArchiveFiles(ArchiveFiles& files, Sleep sleep = {});

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override;
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override;
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override;
    bool Exists(const std::filesystem::path& path) override { return files_.Exists(path); }
    bool IsReadOnly(const std::filesystem::path& path) override { return files_.IsReadOnly(path); }
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override { return files_.StampOf(path); }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& path) override { return files_.Lock(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override {
        return files_.FilesBeside(path);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Remove(const std::filesystem::path& path) override;

private:
    class Input;
    class Output;

    // Runs `step`, trying it again on a transient error; one that outlasts
    // the tries is told naming `file`. Holds no state: the look at the
    // archive and a save may use it at once.
    void Retry(const std::function<void()>& step, const std::filesystem::path& file);

    ArchiveFiles& files_;
    Sleep sleep_;
};

}  // namespace ricordex
