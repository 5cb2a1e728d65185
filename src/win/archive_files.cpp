#include "win/archive_files.h"

#include "core/errors.h"
#include "win/unique_handle.h"

namespace ricordex::win {
namespace {

[[noreturn]] void ThrowLastError() { throw InOutError(InOutCodeFromSystemError(::GetLastError())); }

// Windows refuses write access to a read-only file whoever asks; Wine run
// by an administrator does not, so the attribute is looked at here too.
void RefuseReadOnly(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw InOutError(InOutError::kAccessDenied);
    }
}

class Input final : public InputFile {
public:
    explicit Input(HANDLE file) : file_(file) {}

    std::uint64_t Size() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_.get(), &size)) ThrowLastError();
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    void Read(char* buffer, std::size_t n) override {
        while (n > 0) {
            DWORD got = 0;
            const auto want = static_cast<DWORD>(n > (1u << 30) ? (1u << 30) : n);
            if (!::ReadFile(file_.get(), buffer, want, &got, nullptr)) ThrowLastError();
            if (got == 0) throw InOutError(InOutError::kReadBeyondEnd);
            buffer += got;
            n -= got;
        }
    }

private:
    UniqueFile file_;
};

class Output final : public OutputFile {
public:
    Output(HANDLE file, std::filesystem::path temporary, std::filesystem::path target)
        : file_(file), temporary_(std::move(temporary)), target_(std::move(target)) {}

    ~Output() override {
        file_.reset();
        if (!committed_) ::DeleteFileW(temporary_.c_str());
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Write(const char* data, std::size_t n) override {
        DWORD written = 0;
        if (!::WriteFile(file_.get(), data, static_cast<DWORD>(n), &written, nullptr)) ThrowLastError();
        if (written != n) throw InOutError(InOutError::kDiskFull);
    }

    void Commit() override {
        RefuseReadOnly(target_);
        if (!::FlushFileBuffers(file_.get())) ThrowLastError();
        if (!::CloseHandle(file_.release())) ThrowLastError();
        if (!::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            ThrowLastError();
        }
        committed_ = true;
    }

private:
    UniqueFile file_;
    std::filesystem::path temporary_;
    std::filesystem::path target_;
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

// Read and write access is asked for although only reading follows: a
// read-only archive is refused when it is loaded rather than at the first save.
std::unique_ptr<InputFile> OpenForLoading(const std::filesystem::path& path, DWORD disposition) {
    RefuseReadOnly(path);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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
    std::filesystem::path temporary = path;
    temporary += L".new";
    HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowLastError();
    return std::make_unique<Output>(file, std::move(temporary), path);
}

bool Win32ArchiveFiles::Exists(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void Win32ArchiveFiles::CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!::CopyFileW(from.c_str(), to.c_str(), TRUE)) ThrowLastError();
}

}  // namespace ricordex::win
