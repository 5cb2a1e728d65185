#include "core/archive_swap.h"

#include "core/errors.h"

namespace ricordex {
namespace {

// The codes of a file system that cannot replace (a share, FAT on some
// systems): the new file is then moved over the archive.
bool ReplaceUnsupported(int code) { return code == 1 || code == 50 || code == 87; }

void MoveIn(SwapSteps& steps, const std::filesystem::path& replacement, const std::filesystem::path& target) {
    try {
        steps.Move(replacement, target, false);
    } catch (const InOutError& error) {
        if (error.code() == InOutError::kAlreadyExists || error.code() == InOutError::kFileExists) {
            throw TargetAppearedError();
        }
        throw;
    }
}

void MoveBack(SwapSteps& steps, const std::filesystem::path& replacement, const std::filesystem::path& target,
              SwapProgress& progress) {
    const std::filesystem::path backup = BackupName(target);
    try {
        steps.Move(backup, target, false);
    } catch (const InOutError& error) {
        throw HalfDoneSwapError(target, backup, replacement, error);
    }
    progress.archiveAtBackup = false;
}

}  // namespace

std::filesystem::path ReplacementName(const std::filesystem::path& archive) {
    std::filesystem::path name = archive;
    return name += ".new";
}

std::filesystem::path BackupName(const std::filesystem::path& archive) {
    std::filesystem::path name = archive;
    return name += ".old";
}

void SwapIntoPlace(SwapSteps& steps, const std::filesystem::path& replacement, const std::filesystem::path& target,
                   SwapProgress& progress) {
    if (progress.archiveAtBackup) MoveBack(steps, replacement, target, progress);
    if (!steps.Exists(target)) {
        MoveIn(steps, replacement, target);
        return;
    }
    steps.CarryAttributes(target, replacement);
    try {
        steps.Replace(target, replacement, BackupName(target));
    } catch (const InOutError& error) {
        if (error.code() == InOutError::kUnableToMoveReplacement2) {
            progress.archiveAtBackup = true;
            MoveBack(steps, replacement, target, progress);
            throw;
        }
        if (error.code() == InOutError::kFileNotFound && !steps.Exists(target)) {
            // Gone meanwhile (another program replacing it): as if missing.
            MoveIn(steps, replacement, target);
            return;
        }
        if (!ReplaceUnsupported(error.code())) throw;
        steps.Move(replacement, target, true);
        return;
    }
    try {
        steps.Remove(BackupName(target));
    } catch (const Error&) {
        // Left behind, it is replaced by the next save's backup.
    }
}

}  // namespace ricordex
