#pragma once
// Archive files through the C runtime, for the portable tests and the
// benchmarks; the program itself uses the Win32 adapter.

#include "core/archive_files.h"
#include "core/archive_swap.h"

namespace ricordex {

// A swap's steps on the standard library's files. The replace is two
// renames (the archive to its backup name, the new file to the archive's).
class StdSwapSteps final : public SwapSteps {
public:
    bool Exists(const std::filesystem::path& path) override;
    void CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                 const std::filesystem::path& backup) override;
    void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) override;
    void Remove(const std::filesystem::path& path) override;
};

class StdArchiveFiles final : public ArchiveFiles {
public:
    StdArchiveFiles() : steps_(own_) {}
    // Swaps through these steps (the tests make them fail).
    explicit StdArchiveFiles(SwapSteps& steps) : steps_(steps) {}
    StdArchiveFiles(const StdArchiveFiles&) = delete;
    StdArchiveFiles& operator=(const StdArchiveFiles&) = delete;

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override;
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override;
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override;
    bool Exists(const std::filesystem::path& path) override;
    bool IsReadOnly(const std::filesystem::path& path) override;
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override;
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override;
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Remove(const std::filesystem::path& path) override;

private:
    StdSwapSteps own_;
    SwapSteps& steps_;
};

// The runtime's I/O error number for an errno value.
int InOutCodeFromErrno(int error);

}  // namespace ricordex
