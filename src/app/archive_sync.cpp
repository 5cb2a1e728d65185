#include "app/archive_sync.h"

#include <string>
#include <unordered_map>

#include "core/archive.h"
#include "core/archive_record.h"
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
    // A file cut short (a sync client writing in place) or emptied would pass
    // for the other program's deletions: such a file is not merged.
    if (now && now->size % kRecordSize != 0) return false;
    EventList onDisk;
    try {
        RicaricaArchivio(onDisk, files, path);
    } catch (const Error&) {
        return false;
    }
    if (onDisk.Count() == 0 && !base.rows.empty()) return false;
    std::vector<RowTexts> theirs = RowsOf(onDisk);
    base.stamp = now;
    if (theirs == base.rows) return false;  // touched, not changed
    const std::vector<RowTexts> merged = MergeRows(base.rows, theirs, RowsOf(list));
    base.rows = std::move(theirs);
    ApplyRows(list, merged);
    return true;
}

bool ArchiveChangedOnDisk(const ArchiveBase& base, ArchiveFiles& files, const std::filesystem::path& path) {
    if (!base.known || !base.stamp) return false;
    const std::optional<FileStamp> now = files.StampOf(path);
    return now && *now != *base.stamp;
}

void ApplyRows(EventList& list, const std::vector<RowTexts>& rows) {
    // Each row of the list that stays is matched to one of the rows by its
    // six texts, and takes its stamp.
    std::unordered_map<std::string, std::vector<std::size_t>> wanted;
    for (std::size_t i = 0; i < rows.size(); ++i) wanted[EventKey(rows[i])].push_back(i);
    std::vector<bool> placed(rows.size(), false);
    std::vector<std::size_t> gone;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        auto found = wanted.find(EventKey(list.At(i).Texts()));
        if (found == wanted.end() || found->second.empty()) {
            gone.push_back(i);
            continue;
        }
        const std::size_t match = found->second.back();
        found->second.pop_back();
        placed[match] = true;
        if (list.At(i).Text(kUltimoAvviso) != rows[match][kUltimoAvviso]) {
            list.SetStamp(i, rows[match][kUltimoAvviso]);
        }
    }
    for (auto i = gone.rbegin(); i != gone.rend(); ++i) list.Remove(*i);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (placed[i]) continue;
        const RowTexts& row = rows[i];
        list.AggiungiRiga({row[0], row[1], row[2], row[3], row[4], row[5], row[6]}, 0);
    }
}

}  // namespace ricordex
