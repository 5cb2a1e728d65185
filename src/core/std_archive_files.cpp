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

class StdInputFile final : public InputFile {
public:
    StdInputFile(std::FILE* file, std::filesystem::path path) : file_(file), path_(std::move(path)) {}
    ~StdInputFile() override { std::fclose(file_); }
    StdInputFile(const StdInputFile&) = delete;
    StdInputFile& operator=(const StdInputFile&) = delete;

    std::uint64_t Size() override {
        std::error_code error;
        const auto size = std::filesystem::file_size(path_, error);
        if (error) throw InOutError(InOutCodeFromErrno(error.value()));
        return size;
    }

    void Read(char* buffer, std::size_t n) override {
        if (std::fread(buffer, 1, n, file_) != n) {
            if (std::ferror(file_)) ThrowErrno();
            throw InOutError(InOutError::kReadBeyondEnd);
        }
    }

private:
    std::FILE* file_;
    std::filesystem::path path_;
};

class StdOutputFile final : public OutputFile {
public:
    StdOutputFile(std::FILE* file, std::filesystem::path temporary, std::filesystem::path target)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}

    ~StdOutputFile() override {
        if (file_ != nullptr) std::fclose(file_);
        if (!committed_) {
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
        if (std::fflush(file_) != 0) ThrowErrno();
#ifndef _WIN32
        if (::fsync(::fileno(file_)) != 0) ThrowErrno();
#endif
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (closed != 0) ThrowErrno();
        std::error_code error;
        std::filesystem::rename(temporary_, target_, error);
        if (error) throw InOutError(InOutCodeFromErrno(error.value()));
        committed_ = true;
    }

private:
    std::FILE* file_;
    std::filesystem::path temporary_;
    std::filesystem::path target_;
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
    default: return error;
    }
}

std::unique_ptr<InputFile> StdArchiveFiles::OpenOrCreate(const std::filesystem::path& path) {
    std::FILE* file = Open(path, "r+b");
    if (file == nullptr && errno == ENOENT) file = Open(path, "w+b");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdInputFile>(file, path);
}

std::unique_ptr<InputFile> StdArchiveFiles::OpenExisting(const std::filesystem::path& path) {
    std::FILE* file = Open(path, "rb");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdInputFile>(file, path);
}

std::unique_ptr<OutputFile> StdArchiveFiles::CreateReplacement(const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".new";
    std::FILE* file = Open(temporary, "wb");
    if (file == nullptr) ThrowErrno();
    return std::make_unique<StdOutputFile>(file, std::move(temporary), path);
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

void StdArchiveFiles::CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, error);
    if (error) throw InOutError(InOutCodeFromErrno(error.value()));
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
    // Linked to the new name first, so that a name already taken is refused.
    std::error_code error;
    std::filesystem::create_hard_link(from, to, error);
    if (!error) std::filesystem::remove(from, error);
    if (error) throw InOutError(InOutCodeFromErrno(error.value()));
}

void StdArchiveFiles::Remove(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) throw InOutError(InOutCodeFromErrno(error.value()));
}

}  // namespace ricordex
