#pragma once
// Archive files through the C runtime, for the portable tests and the
// benchmarks; the program itself uses the Win32 adapter.

#include "core/archive_files.h"

namespace ricordex {

class StdArchiveFiles final : public ArchiveFiles {
public:
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override;
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override;
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override;
    bool Exists(const std::filesystem::path& path) override;
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override;
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override;
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Remove(const std::filesystem::path& path) override;
};

// The runtime's I/O error number for an errno value.
int InOutCodeFromErrno(int error);

}  // namespace ricordex
