#include "core/archive.h"

#include <algorithm>
#include <vector>

#include "core/archive_record.h"

namespace ricordex {
namespace {

// Records move through a buffer of this many at a time.
constexpr std::size_t kRecordsPerBlock = 512;

// After a sort the rows' texts lie scattered in memory: asking for a row's
// texts a few rows ahead keeps a large save from waiting on each of them.
constexpr std::size_t kPrefetchDistance = 8;

inline void Prefetch(const EventRow& row) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(row.Text(0).data());
#else
    (void)row;
#endif
}

// Keeps the list ordered however the load ends.
class SortWhenDone {
public:
    explicit SortWhenDone(EventList& list) : list_(list) {}
    ~SortWhenDone() { list_.SortRows(); }
    SortWhenDone(const SortWhenDone&) = delete;
    SortWhenDone& operator=(const SortWhenDone&) = delete;

private:
    EventList& list_;
};

}  // namespace

void LeggiRecord(EventList& list, InputFile& file) {
    list.Clear();
    SortWhenDone sort(list);
    std::uint64_t remaining = file.Size() / kRecordSize;
    std::vector<char> buffer(kRecordSize * kRecordsPerBlock);
    while (remaining > 0) {
        const auto records = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kRecordsPerBlock));
        file.Read(buffer.data(), records * kRecordSize);
        for (std::size_t i = 0; i < records; ++i) {
            list.AppendUnordered(DecodeRecord(buffer.data() + i * kRecordSize), 0);
        }
        remaining -= records;
    }
}

void CaricaArchivio(EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file = files.OpenOrCreate(path);
    LeggiRecord(list, *file);
}

void RicaricaArchivio(EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file = files.OpenExisting(path);
    LeggiRecord(list, *file);
}

void ScriviRecord(const EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<OutputFile> file = files.CreateReplacement(path);
    std::vector<char> buffer(kRecordSize * kRecordsPerBlock);
    std::size_t used = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (i + kPrefetchDistance < list.Count()) Prefetch(list.At(i + kPrefetchDistance));
        EncodeRecord(list.At(i), buffer.data() + used);
        used += kRecordSize;
        if (used == buffer.size()) {
            file->Write(buffer.data(), used);
            used = 0;
        }
    }
    if (used > 0) file->Write(buffer.data(), used);
    file->Commit();
}

}  // namespace ricordex
