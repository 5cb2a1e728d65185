#include "core/retrying_files.h"

#include <array>
#include <thread>

#include "core/errors.h"

namespace ricordex {
namespace {

using namespace std::chrono_literals;

constexpr std::array<std::chrono::milliseconds, 6> kWaits = {50ms, 100ms, 200ms, 400ms, 600ms, 650ms};

}  // namespace

class RetryingArchiveFiles::Input final : public InputFile {
public:
    Input(std::unique_ptr<InputFile> file, RetryingArchiveFiles& owner, std::filesystem::path path)
        : file_(std::move(file)), owner_(owner), path_(std::move(path)) {}

    std::uint64_t Size() override { return file_->Size(); }
    void Read(char* buffer, std::size_t n) override {
        owner_.Retry([&] { file_->Read(buffer, n); }, path_);
    }

private:
    std::unique_ptr<InputFile> file_;
    RetryingArchiveFiles& owner_;
    std::filesystem::path path_;
};

class RetryingArchiveFiles::Output final : public OutputFile {
public:
    Output(std::unique_ptr<OutputFile> file, RetryingArchiveFiles& owner, std::filesystem::path path)
        : file_(std::move(file)), owner_(owner), path_(std::move(path)) {}

    void Write(const char* data, std::size_t n) override { file_->Write(data, n); }
    void Commit() override {
        owner_.Retry([&] { file_->Commit(); }, path_);
    }

private:
    std::unique_ptr<OutputFile> file_;
    RetryingArchiveFiles& owner_;
    std::filesystem::path path_;
};

std::span<const std::chrono::milliseconds> RetryingArchiveFiles::Waits() { return kWaits; }

RetryingArchiveFiles::RetryingArchiveFiles(ArchiveFiles& files, Sleep sleep)
    : files_(files), sleep_(std::move(sleep)) {
    if (!sleep_) sleep_ = [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); };
}

void RetryingArchiveFiles::Retry(const std::function<void()>& step, const std::filesystem::path& file) {
    for (std::size_t tries = 0;; ++tries) {
        try {
            step();
            return;
        } catch (const InOutError& error) {
            if (!error.Transient()) throw;
            if (tries == kWaits.size()) {
                // A swap left half-way names its files itself.
                if (dynamic_cast<const HalfDoneSwapError*>(&error) != nullptr) throw;
                throw BusyFileError(file, error);
            }
        }
        sleep_(kWaits[tries]);
    }
}

std::unique_ptr<InputFile> RetryingArchiveFiles::OpenOrCreate(const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file;
    Retry([&] { file = files_.OpenOrCreate(path); }, path);
    return std::make_unique<Input>(std::move(file), *this, path);
}

std::unique_ptr<InputFile> RetryingArchiveFiles::OpenExisting(const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file;
    Retry([&] { file = files_.OpenExisting(path); }, path);
    return std::make_unique<Input>(std::move(file), *this, path);
}

std::unique_ptr<OutputFile> RetryingArchiveFiles::CreateReplacement(const std::filesystem::path& path) {
    std::unique_ptr<OutputFile> file;
    Retry([&] { file = files_.CreateReplacement(path); }, path);
    return std::make_unique<Output>(std::move(file), *this, path);
}

void RetryingArchiveFiles::CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    Retry([&] { files_.CopyToNew(from, to); }, from);
}

void RetryingArchiveFiles::RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) {
    Retry([&] { files_.RenameToNew(from, to); }, from);
}

void RetryingArchiveFiles::Remove(const std::filesystem::path& path) {
    Retry([&] { files_.Remove(path); }, path);
}

}  // namespace ricordex
