#pragma once
// Files that other programs hold for moments: each operation fails its
// first tries with a chosen error before it goes through, and waits are
// counted instead of waited.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/archive_files.h"
#include "core/archive_swap.h"
#include "core/errors.h"

namespace ricordex::testing {

// Every open, read, new file, commit, copy and rename fails `failures`
// times in a row with `code`, changing nothing, then goes through once;
// the next call of the same kind fails as many times again.
class FlakyFiles final : public ArchiveFiles {
public:
    FlakyFiles(ArchiveFiles& real, int code, int failures) : real_(real), code_(code), failures_(failures) {}

    // The failures raised so far, by kind of operation.
    std::map<std::string, int> failed;

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override {
        Flake("open");
        return std::make_unique<Input>(real_.OpenOrCreate(path), *this);
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override {
        Flake("open");
        return std::make_unique<Input>(real_.OpenExisting(path), *this);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        Flake("create");
        return std::make_unique<Output>(real_.CreateReplacement(path), *this);
    }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    bool IsReadOnly(const std::filesystem::path& path) override { return real_.IsReadOnly(path); }
    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override { return real_.StampOf(path); }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& path) override { return real_.Lock(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Flake("copy");
        real_.CopyToNew(from, to);
    }
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override {
        return real_.FilesBeside(path);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Flake("rename");
        real_.RenameToNew(from, to);
    }

private:
    class Input final : public InputFile {
    public:
        Input(std::unique_ptr<InputFile> real, FlakyFiles& owner) : real_(std::move(real)), owner_(owner) {}
        std::uint64_t Size() override { return real_->Size(); }
        void Read(char* buffer, std::size_t n) override {
            owner_.Flake("read");
            real_->Read(buffer, n);
        }

    private:
        std::unique_ptr<InputFile> real_;
        FlakyFiles& owner_;
    };

    class Output final : public OutputFile {
    public:
        Output(std::unique_ptr<OutputFile> real, FlakyFiles& owner) : real_(std::move(real)), owner_(owner) {}
        void Write(const char* data, std::size_t n) override { real_->Write(data, n); }
        void Commit() override {
            owner_.Flake("commit");
            real_->Commit();
        }

    private:
        std::unique_ptr<OutputFile> real_;
        FlakyFiles& owner_;
    };

    void Flake(const std::string& kind) {
        int& streak = streaks_[kind];
        if (streak < failures_) {
            ++streak;
            ++failed[kind];
            throw InOutError(code_);
        }
        streak = 0;
    }

    ArchiveFiles& real_;
    int code_;
    int failures_;
    std::map<std::string, int> streaks_;
};

// The waits a RetryingArchiveFiles asks for, added up instead of waited.
struct CountedWaits {
    std::chrono::milliseconds total{0};
    int count = 0;
    auto Sleep() {
        return [this](std::chrono::milliseconds wait) {
            total += wait;
            ++count;
        };
    }
};

// A swap's steps, each of which can be made to fail: the `failAt`-th step
// called (from 1; 0 fails none) and the `times` - 1 after it raise `code`
// having done nothing, except a replace failing with
// kUnableToMoveReplacement2, which first puts the archive under its backup
// name, as ReplaceFileW does. `beforeMove` runs before every move (another
// program's save landing at that moment).
class FaultySwapSteps final : public SwapSteps {
public:
    explicit FaultySwapSteps(SwapSteps& real) : real_(real) {}

    int failAt = 0;
    int times = 1;
    int code = InOutError::kSharingViolation;
    std::function<void()> beforeMove;
    std::vector<std::string> called;  // the steps, in order, failed ones too

    bool Exists(const std::filesystem::path& path) override {
        Step("Exists");
        return real_.Exists(path);
    }
    void CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Step("CarryAttributes");
        real_.CarryAttributes(from, to);
    }
    void Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                 const std::filesystem::path& backup) override {
        if (Failing() && code == InOutError::kUnableToMoveReplacement2) real_.Move(target, backup, true);
        Step("Replace");
        real_.Replace(target, replacement, backup);
    }
    void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) override {
        if (beforeMove) beforeMove();
        Step("Move");
        real_.Move(from, to, replacing);
    }
    void Remove(const std::filesystem::path& path) override {
        Step("Remove");
        real_.Remove(path);
    }

private:
    bool Failing() const {
        const int step = static_cast<int>(called.size()) + 1;
        return failAt > 0 && step >= failAt && step < failAt + times;
    }
    void Step(const char* name) {
        const bool failing = Failing();
        called.push_back(name);
        if (failing) throw InOutError(code);
    }

    SwapSteps& real_;
};

}  // namespace ricordex::testing
