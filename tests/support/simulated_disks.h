#pragma once
// Disks in memory for the simulated lives of PCs sharing an archive: each
// PC's program sees its files through SimulatedFiles, which can fail a step
// for a moment (another program holding the file), and can stop the
// program dead at any step (a crash) or cut the power (what was written and
// not flushed reads as zeros of the same size).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "core/archive_files.h"
#include "core/archive_swap.h"
#include "core/errors.h"
#include "fuzz/memory_files.h"

namespace ricordex::testing {

// Thrown at the step where a simulated program dies; derives from nothing
// the program catches by type.
struct ProgramDied {};

struct DiskFile {
    std::string bytes;
    std::int64_t written = 0;  // the disk's step when last written
    bool flushed = true;
};

// One disk: the files of one folder or more, by path.
struct Disk {
    std::map<std::string, DiskFile> files;
    std::int64_t step = 0;
    // A file system whose clock steps coarsely (FAT, some network storage):
    // the stamps of writes within as many steps read alike.
    std::int64_t stampStep = 1;
    // The archive's lock on this disk: the PC holding it, and until when a
    // dead PC keeps it (a share notices late that a PC lost its power).
    int lockHolder = -1;
    std::int64_t lockHeldUntil = 0;

    bool Has(const std::string& path) const { return files.count(path) > 0; }
    void Write(const std::string& path, std::string bytes, bool flushed = true) {
        DiskFile& file = files[path];
        file.bytes = std::move(bytes);
        file.written = ++step;
        file.flushed = flushed;
    }
};

// What may go wrong for one PC: drawn by its life.
struct Faults {
    std::mt19937_64* random = nullptr;
    double busy = 0;           // chance that a step finds the file held for a moment
    int dieAtStep = 0;         // the step (counted down) where the program dies; 0: none
    bool powerCut = false;     // dying cuts the power too
    bool flushLies = false;    // the disk acknowledges flushes it has not done
    bool dead = false;
    bool afterSwap = true;     // the program may die at a removal (after a swap, of the recovery)
    bool onShare = false;      // a power cut leaves the lock held on the share for a while
    std::int64_t shareNoticesAfter = 0;
    std::function<void(const std::string&)> note;
    // Runs once the lock is next taken (Windows ending the session while
    // the save waits); a lock taken twice by one program is noted.
    std::function<void()> whileLocked;
    bool lockedTwice = false;
};

class SimulatedFiles final : public ArchiveFiles {
public:
    // Paths under `shared` are on `folder`, the others on `local`.
    SimulatedFiles(int pc, std::string shared, Disk& folder, Disk& local, Faults& faults)
        : pc_(pc), shared_(std::move(shared)), folder_(folder), local_(local), faults_(faults), steps_(*this) {}

    std::optional<FileStamp> StampOf(const std::filesystem::path& path) override {
        Alive();
        const Disk& disk = DiskOf(path);
        const auto found = disk.files.find(path.string());
        if (found == disk.files.end()) return std::nullopt;
        return FileStamp{found->second.bytes.size(), found->second.written / disk.stampStep};
    }
    std::unique_ptr<InputFile> OpenOrCreate(const std::filesystem::path& path) override {
        Step("open", true);
        Disk& disk = DiskOf(path);
        if (!disk.Has(path.string())) disk.Write(path.string(), {});
        return std::make_unique<fuzzing::MemoryInput>(disk.files.at(path.string()).bytes);
    }
    std::unique_ptr<InputFile> OpenExisting(const std::filesystem::path& path) override {
        Step("open", true);
        const Disk& disk = DiskOf(path);
        const auto found = disk.files.find(path.string());
        if (found == disk.files.end()) throw InOutError(InOutError::kFileNotFound);
        return std::make_unique<fuzzing::MemoryInput>(found->second.bytes);
    }
    std::unique_ptr<OutputFile> CreateReplacement(const std::filesystem::path& path) override {
        Step("create", true);
        const std::string replacement = ReplacementName(path).string();
        DiskOf(path).Write(replacement, {}, false);
        return std::make_unique<Output>(*this, replacement, path);
    }
    bool Exists(const std::filesystem::path& path) override {
        Alive();
        return DiskOf(path).Has(path.string());
    }
    std::unique_ptr<ArchiveLock> Lock(const std::filesystem::path& path) override {
        Step("lock", false);
        Disk& disk = DiskOf(path);
        std::filesystem::path lock = path;
        lock += ".lock";
        if (disk.lockHolder == pc_ && disk.lockHeldUntil == INT64_MAX) {
            faults_.lockedTwice = true;  // the file is held open: refused, as to anyone
            throw LockHeldError(lock, 5);
        }
        if (disk.lockHolder >= 0 && disk.lockHolder != pc_ && disk.lockHeldUntil > disk.step) {
            throw LockHeldError(lock, 5);
        }
        disk.lockHolder = pc_;
        disk.lockHeldUntil = INT64_MAX;
        auto held = std::make_unique<Held>(*this, disk);
        if (faults_.whileLocked) std::exchange(faults_.whileLocked, nullptr)();
        return held;
    }
    void CopyToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Step("copy", true);
        Disk& disk = DiskOf(from);
        if (disk.Has(to.string())) throw InOutError(InOutError::kAlreadyExists);
        const auto found = disk.files.find(from.string());
        if (found == disk.files.end()) throw InOutError(InOutError::kFileNotFound);
        disk.Write(to.string(), found->second.bytes);
    }
    std::vector<std::filesystem::path> FilesBeside(const std::filesystem::path& path) override {
        Alive();
        std::vector<std::filesystem::path> found;
        for (const auto& [name, file] : DiskOf(path).files) {
            if (std::filesystem::path(name).parent_path() == path.parent_path()) found.emplace_back(name);
        }
        return found;
    }
    void RenameToNew(const std::filesystem::path& from, const std::filesystem::path& to) override {
        Step("rename", true);
        Move(from, to, false);
    }
    void Remove(const std::filesystem::path& path) override {
        Step("remove", true);
        DiskOf(path).files.erase(path.string());
    }

private:
    class Output final : public OutputFile {
    public:
        Output(SimulatedFiles& files, std::string name, std::filesystem::path target)
            : files_(files), name_(std::move(name)), target_(std::move(target)) {}
        ~Output() override {
            if (!committed_ && !progress_.archiveAtBackup && !files_.faults_.dead) files_.DiskOf(target_).files.erase(name_);
        }
        void Write(const char* data, std::size_t n) override {
            files_.Step("write", false);
            DiskFile& file = files_.DiskOf(target_).files[name_];
            file.bytes.append(data, n);
            file.flushed = false;
        }
        void Commit() override {
            files_.Step("flush", false);
            files_.DiskOf(target_).files[name_].flushed = !files_.faults_.flushLies;
            SwapIntoPlace(files_.steps_, name_, target_, progress_);
            committed_ = true;
        }

