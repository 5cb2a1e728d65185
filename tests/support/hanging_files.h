#pragma once
// Archive files on a folder that can stop answering: while it hangs, every
// call waits until it is let go or for `limit` (a network's time-outs),
// then goes on to the files underneath. Calls may come from any thread.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/archive_files.h"

namespace ricordex::testing {

class HangingFiles final : public ArchiveFiles {
public:
    explicit HangingFiles(ArchiveFiles& real) : real_(real) {}

    void Hang(std::chrono::milliseconds limit) {
        const std::lock_guard lock(mutex_);
        hanging_ = true;
        limit_ = limit;
    }
    void LetGo() {
        {
            const std::lock_guard lock(mutex_);
            hanging_ = false;
        }
        letGo_.notify_all();
    }
    // Calls that waited so far.
    int Waits() {
        const std::lock_guard lock(mutex_);
        return waits_;
    }

    std::optional<FileStamp> StampOf(const std::filesystem::path& p) override { return Wait(), real_.StampOf(p); }
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override {
        return Wait(), real_.OpenOrCreate(p);
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& p) override {
        return Wait(), real_.OpenExisting(p);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
        return Wait(), real_.CreateReplacement(p);
    }
    bool Exists(const std::filesystem::path& p) override { return Wait(), real_.Exists(p); }
    bool IsReadOnly(const std::filesystem::path& p) override { return Wait(), real_.IsReadOnly(p); }
    void Remove(const std::filesystem::path& p) override {
        Wait();
        real_.Remove(p);
    }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& p) override { return Wait(), real_.Lock(p); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Wait();
        real_.CopyToNew(from, to);
    }
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& p) override {
        return Wait(), real_.FilesBeside(p);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Wait();
        real_.RenameToNew(from, to);
    }

private:
    void Wait() {
        std::unique_lock lock(mutex_);
        if (!hanging_) return;
        ++waits_;
        letGo_.wait_for(lock, limit_, [this] { return !hanging_; });
    }

    ArchiveFiles& real_;
    std::mutex mutex_;
    std::condition_variable letGo_;
    bool hanging_ = false;
    std::chrono::milliseconds limit_{0};
    int waits_ = 0;
};

}  // namespace ricordex::testing
