#include "app/archive_sync.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

#include "app/last_save.h"
#include "core/archive.h"
#include "core/archive_merge.h"
#include "core/archive_record.h"
#include "core/conflicted_copies.h"
#include "core/errors.h"

namespace ricordex {
std::vector<RowTexts> RowsOf(const EventList& list) {
    std::vector<RowTexts> rows;
    rows.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) rows.push_back(list.At(i).Texts());
    return rows;
}

bool SameRows(std::vector<RowTexts> a, std::vector<RowTexts> b) {
    if (a.size() != b.size()) return false;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

namespace {

// The rows of an archive file, or nothing when it cannot be read whole.
std::optional<std::vector<RowTexts>> ReadRows(ArchiveFiles& files, const std::filesystem::path& path) {
    const std::optional<FileStamp> stamp = files.StampOf(path);
    if (stamp && stamp->size % kRecordSize != 0) return std::nullopt;
    EventList rows;
    try {
        ReloadArchive(rows, files, path);
    } catch (const BusyFileError&) {
        throw;  // held by another program: not unreadable, the save waits for another time
    } catch (const Error&) {
        return std::nullopt;
    }
    return RowsOf(rows);
}

// Of each event, as many rows as both the base and the copy hold.
std::vector<RowTexts> Shared(const std::vector<RowTexts>& base, const std::vector<RowTexts>& copy) {
    std::unordered_map<std::string, int> left;
    for (const RowTexts& row : base) ++left[EventKey(row)];
    std::vector<RowTexts> shared;
    for (const RowTexts& row : copy) {
        const auto found = left.find(EventKey(row));
        if (found == left.end() || found->second == 0) continue;
        --found->second;
        shared.push_back(row);
    }
    return shared;
}

// A file's name for a message: letters beyond ASCII are shown as "?".
std::string NameForReport(const std::filesystem::path& path) {
    std::string name;
    for (const wchar_t c : path.filename().wstring()) name += c < 0x80 ? static_cast<char>(c) : '?';
    return name;
}

}  // namespace

std::vector<RowTexts> ArchiveBase::Rows() const {
    std::vector<RowTexts> rows(records.size() / kRecordSize);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowFields fields = DecodeRecord(records.data() + i * kRecordSize);
        for (std::size_t k = 0; k < kFieldCount; ++k) rows[i][k] = fields[k];
    }
    return rows;
}

void ArchiveBase::SetRows(const std::vector<RowTexts>& rows) {
    records.resize(rows.size() * kRecordSize);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EventRow row(FieldsOf(rows[i]), 0, 0);
        EncodeRecord(row, records.data() + i * kRecordSize);
    }
}

void RememberBase(ArchiveBase& base, const EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    RememberBase(base, list, files.StampOf(path));
}

void RememberBase(ArchiveBase& base, const EventList& list, const std::optional<FileStamp>& stamp) {
    base.known = true;
    ++base.version;
    base.stamp = stamp;
    base.records.resize(list.Count() * kRecordSize);
    for (std::size_t i = 0; i < list.Count(); ++i) EncodeRecord(list.At(i), base.records.data() + i * kRecordSize);
}

ArchiveSight SeeArchive(ArchiveFiles& files, const std::filesystem::path& path, bool read) {
    ArchiveSight sight;
    sight.exists = files.Exists(path);
    if (!sight.exists) return sight;
    sight.stamp = files.StampOf(path);
    if (read) sight.rows = ReadRows(files, path);
    return sight;
}

DiskChange MergeChangesOnDisk(ArchiveBase& base, EventList& list, ArchiveFiles& files,
                              const std::filesystem::path& path, long long notAfter) {
    if (!base.known) return DiskChange::kNone;
    return MergeSeenChanges(base, list, SeeArchive(files, path, true), notAfter);
}

