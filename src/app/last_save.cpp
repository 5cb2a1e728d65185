#include "app/last_save.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "app/archive_sync.h"
#include "core/archive.h"
#include "core/archive_record.h"
#include "core/errors.h"

namespace ricordex {
namespace {

constexpr std::size_t kHeaderSize = 12;  // the hash, then how many rows were taken out

// The same records, the same hash, on every build and PC.
std::uint64_t RecordsHash(std::string_view records) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : records) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetNumber(std::string_view in, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}

// The records of `from` that `other` lacks (each as many times as it lacks it).
std::string Missing(std::string_view from, std::string_view other) {
    std::unordered_map<std::string_view, int> left;
    for (std::size_t at = 0; at + kRecordSize <= other.size(); at += kRecordSize) ++left[other.substr(at, kRecordSize)];
    std::string missing;
    for (std::size_t at = 0; at + kRecordSize <= from.size(); at += kRecordSize) {
        const std::string_view record = from.substr(at, kRecordSize);
        const auto found = left.find(record);
        if (found != left.end() && found->second > 0) {
            --found->second;
        } else {
            missing += record;
        }
    }
    return missing;
}

}  // namespace

std::filesystem::path LastSaveFile(const std::filesystem::path& recoveryFile) {
    // One for the folder, whichever recovery file a run has (a second
    // session's has another): the PC's last save is the same.
    if (recoveryFile.empty()) return {};
    return recoveryFile.parent_path() / "Ricordex-recupero-salvato.psc";
}

void KeepLastSave(ArchiveFiles& files, const std::filesystem::path& file, const std::string& over,
                  const EventList& list) {
    if (file.empty()) return;
    std::string written(list.Count() * kRecordSize, '\0');
    for (std::size_t i = 0; i < list.Count(); ++i) EncodeRecord(list.At(i), written.data() + i * kRecordSize);
    const std::string out = Missing(over, written);
    std::string bytes;
    PutNumber(bytes, RecordsHash(written), 8);
    PutNumber(bytes, out.size() / kRecordSize, 4);
    bytes += out;
    try {
        const std::unique_ptr<OutputFile> output = files.CreateReplacement(file);
        output->Write(bytes.data(), bytes.size());
        output->Commit();
    } catch (const Error&) {
        // A conflicted copy of this save is then merged as anyone's.
    }
}

std::optional<std::vector<RowTexts>> RowsTakenOut(ArchiveFiles& files, const std::filesystem::path& file,
                                                  const std::vector<RowTexts>& copy) {
    if (file.empty()) return std::nullopt;
    std::string kept;
    try {
        if (!files.Exists(file)) return std::nullopt;
        kept = ReadWholeFile(files, file);
    } catch (const Error&) {
        return std::nullopt;
    }
    if (kept.size() < kHeaderSize || (kept.size() - kHeaderSize) % kRecordSize != 0) return std::nullopt;
    const std::size_t takenOut = GetNumber(std::string_view(kept).substr(8), 4) * kRecordSize;
    if (takenOut > kept.size() - kHeaderSize) return std::nullopt;
    ArchiveBase rows;
    rows.SetRows(copy);
    if (RecordsHash(rows.records) != GetNumber(kept, 8)) return std::nullopt;
    rows.records = kept.substr(kHeaderSize, takenOut);
    return rows.Rows();
}

}  // namespace ricordex
