#pragma once
// One archive kept in step by more than one running program (two PCs on a
// synced or network folder): the program remembers what the archive held
// when it last read or wrote it, and before writing over a file that has
// changed since, it merges the file's rows into its list.

#include <filesystem>
#include <optional>
#include <vector>

#include "core/archive_files.h"
#include "core/event_list.h"

namespace ricordex {

struct ArchiveBase {
    bool known = false;               // nothing read or written yet
    std::optional<FileStamp> stamp;   // the file as it was then
    std::vector<RowTexts> rows;       // its rows then: what both sides start from
};

// After a load or a save: the archive holds the list's rows.
void RememberBase(ArchiveBase& base, const EventList& list, ArchiveFiles& files, const std::filesystem::path& path);

// Before a save: when the file no longer holds what was last read or
// written (another program saved it meanwhile, or a load failed half-way),
// its rows and the list's are merged against the base, into the list, and
// the file's rows become the base: the list now holds their changes.
// Returns whether the list changed. A file that cannot be read is left to
// the save (and its safeguards) as before. The file is read every time:
// sizes and times can match where the contents differ (two saves within a
// file system's time step, a share's coarse clock).
bool MergeChangesOnDisk(ArchiveBase& base, EventList& list, ArchiveFiles& files, const std::filesystem::path& path);

// While the program runs: whether the file is no longer the one last read
// or written (by its size and time: cheap enough for every tick).
bool ArchiveChangedOnDisk(const ArchiveBase& base, ArchiveFiles& files, const std::filesystem::path& path);

// Makes the list hold these rows, keeping each row that stays (matched by
// its six texts) with its id, its place in the selection and the editor,
// and only its stamp updated.
void ApplyRows(EventList& list, const std::vector<RowTexts>& rows);

}  // namespace ricordex
