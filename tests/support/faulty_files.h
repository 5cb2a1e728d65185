#pragma once
// Archive files that fail on purpose at a chosen step of a save.

#include "core/archive_files.h"
#include "core/errors.h"

namespace ricordex::testing {

enum class SaveStep { None, Create, Write, Commit };

class FaultyFiles final : public ArchiveFiles {
public:
    FaultyFiles(ArchiveFiles& real, SaveStep failAt, int errorCode = InOutError::kDiskFull, int failingWrite = 1)
        : real_(real), failAt_(failAt), code_(errorCode), failingWrite_(failingWrite) {}

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override { return real_.OpenOrCreate(path); }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override { return real_.OpenExisting(path); }
    bool Exists(const std::filesystem::path& path) override { return real_.Exists(path); }

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

}  // namespace ricordex::testing
