#pragma once
// An archive that a save left half-way: the start finds it missing beside
// the files the save works with, "<archive>.old" (the archive itself, put
// under that name for the moment of the swap) and "<archive>.new" (the new
// file, complete before any swap begins), and takes it back from them
// rather than starting from an empty archive.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/archive_files.h"
#include "core/date_time.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace ricordex {

// A name for a copy kept beside a file, "<file>.yyyymmdd-hhnnss.bak"
// ("-2.bak" and on when a copy of the same second is there), or with
// another ending.
std::filesystem::path AsideName(ArchiveFiles& files, const std::filesystem::path& archive, DateTime now,
                                std::string_view ending = ".bak");

// A new file a save wrote whole: records only, none of them zeros alone (a
// power cut can leave a file its full size with nothing written in it; a
// record always holds at least its date).
bool Whole(ArchiveFiles& files, const std::filesystem::path& file);

// When the archive is missing, under the archive's lock: from
// "<archive>.old", the last archive saved whole (the "<archive>.new" beside
// it is kept aside under AsideName: its changes are still in the list of
// the program whose save stopped, or in its recovery file); else from
// "<archive>.new" when it is whole (records only, not empty, none of them
// all zeros as a power cut leaves a file whose data never reached the
// disk). A new file
// that is not whole is kept aside, since the next save would write over it.
// Returns what to tell the user, nothing when there was nothing to take
// back. A failure is raised, the archive still missing: never replaced by
// an empty one.
std::optional<std::string> RecoverMissingArchive(ArchiveFiles& files, const std::filesystem::path& archive,
                                                 DateTime now);

// The same, for a caller that holds the archive's lock (a save, a switch
// of folder): every path that finds the archive missing takes a stopped
// swap back first, or a save would write over the events only ".old" holds.
std::optional<std::string> TakeBackStoppedSwap(ArchiveFiles& files, const std::filesystem::path& archive,
                                               DateTime now);

// The start-up load: the archive taken back when a save left it half-way
// (told through `report`), then opened, or created empty, and read.
void LoadOrRecoverArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& archive, DateTime now,
                          const ErrorReport& report);

}  // namespace ricordex
