#include "core/archive.h"

#include <algorithm>
#include <array>
#include <future>
#include <vector>

#include "core/archive_record.h"
#include "core/errors.h"

namespace ricordex {
namespace {

// After a sort the rows' texts lie scattered in memory: asking for a row's
// texts a few rows ahead keeps a large save from waiting on each of them.
constexpr std::size_t kPrefetchDistance = 16;

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
    const auto perBlock = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kRecordsPerBlock));
    std::vector<char> buffer(kRecordSize * perBlock);
    while (remaining > 0) {
        const auto records = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kRecordsPerBlock));
        file.Read(buffer.data(), records * kRecordSize);
        for (std::size_t i = 0; i < records; ++i) {
            list.AppendUnordered(DecodeRecord(buffer.data() + i * kRecordSize), 0);
        }
        remaining -= records;
    }
}

void LoadOrCreateArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file = files.OpenOrCreate(path);
    LeggiRecord(list, *file);
}

void ReloadArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<InputFile> file = files.OpenExisting(path);
    LeggiRecord(list, *file);
}

std::string ReadWholeFile(ArchiveFiles& files, const std::filesystem::path& path) {
    const std::unique_ptr<InputFile> file = files.OpenExisting(path);
    std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
    if (!bytes.empty()) file->Read(bytes.data(), bytes.size());
    return bytes;
}

void BytesInput::Read(char* buffer, std::size_t n) {
    if (n > bytes_.size() - at_) throw InOutError(InOutError::kReadBeyondEnd);
    std::copy_n(bytes_.data() + at_, n, buffer);
    at_ += n;
}

void ScriviRecord(const EventList& list, ArchiveFiles& files, const std::filesystem::path& path) {
    std::unique_ptr<OutputFile> file = files.CreateReplacement(path);
    // A block is encoded while the one before it is being written: a large
    // save takes about as long as its write. The file is only ever written
    // by one block at a time, in order, and committed after the last one.
    const std::size_t perBlock = std::min(std::max<std::size_t>(list.Count(), 1), kRecordsPerBlock);
    std::array<std::vector<char>, 2> buffers;
    std::future<void> writing;
    for (std::size_t first = 0, block = 0; first < list.Count(); first += perBlock, block ^= 1) {
        std::vector<char>& buffer = buffers[block];
        const std::size_t records = std::min(perBlock, list.Count() - first);
        buffer.resize(records * kRecordSize);
        for (std::size_t i = 0; i < records; ++i) {
            if (first + i + kPrefetchDistance < list.Count()) Prefetch(list.At(first + i + kPrefetchDistance));
            EncodeRecord(list.At(first + i), buffer.data() + i * kRecordSize);
        }
        if (writing.valid()) writing.get();  // raises the write's failure
        if (records == list.Count()) {
            file->Write(buffer.data(), buffer.size());  // one block: no second thread
        } else {
            writing = std::async(std::launch::async, [&file, &buffer] { file->Write(buffer.data(), buffer.size()); });
        }
    }
    if (writing.valid()) writing.get();
    file->Commit();
}

}  // namespace ricordex