    private:
        SimulatedFiles& files_;
        std::string name_;
        std::filesystem::path target_;
        SwapProgress progress_;
        bool committed_ = false;
    };

    class Held final : public ArchiveLock {
    public:
        Held(SimulatedFiles& files, Disk& disk) : files_(files), disk_(disk) {}
        ~Held() override {
            if (disk_.lockHolder != files_.pc_) return;
            const Faults& faults = files_.faults_;
            if (faults.dead && faults.powerCut && faults.onShare) {
                disk_.lockHeldUntil = disk_.step + faults.shareNoticesAfter;
            } else {
                disk_.lockHolder = -1;
            }
        }

    private:
        SimulatedFiles& files_;
        Disk& disk_;
    };

    // The swap's steps, each of which the program may die at. A replace is
    // two renames (the archive aside, the new file in its place).
    class Steps final : public SwapSteps {
    public:
        explicit Steps(SimulatedFiles& files) : files_(files) {}
        bool Exists(const std::filesystem::path& path) override { return files_.Exists(path); }
        void CarryAttributes(const std::filesystem::path&, const std::filesystem::path&) override {}
        void Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                     const std::filesystem::path& backup) override {
            files_.Step("replace", true);
            files_.Move(target, backup, true);
            files_.Step("replace's second rename", false);
            files_.Move(replacement, target, true);
        }
        void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) override {
            files_.Step("move", true);
            files_.Move(from, to, replacing);
        }
        void Remove(const std::filesystem::path& path) override { files_.Remove(path); }

    private:
        SimulatedFiles& files_;
    };

    Disk& DiskOf(const std::filesystem::path& path) {
        return path.string().starts_with(shared_) ? folder_ : local_;
    }

    void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) {
        Disk& disk = DiskOf(from);
        const auto found = disk.files.find(from.string());
        if (found == disk.files.end()) throw InOutError(InOutError::kFileNotFound);
        if (!replacing && disk.Has(to.string())) throw InOutError(InOutError::kAlreadyExists);
        DiskFile file = std::move(found->second);
        file.flushed = true;  // a rename reaches the disk with the file's data
        disk.files.erase(found);
        disk.files[to.string()] = std::move(file);
        ++disk.step;
    }

    void Alive() const {
        if (faults_.dead) throw ProgramDied{};
    }

    // A step of the program on its files: where it may die, or find the
    // file held by another program for a moment (`mayBeBusy`).
    void Step(const char* what, bool mayBeBusy) {
        Alive();
        const bool removal = std::string_view(what) == "remove";
        if (faults_.dieAtStep > 0 && (!removal || faults_.afterSwap) && --faults_.dieAtStep == 0) Die(what);
        if (mayBeBusy && faults_.busy > 0 && std::uniform_real_distribution<>(0, 1)(*faults_.random) < faults_.busy) {
            throw InOutError(InOutError::kSharingViolation);
        }
    }

    void Die(const char* what) {
        faults_.dead = true;
        if (faults_.note) faults_.note(std::string(faults_.powerCut ? "the power goes at: " : "crashes at: ") + what);
        if (faults_.powerCut) {
            for (Disk* disk : {&folder_, &local_}) {
                for (auto& [name, file] : disk->files) {
                    if (!file.flushed) std::fill(file.bytes.begin(), file.bytes.end(), '\0');
                    file.flushed = true;
                }
            }
        }
        throw ProgramDied{};
    }

    int pc_;
    std::string shared_;
    Disk& folder_;
    Disk& local_;
    Faults& faults_;
    Steps steps_;
};

}  // namespace ricordex::testing
