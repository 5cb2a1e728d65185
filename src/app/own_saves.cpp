#include "app/own_saves.h"

#include <cstdint>
#include <unordered_map>
#include <utility>

#include "app/program_state.h"
#include "core/archive.h"
#include "core/archive_record.h"
#include "core/conflicted_copies.h"

namespace ricordex {
namespace {

constexpr std::size_t kSavesRemembered = 3;

std::optional<std::filesystem::path> FileOf(const Services& services) {
    if (services.recoveryFile.empty()) return std::nullopt;
    std::filesystem::path name = services.recoveryFile.stem();
    name += "-salvati.dat";
    return services.recoveryFile.parent_path() / name;
}

// Each save as two blocks of records, each after its length in 8 bytes.
std::string Serialized(const std::vector<ArchiveBase::OwnSave>& saves) {
    std::string bytes;
    const auto block = [&bytes](const std::string& records) {
        std::uint64_t size = records.size();
        for (int i = 0; i < 8; ++i, size >>= 8) bytes += static_cast<char>(size & 0xFF);
        bytes += records;
    };
    for (const ArchiveBase::OwnSave& save : saves) {
        block(save.written);
        block(save.madeFrom);
    }
    return bytes;
}

std::vector<ArchiveBase::OwnSave> Parsed(const std::string& bytes) {
    std::vector<ArchiveBase::OwnSave> saves;
    std::size_t at = 0;
    const auto block = [&](std::string& records) {
        if (bytes.size() - at < 8) return false;
        std::uint64_t size = 0;
        for (int i = 7; i >= 0; --i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        at += 8;
        if (size % kRecordSize != 0 || size > bytes.size() - at) return false;
        records = bytes.substr(at, size);
        at += size;
        return true;
    };
    for (ArchiveBase::OwnSave save; at < bytes.size() && block(save.written) && block(save.madeFrom);) {
        saves.push_back(std::move(save));
    }
    return saves;
}

void ReadEarlierRuns(ArchiveBase& base, Services& services) {
    if (std::exchange(base.ownSavesRead, true)) return;
    const std::optional<std::filesystem::path> path = FileOf(services);
    try {
        if (!path || !services.files.Exists(*path)) return;
        const std::unique_ptr<InputFile> file = services.files.OpenExisting(*path);
        std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
        if (!bytes.empty()) file->Read(bytes.data(), bytes.size());
        std::vector<ArchiveBase::OwnSave> earlier = Parsed(bytes);
        earlier.insert(earlier.end(), base.ownSaves.begin(), base.ownSaves.end());
        base.ownSaves = std::move(earlier);
    } catch (const Error&) {
    }
}

std::string RecordsOf(const std::vector<RowTexts>& rows) {
    ArchiveBase encoded;
    encoded.SetRows(rows);
    return std::move(encoded.records);
}

std::unordered_map<std::string, int> Counted(const std::string& records) {
    ArchiveBase rows;
    rows.records = records;
    std::unordered_map<std::string, int> counts;
    for (const RowTexts& row : rows.Rows()) ++counts[EventKey(row)];
    return counts;
}

// The other PC's version shows this save: it holds a row the save added.
bool Shows(const std::vector<RowTexts>& winner, const ArchiveBase::OwnSave& save) {
    std::unordered_map<std::string, int> before = Counted(save.madeFrom), shown;
    for (const RowTexts& row : winner) ++shown[EventKey(row)];
    for (const auto& [key, count] : Counted(save.written)) {
        if (count > before[key] && shown[key] >= count) return true;
    }
    return false;
}

}  // namespace

void RememberOwnSave(ArchiveBase& base, std::string madeFrom) {
    base.ownSaves.push_back({base.records, std::move(madeFrom)});
    while (base.ownSaves.size() > kSavesRemembered) base.ownSaves.erase(base.ownSaves.begin());
}

void KeepOwnSaves(ArchiveBase& base, Services& services) {
    ReadEarlierRuns(base, services);
    while (base.ownSaves.size() > kSavesRemembered) base.ownSaves.erase(base.ownSaves.begin());
    if (const std::optional<std::filesystem::path> path = FileOf(services)) {
        try {
            const std::string bytes = Serialized(base.ownSaves);
            const std::unique_ptr<OutputFile> file = services.files.CreateReplacement(*path);
            file->Write(bytes.data(), bytes.size());
            file->Commit();
        } catch (const Error&) {
        }
    }
}

std::optional<std::vector<RowTexts>> OwnSaveMadeFrom(ArchiveBase& base, Services& services,
                                                     const std::vector<RowTexts>& copy,
                                                     const std::vector<RowTexts>& winner) {
    ReadEarlierRuns(base, services);
    const std::string records = RecordsOf(copy);
    std::size_t k = base.ownSaves.size();
    while (k > 0 && base.ownSaves[k - 1].written != records) --k;
    if (k == 0) return std::nullopt;
    // Back along the saves made one over the other, to the newest the
    // sync service had.
    for (--k; k > 0 && base.ownSaves[k].madeFrom == base.ownSaves[k - 1].written &&
              !Shows(winner, base.ownSaves[k - 1]);) {
        --k;
    }
    ArchiveBase from;
    from.records = base.ownSaves[k].madeFrom;
    return from.Rows();
}

std::optional<std::filesystem::path> TakeBackLostSave(ArchiveBase& base, Services& services,
                                                      const std::filesystem::path& archive) {
    const std::vector<std::filesystem::path> copies =
        ConflictedCopies(archive, services.files.FilesBeside(archive), services.computerName);
    if (copies.empty()) return std::nullopt;
    EventList winner;
    try {
        ReloadArchive(winner, services.files, archive);
    } catch (const Error&) {
        return std::nullopt;  // the save finds out
    }
    for (const std::filesystem::path& copy : copies) {
        std::vector<RowTexts> rows;
        try {
            EventList read;
            ReloadArchive(read, services.files, copy);
            rows = RowsOf(read);
        } catch (const Error&) {
            continue;  // told when the copies are merged
        }
        if (RecordsOf(rows) != base.records) continue;
        if (const std::optional<std::vector<RowTexts>> madeFrom = OwnSaveMadeFrom(base, services, rows, RowsOf(winner))) {
            base.SetRows(*madeFrom);
            return copy;
        }
    }
    return std::nullopt;
}

}  // namespace ricordex