DiskChange MergeSeenChanges(ArchiveBase& base, EventList& list, const ArchiveSight& sight, long long notAfter) {
    if (!base.known || !sight.exists) return DiskChange::kNone;
    const std::optional<std::vector<RowTexts>>& theirs = sight.rows;
    // An emptied file would pass for the other program's deletions.
    if (!theirs || (theirs->empty() && !base.records.empty())) return DiskChange::kUnreadable;
    const std::vector<RowTexts> baseRows = base.Rows();
    if (SameRows(*theirs, baseRows)) {
        // Touched, not changed: the base stays, under the file's stamp now.
        if (std::exchange(base.stamp, sight.stamp) != sight.stamp) ++base.version;
        return DiskChange::kNone;
    }
    base.stamp = sight.stamp;
    ++base.version;
    const std::vector<RowTexts> merged = MergeRows(baseRows, *theirs, RowsOf(list), notAfter);
    base.SetRows(*theirs);
    ApplyRows(list, merged);
    return DiskChange::kMerged;
}

void ApplyRows(EventList& list, const std::vector<RowTexts>& rows) {
    // The list's rows by event: the first of each, and after each the next.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::unordered_map<std::string, std::size_t> first;
    first.reserve(list.Count());
    std::vector<std::size_t> next(list.Count(), kNone);
    for (std::size_t i = list.Count(); i-- > 0;) {
        const auto [found, added] = first.try_emplace(EventKey(list.At(i)), i);
        if (!added) next[i] = std::exchange(found->second, i);
    }
    // Built aside: the list changes only once the new rows are all there.
    std::vector<EventRow> result;
    result.reserve(rows.size());
    for (const RowTexts& row : rows) {
        const auto found = first.find(EventKey(row));
        if (found == first.end() || found->second == kNone) {
            result.push_back(list.NewRow(FieldsOf(row), 0));
            continue;
        }
        result.push_back(list.At(found->second));
        found->second = next[found->second];
        if (result.back().Text(kUltimoAvviso) != row[kUltimoAvviso]) {
            result.back().SetText(kUltimoAvviso, row[kUltimoAvviso]);
        }
    }
    list.ReplaceRows(std::move(result));
}

std::vector<std::filesystem::path> MergeConflictedCopies(const ArchiveBase& base, EventList& list,
                                                         ArchiveFiles& files, const std::filesystem::path& archive,
                                                         std::set<std::filesystem::path>& reported,
                                                         const ErrorReport& report, const std::wstring& computerName,
                                                         long long notAfter, const std::filesystem::path& lastSave) {
    std::vector<std::filesystem::path> merged;
    for (const std::filesystem::path& copy : ConflictedCopies(archive, files.FilesBeside(archive), computerName)) {
        std::optional<std::vector<RowTexts>> rows;
        try {
            rows = ReadRows(files, copy);
        } catch (const BusyFileError&) {
            continue;  // the sync service is still writing it: merged at a later save
        }
        if (!rows) {
            if (reported.insert(copy).second && report) {
                report("Impossibile leggere la copia in conflitto dell'archivio \"" + NameForReport(copy) +
                       "\": resta dov'\xE8, non unita all'archivio.");
            }
            continue;
        }
        // Its additions; with this PC's own last save, what it took out too.
        std::vector<RowTexts> from = Shared(base.Rows(), *rows);
        if (std::optional<std::vector<RowTexts>> out = RowsTakenOut(files, lastSave, *rows)) {
            from.insert(from.end(), out->begin(), out->end());
        }
        ApplyRows(list, MergeRows(from, *rows, RowsOf(list), notAfter));
        merged.push_back(copy);
    }
    return merged;
}

void SetAsideMergedCopies(const std::vector<std::filesystem::path>& copies, ArchiveFiles& files,
                          const ErrorReport& report) {
    for (const std::filesystem::path& copy : copies) {
        try {
            // A name kept from an earlier conflict is left to it.
            int attempt = 1;
            while (files.Exists(MergedCopyName(copy, attempt))) ++attempt;
            files.RenameToNew(copy, MergedCopyName(copy, attempt));
        } catch (const Error& error) {
            if (report) {
                report("La copia in conflitto \"" + NameForReport(copy) +
                       "\" \xE8 unita all'archivio ma non si pu\xF2 rinominare: " + error.what());
            }
        }
    }
}

}  // namespace ricordex
