#pragma once
// Archive files in memory, for the fuzz targets and the simulated lives.

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "core/archive_files.h"
#include "core/errors.h"

namespace ricordex::fuzzing {

using MemoryInput = BytesInput;

class MemoryFiles final : public ArchiveFiles {
public:
    std::map<std::string, std::string> files;

    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override {
        return std::make_unique<MemoryInput>(files[path.string()]);
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override {
        auto found = files.find(path.string());
        if (found == files.end()) throw InOutError(InOutError::kFileNotFound);
        return std::make_unique<MemoryInput>(found->second);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        return std::make_unique<Output>(files[path.string()]);
    }
    bool Exists(const std::filesystem::path& path) override { return files.count(path.string()) > 0; }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (!files.emplace(to.string(), files.at(from.string())).second) throw InOutError(InOutError::kAccessDenied);
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        auto found = files.find(from.string());
        if (found == files.end()) throw InOutError(InOutError::kFileNotFound);
        if (files.count(to.string()) > 0) throw InOutError(InOutError::kAccessDenied);
        files[to.string()] = std::move(found->second);
        files.erase(from.string());
    }
    void Remove(const std::filesystem::path& path) override { files.erase(path.string()); }

private:
    class Output final : public OutputFile {
    public:
        explicit Output(std::string& target) : target_(target) {}
        void Write(const char* data, std::size_t n) override { pending_.append(data, n); }
        void Commit() override { target_ = pending_; }

    private:
        std::string& target_;
        std::string pending_;
    };
};

}  // namespace ricordex::fuzzing
