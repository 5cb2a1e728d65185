#include "core/std_archive_files.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "core/errors.h"

namespace ricordex {
namespace {

std::FILE* Open(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

[[noreturn]] void ThrowErrno() { throw InOutError(InOutCodeFromErrno(errno)); }
[[noreturn]] void Throw(const std::error_code& error) { throw InOutError(InOutCodeFromErrno(error.value())); }

class StdInputFile final : public InputFile {
public:
    StdInputFile(std::FILE* file, std::filesystem::path path) : file_(file), path_(std::move(path)) {}
    ~StdInputFile() override { std::fclose(file_); }
    StdInputFile(const StdInputFile&) = delete;
    StdInputFile& operator=(const StdInputFile&) = delete;

    std::uint64_t Size() override {
        std::error_code error;
        const auto size = std::filesystem::file_size(path_, error);
        if (error) Throw(error);
        return size;
    }

    void Read(char* buffer, std::size_t n) override {
        std::fpos_t at{};
        std::fgetpos(file_, &at);
        if (std::fread(buffer, 1, n, file_) != n) {
            const int error = std::ferror(file_) ? errno : 0;
            std::clearerr(file_);
            std::fsetpos(file_, &at);  // a read tried again starts where this one did
            if (error != 0) throw InOutError(InOutCodeFromErrno(error));
            throw InOutError(InOutError::kReadBeyondEnd);
        }
    }

private:
    std::FILE* file_;
    std::filesystem::path path_;
};

class StdOutputFile final : public OutputFile {
public:
    StdOutputFile(std::FILE* file, std::filesystem::path temporary, std::filesystem::path target, SwapSteps& steps)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)), steps_(steps) {}

    ~StdOutputFile() override {
        if (file_ != nullptr) std::fclose(file_);
        if (!committed_ && !progress_.archiveAtBackup) {
            std::error_code ignored;
            std::filesystem::remove(temporary_, ignored);
        }
    }
    StdOutputFile(const StdOutputFile&) = delete;
    StdOutputFile& operator=(const StdOutputFile&) = delete;

    void Write(const char* data, std::size_t n) override {
        if (std::fwrite(data, 1, n, file_) != n) {
            if (errno == ENOSPC) throw InOutError(InOutError::kDiskFull);
            ThrowErrno();
        }
    }

    void Commit() override {
        if (file_ != nullptr) {
            if (std::fflush(file_) != 0) ThrowErrno();
#ifndef _WIN32
            if (::fsync(::fileno(file_)) != 0) ThrowErrno();
#endif
            const int closed = std::fclose(file_);
            file_ = nullptr;
            if (closed != 0) ThrowErrno();
        }
        SwapIntoPlace(steps_, temporary_, target_, progress_);
        committed_ = true;
    }

private:
    std::FILE* file_;
    std::filesystem::path temporary_;
    std::filesystem::path target_;
    SwapSteps& steps_;
    SwapProgress progress_;
    bool committed_ = false;
};

}  // namespace

int InOutCodeFromErrno(int error) {
    switch (error) {
    case ENOENT: return InOutError::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL: return InOutError::kInvalidFilename;
    case EMFILE:
    case ENFILE: return InOutError::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return InOutError::kAccessDenied;
    case ENOSPC: return InOutError::kDiskFull;
    case EEXIST: return InOutError::kAlreadyExists;
    default: return error;
    }
}

bool StdSwapSteps::Exists(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return false;
    if (error) Throw(error);
    return status.type() != std::filesystem::file_type::directory;
}

void StdSwapSteps::CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ignored;
    const std::filesystem::perms perms = std::filesystem::status(from, ignored).permissions();
    if (!ignored) std::filesystem::permissions(to, perms, ignored);
}

void StdSwapSteps::Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                           const std::filesystem::path& backup) {
    std::error_code error;
    std::filesystem::rename(target, backup, error);
    if (error) Throw(error);
    std::filesystem::rename(replacement, target, error);
    if (error) throw InOutError(InOutError::kUnableToMoveReplacement2);
}

void StdSwapSteps::Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) {
    std::error_code error;
    if (replacing) {
        std::filesystem::rename(from, to, error);
    } else {
        // Linked to the new name first, so that a name already taken is refused.
        std::filesystem::create_hard_link(from, to, error);
        if (!error) std::filesystem::remove(from, error);
    }
    if (error) Throw(error);
}

void StdSwapSteps::Remove(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::remove(path, error) && !error) error = std::make_error_code(std::errc::no_such_file_or_directory);
    if (error) Throw(error);
}

std::unique_ptr<InputFile> StdArchiveFiles::OpenOrCreate(const std::filesystem::path& path) {
    std::FILE* file = Open(path, "rb");
    // Created without truncating a file that appeared meanwhile.
    if (file == nullptr && errno == ENOENT) file = Open(path, "a+b");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdInputFile>(file, path);
}

std::unique_ptr<InputFile> StdArchiveFiles::OpenExisting(const std::filesystem::path& path) {
    std::FILE* file = Open(path, "rb");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdInputFile>(file, path);
}

std::unique_ptr<OutputFile> StdArchiveFiles::CreateReplacement(const std::filesystem::path& path) {
    std::filesystem::path temporary = ReplacementName(path);
    std::FILE* file = Open(temporary, "wb");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdOutputFile>(file, std::move(temporary), path, steps_);
}

std::optional<FileStamp> StdArchiveFiles::StampOf(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    return FileStamp{size, static_cast<std::int64_t>(written.time_since_epoch().count())};
}

bool StdArchiveFiles::Exists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

bool StdArchiveFiles::IsReadOnly(const std::filesystem::path& path) {
    using std::filesystem::perms;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return false;
    return (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) == perms::none;
}

void StdArchiveFiles::CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, error);
    if (error) Throw(error);
}

std::vector<std::filesystem::path> StdArchiveFiles::FilesBeside(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored)) found.push_back(entry.path());
    }
    return found;
}

void StdArchiveFiles::RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    own_.Move(from, to, false);
}

void StdArchiveFiles::Remove(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) throw InOutError(InOutCodeFromErrno(error.value()));
}

}  // namespace ricordex
