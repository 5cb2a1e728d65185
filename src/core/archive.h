#pragma once
// Moving the event list between the list and the archive file.

#include <filesystem>

#include "core/archive_files.h"
#include "core/event_list.h"

namespace ricordex {

// Records are read and written this many at a time (2.6 MB): few, large
// reads and writes.
inline constexpr std::size_t kRecordsPerBlock = 16384;

// Replaces the rows of the list with the records of an open archive. The
// rows read before a failure stay, in the list's order.
void LeggiRecord(EventList& list, InputFile& file);

// The start-up load: opens the archive (creating it empty when missing),
// reads it into the list and closes it.
void LoadOrCreateArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& path);

// Another archive that already exists, read into the list in place of its
// rows (the switch of archive folder).
void ReloadArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& path);
// An existing file's bytes, whole (for a BytesInput).
std::string ReadWholeFile(ArchiveFiles& files, const std::filesystem::path& path);

// Writes every row, in list order, as the new contents of the archive. The
// previous archive is replaced only once the new one is complete; a failed
// save leaves it as it was.
void ScriviRecord(const EventList& list, ArchiveFiles& files, const std::filesystem::path& path);

}  // namespace ricordex
