#pragma once
// One archive kept in step by more than one running program (two PCs on a
// synced or network folder): the program remembers what the archive held
// when it last read or wrote it, and before writing over a file that has
// changed since, it merges the file's rows into its list.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "core/archive_files.h"
#include "core/archive_merge.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace ricordex {

struct ArchiveBase {
    bool known = false;               // nothing read or written yet
    std::optional<FileStamp> stamp;   // the file as it was then
    // Its rows then, what both sides start from, kept as the archive's own
    // records: one block of memory, made in a blink at every load and save.
    std::string records;
    // Counts the times the base was taken anew: a look at the file taken
    // before is stale after.
    std::uint64_t version = 0;

    std::vector<RowTexts> Rows() const;
    void SetRows(const std::vector<RowTexts>& rows);
};

// The texts of the list's rows, in its order.
std::vector<RowTexts> RowsOf(const EventList& list);
// The same rows, in whatever order, each as many times: a list sorted by
// another column than the file's writer's holds the same archive.
bool SameRows(std::vector<RowTexts> a, std::vector<RowTexts> b);

// After a load or a save: the archive holds the list's rows.
void RememberBase(ArchiveBase& base, const EventList& list, ArchiveFiles& files, const std::filesystem::path& path);
// The same, with the file's stamp taken before it was read.
void RememberBase(ArchiveBase& base, const EventList& list, const std::optional<FileStamp>& stamp);

enum class DiskChange {
    kNone,        // the file holds the base's rows (in any order), or there is none
    kMerged,      // another program's changes are now in the list
    kUnreadable,  // the file changed but cannot be read as an archive
};

// What a look at the archive file found. Taking it is the slow part (a
// network folder may keep it waiting for its time-outs): it is taken off
// the window's thread, and the list is changed from it there afterwards.
struct ArchiveSight {
    bool exists = false;             // false also when it could not be told
    std::optional<FileStamp> stamp;  // its size and last write, when known
    // Its rows, when asked for and the file reads whole as an archive.
    std::optional<std::vector<RowTexts>> rows;
};

// Looks at the archive: whether it is there, its stamp, and its rows when
// `read` (a file that cannot be read leaves them empty). Raises only where
// Exists does: a folder that cannot be reached.
ArchiveSight SeeArchive(ArchiveFiles& files, const std::filesystem::path& path, bool read);

// Before a save: when the file no longer holds what was last read or
// written (another program saved it meanwhile, or a load failed half-way),
// its rows and the list's are merged against the base, into the list, and
// the file's rows become the base: the list now holds their changes. The
// file is read every time: sizes and times can match where the contents
// differ (two saves within a file system's time step, a share's coarse
// clock). A file that cannot be read, whose size is not a whole number of
// records, or that is empty where the base is not (a sync client writing in
// place) is not merged: it is kUnreadable, for the caller to keep aside.
// Stamps later than `notAfter` lose to any other (see core/archive_merge.h).
DiskChange MergeChangesOnDisk(ArchiveBase& base, EventList& list, ArchiveFiles& files,
                              const std::filesystem::path& path, long long notAfter = kAnyStamp);
// The same, from a look taken before (with its rows read).
DiskChange MergeSeenChanges(ArchiveBase& base, EventList& list, const ArchiveSight& sight,
                            long long notAfter = kAnyStamp);

// Makes the list hold these rows in one pass, keeping each row that stays
// (matched by its six texts) with its id, so that the selection and the
// editor follow it, and only its stamp updated.
void ApplyRows(EventList& list, const std::vector<RowTexts>& rows);

// The conflicted copies a sync service left beside the archive (see
// core/conflicted_copies.h), merged into the list. A copy can only add: each
// is merged against the rows it shares with the base, so that what this
// program holds and the copy lacks (it was made from an older archive)
// stays. Returns the copies merged, to be set aside once the save that
// includes their rows went through. A copy that cannot be read is left
// where it is and reported once (its name then joins `reported`).
// `computerName` is this PC's (see core/conflicted_copies.h). A copy of
// this PC's last save kept by a sync service also takes out what that save
// took out, kept in `lastSave` (app/last_save.h): its deletions and edits
// are taken too, each once.
std::vector<std::filesystem::path> MergeConflictedCopies(const ArchiveBase& base, EventList& list,
                                                         ArchiveFiles& files, const std::filesystem::path& archive,
                                                         std::set<std::filesystem::path>& reported,
                                                         const ErrorReport& report,
                                                         const std::wstring& computerName = {},
                                                         long long notAfter = kAnyStamp,
                                                         const std::filesystem::path& lastSave = {});

// After the save: each merged copy is kept as "<copy>.merged"; none is
// deleted. A copy that cannot be renamed is reported (and merged again,
// adding nothing new, at the next save).
void SetAsideMergedCopies(const std::vector<std::filesystem::path>& copies, ArchiveFiles& files,
                          const ErrorReport& report);

}  // namespace ricordex
