#include "app/archive_sync.h"

#include "core/archive.h"
#include "core/archive_merge.h"
#include "core/errors.h"

namespace ricordex {
namespace {

std::vector<RowTexts> RowsOf(const EventList& list) {
    std::vector<RowTexts> rows;
    rows.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) rows.push_back(list.At(i).Texts());
    return rows;
}

}  // namespace

void RememberBase(ArchiveBase& base, const EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    base.known = true;
    base.stamp = files.StampOf(path);
    base.rows = RowsOf(list);
}

bool MergeChangesOnDisk(ArchiveBase& base, EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    if (!base.known || !files.Exists(path)) return false;
    const std::optional<FileStamp> now = files.StampOf(path);
    EventList onDisk;
    try {
        RicaricaArchivio(onDisk, files, path);
    } catch (const Error&) {
        return false;
    }
    std::vector<RowTexts> theirs = RowsOf(onDisk);
    base.stamp = now;
    if (theirs == base.rows) return false;  // touched, not changed
    const std::vector<RowTexts> merged = MergeRows(base.rows, theirs, RowsOf(list));
    base.rows = std::move(theirs);
    list.Clear();
    for (const RowTexts& row : merged) {
        list.AppendUnordered({row[0], row[1], row[2], row[3], row[4], row[5], row[6]}, 0);
    }
    list.SortRows();
    return true;
}

}  // namespace ricordex
