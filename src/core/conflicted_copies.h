#pragma once
// Copies of the archive that a sync service leaves beside it when the file
// changed on two PCs at once: "Ricordex (conflicted copy 2026-12-01).psc",
// "Ricordex (copia in conflitto di Anna).psc",
// "Ricordex.sync-conflict-20261201-101500-ABCDEFG.psc", "Ricordex (1).psc",
// "Ricordex-DESKTOP-4F2K9QJ.psc" (OneDrive keeps the version of the PC
// that lost as "<name>-<computer name>.<ext>").
// Such a copy is named with the archive's stem, then a middle, then the
// archive's extension (letters in either case). The middle speaks of a
// conflict (in English or Italian), or is a number in brackets, or is "-"
// and a computer name: this PC's own name in any case (the other PC's
// program takes the copies named after it), or the name Windows gives a new
// PC ("DESKTOP-", "LAPTOP-" or "WIN-" then capitals and digits, 15
// characters in all). A copy the user made ("Ricordex - Copia.psc",
// "Ricordex 2025.psc", "Ricordex-backup.psc", "Ricordex-BACKUP.psc",
// "Ricordex-2025.psc") is not one: its
// events, deleted since, would come back. The program's own files beside
// the archive end otherwise (.bak, .new, .old, .lock, .merged).

#include <filesystem>
#include <string>
#include <vector>

namespace ricordex {

// `computerName`: this PC's name; empty when not known.
bool IsConflictedCopy(const std::filesystem::path& archive, const std::filesystem::path& file,
                      const std::wstring& computerName = {});

// The conflicted copies among these files, in name order.
std::vector<std::filesystem::path> ConflictedCopies(const std::filesystem::path& archive,
                                                    const std::vector<std::filesystem::path>& files,
                                                    const std::wstring& computerName = {});

// The names a copy can be kept under once its rows are in the archive:
// "<copy>.merged", then "<copy>-2.merged", "<copy>-3.merged", ...
std::filesystem::path MergedCopyName(const std::filesystem::path& copy, int attempt = 1);

}  // namespace ricordex
