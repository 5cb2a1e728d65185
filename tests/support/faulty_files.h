#pragma once
// Archive files that fail on purpose at a chosen step of a save or a load.

#include <utility>

#include "core/archive_files.h"
#include "core/errors.h"

namespace ricordex::testing {

enum class SaveStep { None, Copy, Create, Write, Commit };

class FaultyFiles final : public ArchiveFiles {
public:
    FaultyFiles(ArchiveFiles& real, SaveStep failAt, int errorCode = InOutError::kDiskFull, int failingWrite = 1)
        : real_(real), failAt_(failAt), code_(errorCode), failingWrite_(failingWrite) {}

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override { return real_.OpenOrCreate(path); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override { return real_.OpenExisting(path); }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (failAt_ == SaveStep::Copy) throw InOutError(code_);
        real_.CopyToNew(from, to);
    }

    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        if (failAt_ == SaveStep::Create) throw InOutError(code_);
        return std::make_unique<Output>(real_.CreateReplacement(path), *this);
    }

private:
    class Output final : public OutputFile {
    public:
        Output(std::unique_ptr<OutputFile> real, FaultyFiles& owner) : real_(std::move(real)), owner_(owner) {}
        void Write(const char* data, std::size_t n) override {
            if (owner_.failAt_ == SaveStep::Write && ++writes_ == owner_.failingWrite_) throw InOutError(owner_.code_);
            real_->Write(data, n);
        }
        void Commit() override {
            if (owner_.failAt_ == SaveStep::Commit) throw InOutError(owner_.code_);
            real_->Commit();
        }

    private:
        std::unique_ptr<OutputFile> real_;
        FaultyFiles& owner_;
        int writes_ = 0;
    };

    ArchiveFiles& real_;
    SaveStep failAt_;
    int code_;
    int failingWrite_;
};

// Loads fail at the open (goodReads < 0) or at the read after `goodReads`
// good ones; everything else goes through.
class FailingLoads final : public ArchiveFiles {
public:
    FailingLoads(ArchiveFiles& real, int goodReads) : real_(real), goodReads_(goodReads) {}

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override {
        return Open([&] { return real_.OpenOrCreate(path); });
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override {
        return Open([&] { return real_.OpenExisting(path); });
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        return real_.CreateReplacement(path);
    }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.CopyToNew(from, to);
    }

private:
    class Input final : public InputFile {
    public:
        Input(std::unique_ptr<InputFile> real, int goodReads) : real_(std::move(real)), goodReads_(goodReads) {}
        std::uint64_t Size() override { return real_->Size(); }
        void Read(char* buffer, std::size_t n) override {
            if (reads_++ == goodReads_) throw InOutError(InOutError::kAccessDenied);
            real_->Read(buffer, n);
        }

    private:
        std::unique_ptr<InputFile> real_;
        int goodReads_;
        int reads_ = 0;
    };

    template <typename OpenReal>
    std::unique_ptr<InputFile> Open(OpenReal open) {
        if (goodReads_ < 0) throw InOutError(InOutError::kAccessDenied);
        return std::make_unique<Input>(open(), goodReads_);
    }

    ArchiveFiles& real_;
    int goodReads_;
};

// A folder where nothing new can be written (a folder Windows guards, a
// share's permissions): everything else goes through.
class RefusingFolder final : public ArchiveFiles {
public:
    RefusingFolder(ArchiveFiles& real, std::filesystem::path folder) : real_(real), folder_(std::move(folder)) {}

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override { return real_.OpenOrCreate(path); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override { return real_.OpenExisting(path); }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override { real_.CopyToNew(from, to); }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.RenameToNew(from, to);
    }
    void Remove(const std::filesystem::path& path) override { real_.Remove(path); }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        if (path.parent_path() == folder_) throw InOutError(InOutError::kAccessDenied);
        return real_.CreateReplacement(path);
    }

private:
    ArchiveFiles& real_;
    std::filesystem::path folder_;
};

// The files of a folder, one of them held open by another program (the
// sync service still writing it, or anything that opens it with no sharing).
class OneFileHeld final : public ArchiveFiles {
public:
    OneFileHeld(ArchiveFiles& real, std::filesystem::path held) : real_(real), held_(std::move(held)) {}
    std::optional<FileStamp> StampOf(const std::filesystem::path& p) override { return real_.StampOf(p); }
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& p) override { return Open(p, true); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& p) override { return Open(p, false); }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& p) override {
        return real_.CreateReplacement(p);
    }
    bool Exists(const std::filesystem::path& p) override { return real_.Exists(p); }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& p) override { return real_.Lock(p); }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.CopyToNew(from, to);
    }
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& p) override {
        return real_.FilesBeside(p);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        real_.RenameToNew(from, to);
    }
    void Remove(const std::filesystem::path& p) override { real_.Remove(p); }

private:
    std::unique_ptr<InputFile> Open(const std::filesystem::path& p, bool create) {
        if (p == held_) throw BusyFileError(p, InOutError(InOutError::kSharingViolation));
        return create ? real_.OpenOrCreate(p) : real_.OpenExisting(p);
    }
    ArchiveFiles& real_;
    std::filesystem::path held_;
};

}  // namespace ricordex::testing
