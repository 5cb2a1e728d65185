#pragma once
// The moment a save puts its new file in the archive's place, as steps of
// the file system that each happen whole or not at all, so that every step
// can be made to fail (the tests do) and a step that failed for a moment can
// be tried again without running one that went through.

#include <filesystem>

namespace ricordex {

// What a swap asks of the file system. Each step raises an InOutError
// numbered as the system numbers its failures.
class SwapSteps {
public:
    virtual ~SwapSteps() = default;
    // Whether a file is at the path; raises when that cannot be told.
    virtual bool Exists(const std::filesystem::path& path) = 0;
    // Gives `to` the attributes of `from` that the archive keeps (hidden,
    // system, ...); what cannot be carried is left.
    virtual void CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Puts `replacement` in the place of `target`, whose file goes under
    // `backup`, as ReplaceFileW with a backup name does. Raising
    // kUnableToRemoveReplaced or kUnableToMoveReplacement, it leaves every
    // file under its own name; kUnableToMoveReplacement2, the target's file
    // under `backup` and the replacement under its own name.
    virtual void Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                         const std::filesystem::path& backup) = 0;
    // Renames a file. Without `replacing`, a name already taken raises
    // kAlreadyExists (or kFileExists) and nothing changes.
    virtual void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) = 0;
    virtual void Remove(const std::filesystem::path& path) = 0;
};

// A save's own files beside the archive: the new one being written, and
// the archive under its backup name for the moment of the swap.
std::filesystem::path ReplacementName(const std::filesystem::path& archive);
std::filesystem::path BackupName(const std::filesystem::path& archive);

// Where a swap that raised stopped.
struct SwapProgress {
    // The archive is under its backup name: the new file must stay too.
    bool archiveAtBackup = false;
};

// Puts the complete, flushed `replacement` in the place of `target`:
// - with no archive there, moves it in without replacing anything; a file
//   that took the name meanwhile raises TargetAppearedError, both left whole;
// - else replaces the archive keeping its attributes, through its backup
//   name, removed afterwards. When the replace stops with the archive under
//   the backup name, the archive is moved back: done, the replace's error
//   is raised (a try again may go through); not done, HalfDoneSwapError
//   names the files, and `progress` says the new file must be kept.
// Called again after it raised, it carries on from where it stopped: an
// archive left under the backup name goes back first.
void SwapIntoPlace(SwapSteps& steps, const std::filesystem::path& replacement, const std::filesystem::path& target,
                   SwapProgress& progress);

}  // namespace ricordex
