#pragma once
// What the archive needs of the platform's files. Every failure raises an
// InOutError whose text names it. A file object is closed when it is
// destroyed, on every path. A step that raised a transient error (see
// InOutError::Transient) changed nothing and may be tried again: see
// core/retrying_files.h.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/errors.h"

namespace ricordex {

class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::uint64_t Size() = 0;
    // Reads exactly n bytes or raises (a short read is "Read beyond end of
    // file"); a read that raised leaves the position where it was.
    virtual void Read(char* buffer, std::size_t n) = 0;
};

// A file's bytes already read: decoded apart from the reading, which may
// wait on a network folder.
class BytesInput final : public InputFile {
public:
    explicit BytesInput(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() override { return bytes_.size(); }
    void Read(char* buffer, std::size_t n) override;

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

// A new file that takes the place of the target only when committed: until
// then the previous file stays untouched, and an uncommitted new file is
// removed when the object is destroyed (kept when a swap stopped half-way,
// see core/archive_swap.h).
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void Write(const char* data, std::size_t n) = 0;
    // Flushes the new file to disk and replaces the target with it. A
    // commit that raised may be called again: it carries on from where it
    // stopped, never flushing or swapping twice.
    virtual void Commit() = 0;
};

// What tells one version of a file from another without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;  // in the platform's own units
    bool operator==(const FileStamp&) const = default;
};

// Held while the archive is merged and written.
class ArchiveLock {
public:
    virtual ~ArchiveLock() = default;
    // What to tell when the lock was found left behind by a program that
    // stopped, and taken over; empty otherwise.
    std::string takenOver;
};

class ArchiveFiles {
public:
    virtual ~ArchiveFiles() = default;
    // The file's size and last write, or nothing when it cannot be told
    // (then the file is read to find out whether it changed).
    virtual std::optional<FileStamp> StampOf(const std::filesystem::path&) { return std::nullopt; }
    // Opens an existing file for reading, or creates it empty. Reads let
    // other programs read, write, replace and delete the file meanwhile.
    virtual std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) = 0;
    // Opens an existing file for reading, sharing it as above.
    virtual std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) = 0;
    virtual std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) = 0;
    virtual bool Exists(const std::filesystem::path& path) = 0;
    // Whether the file is there and marked read-only (a save to it is refused).
    virtual bool IsReadOnly(const std::filesystem::path&) { return false; }
    // Keeps other programs that take the same lock from saving the archive
    // until the returned object is destroyed: a file beside the archive,
    // held open. A lock left by a program that ended is taken over (and said
    // in the lock's takenOver). Raises when another program holds it for
    // longer than a save takes, naming it when the lock file does. Nothing
    // (no lock) where the platform offers none.
    virtual std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path&) { return nullptr; }
    // Copies an existing file to a name not yet taken (taken: raises).
    virtual void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // The files in the folder that holds this path, or nothing where the
    // folder cannot be listed.
    virtual std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path&) { return {}; }
    // Gives an existing file a name not yet taken (taken: raises).
    virtual void RenameToNew(const std::filesystem::path&, const std::filesystem::path&) {
        throw InOutError(InOutError::kAccessDenied);
    }
    // Removes a file; one that is not there is no failure.
    virtual void Remove(const std::filesystem::path&) { throw InOutError(InOutError::kAccessDenied); }
};

}  // namespace ricordex
