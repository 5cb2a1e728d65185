#pragma once
// Copies of the archive that a sync service leaves beside it when the file
// changed on two PCs at once: "Ricordex (conflicted copy 2026-12-01).psc",
// "Ricordex-PC2.psc", "Ricordex (1).psc". Such a copy is named with the
// archive's stem, then anything, then the archive's extension (letters in
// either case), and is not the archive itself. The program's own files
// beside the archive end otherwise (.bak, .new, .old, .lock, .merged).

#include <filesystem>
#include <vector>

namespace ricordex {

bool IsConflictedCopy(const std::filesystem::path& archive, const std::filesystem::path& file);

// The conflicted copies among these files, in name order.
std::vector<std::filesystem::path> ConflictedCopies(const std::filesystem::path& archive,
                                                    const std::vector<std::filesystem::path>& files);

// The name a copy is kept under once its rows are in the archive.
std::filesystem::path MergedCopyName(const std::filesystem::path& copy);

}  // namespace ricordex
