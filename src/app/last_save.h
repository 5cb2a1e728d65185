#pragma once
// What this PC's last save of the archive took out of it (the rows the
// user deleted, and the old texts of those corrected), kept beside the
// recovery file across runs ("Ricordex-recupero-salvato.psc"), with a hash
// of what the save wrote. A sync service that finds the archive changed on
// two PCs keeps the losing PC's save as a conflicted copy named after it
// ("Ricordex-<PC>.psc"). Merged as anyone's copy, only its additions are
// taken (what it lacks may be events it never saw); as the copy of this
// PC's own last save, what that save took out goes too: the deletions
// stay deleted, and a correction is kept once, not beside its old text.
// (What an earlier save took out that also lost to the other PC's cannot
// be told from what that PC added: it stays.)

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/archive_files.h"
#include "core/event_list.h"
#include "core/event_row.h"

namespace ricordex {

// Beside the recovery file; nothing without one.
std::filesystem::path LastSaveFile(const std::filesystem::path& recoveryFile);

// Before a save that read `over` (the archive's records) writes `written`
// (a save that then fails leaves a hash no copy has). A failure only loses
// the better merge of a later conflict.
void KeepLastSave(ArchiveFiles& files, const std::filesystem::path& file, const std::string& over,
                  const EventList& written);

// The rows this PC's last save took out of the archive, when `copy` is
// what that save wrote; nothing otherwise.
std::optional<std::vector<RowTexts>> RowsTakenOut(ArchiveFiles& files, const std::filesystem::path& file,
                                                  const std::vector<RowTexts>& copy);

}  // namespace ricordex
