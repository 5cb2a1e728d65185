// Loading and saving the archive, each next to a plain sequential read or
// write of the same file in the same run, so that the ratio is what counts.
//
//   build/native/bench/archive_bench [--benchmark_filter=...]
//
// The counter rss_MB is the resident memory of the process after loading.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/archive_sync.h"
#include "app/program_state.h"
#include "app/recovery_file.h"
#include "core/archive.h"
#include "core/archive_merge.h"
#include "core/archive_record.h"
#include "core/std_archive_files.h"
#include "core/text_compare.h"
#include "support/fakes.h"

namespace ricordex {
namespace {

const char* const kLeads[] = {"10 minuti prima", "1 giorno prima", "2 settimane prima", "Da adesso"};
const char* const kFrequencies[] = {"Avvio Computer", "Ogni ora", "Ogni giorno", "Ogni mese"};
const char* const kWords[] = {"Bollo", "auto", "compleanno", "di", "Maria", "scadenza", "mutuo", "rata",
                              "assicurazione", "visita", "dentista", "anniversario", "tassa", "rifiuti"};

// The order of the records in a file. The program writes its list as shown,
// ordered by description unless the user sorted by another column; a file in
// another order (sorted by a column, or written elsewhere) leaves the loaded
// rows' texts spread through memory in the list's order.
enum class FileOrder { kShuffled, kAsSaved };

std::filesystem::path ArchiveOf(std::size_t records, FileOrder order = FileOrder::kShuffled) {
    static std::map<std::pair<std::size_t, FileOrder>, std::filesystem::path> made;
    auto& path = made[{records, order}];
    if (!path.empty()) return path;
    path = std::filesystem::temp_directory_path() /
           ("ricordex-bench-" + std::to_string(records) + (order == FileOrder::kAsSaved ? "-saved" : "") + ".psc");
    std::mt19937 random(42);
    EventList list;
    for (std::size_t i = 0; i < records; ++i) {
        std::string description;
        const int words = 2 + static_cast<int>(random() % 6);
        for (int w = 0; w < words; ++w) {
            if (w > 0) description += ' ';
            description += kWords[random() % std::size(kWords)];
        }
        description += ' ' + std::to_string(random() % 100000);
        char date[6], time[6];
        std::snprintf(date, sizeof date, "%02u/%02u", 1 + static_cast<unsigned>(random() % 28),
                      1 + static_cast<unsigned>(random() % 12));
        std::snprintf(time, sizeof time, "%02u.%02u", static_cast<unsigned>(random() % 24),
                      static_cast<unsigned>(random() % 60));
        list.AppendUnordered({description, kLeads[random() % 4], date, time, kFrequencies[random() % 4], "Annuale",
                              "06/12/2026 12.30"},
                             0);
    }
    if (order == FileOrder::kAsSaved) list.SortRows();
    StdArchiveFiles files;
    ScriviRecord(list, files, path);
    return path;
}

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

std::vector<char> PlainRead(const std::filesystem::path& path) {
    std::vector<char> bytes(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    return bytes;
}

// Baseline of a load: read the file in one go, then sort its descriptions
// once with the list's comparison.
void BM_PlainReadAndSort(benchmark::State& state) {
    const auto path = ArchiveOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const std::vector<char> bytes = PlainRead(path);
        std::vector<std::string_view> descriptions;
        descriptions.reserve(bytes.size() / kRecordSize);
        for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
            descriptions.emplace_back(&bytes[at + 1], static_cast<unsigned char>(bytes[at]));
        }
        std::sort(descriptions.begin(), descriptions.end(),
                  [](std::string_view a, std::string_view b) { return CompareText(a, b) < 0; });
        benchmark::DoNotOptimize(descriptions.data());
    }
}

void BM_Load(benchmark::State& state) {
    const auto path = ArchiveOf(static_cast<std::size_t>(state.range(0)));
    StdArchiveFiles files;
    double rss = 0;
    for (auto _ : state) {
        EventList list;
        LoadOrCreateArchive(list, files, path);
        rss = ResidentMegabytes();
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["rss_MB"] = rss;
}

// Both writes are flushed to disk: the save must be before it replaces the
// archive, so the plain write that it is held against is too.
void BM_PlainWrite(benchmark::State& state) {
    const auto path = ArchiveOf(static_cast<std::size_t>(state.range(0)));
    const std::vector<char> bytes = PlainRead(path);
    const auto target = std::filesystem::path(path).replace_extension(".plain");
    for (auto _ : state) {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fflush(f);
        ::fsync(::fileno(f));
        std::fclose(f);
    }
    std::filesystem::remove(target);
}

// Saving the list loaded from a file in the list's order (as the program
// writes it while the list is sorted by description), and from a file in
// another order (as after a sort by another column, a close and a start).
void SaveLoaded(benchmark::State& state, FileOrder order) {
    const auto path = ArchiveOf(static_cast<std::size_t>(state.range(0)), order);
    StdArchiveFiles files;
    EventList list;
    LoadOrCreateArchive(list, files, path);
    const auto target = std::filesystem::path(path).replace_extension(".saved");
    for (auto _ : state) ScriviRecord(list, files, target);
    std::filesystem::remove(target);
}

void BM_Save(benchmark::State& state) { SaveLoaded(state, FileOrder::kAsSaved); }
void BM_SaveFromShuffledFile(benchmark::State& state) { SaveLoaded(state, FileOrder::kShuffled); }

// Two PCs' versions of the archive merged against the one they started
// from: each side changed a tenth of the rows (removed some, edited some,
// added as many), as after a long time apart.
void BM_Merge(benchmark::State& state) {
    EventList list;
    StdArchiveFiles files;
    LoadOrCreateArchive(list, files, ArchiveOf(static_cast<std::size_t>(state.range(0))));
    std::vector<RowTexts> base;
    base.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i) base.push_back(list.At(i).Texts());
    std::vector<RowTexts> theirs = base, ours = base;
    for (std::size_t i = 0; i < base.size(); i += 10) {
        theirs[i][kDescrizione] += " (loro)";
        ours[(i + 5) % ours.size()][kDescrizione] += " (nostro)";
        if (i % 20 == 0) theirs[i][kUltimoAvviso] = "07/12/2026 10.00";
    }
    for (auto _ : state) benchmark::DoNotOptimize(MergeRows(base, theirs, ours));
}

// The whole merge before a save: the other PC's file read and compared with
// the base, merged with the list, and the list made to hold the result
// (the rows that stay keep their ids), with the same tenths changed.
void BM_MergeOnSave(benchmark::State& state) {
    const std::filesystem::path path = ArchiveOf(static_cast<std::size_t>(state.range(0)));
    StdArchiveFiles files;
    EventList read;
    LoadOrCreateArchive(read, files, path);
    ArchiveBase base;
    RememberBase(base, read, files, path);
    EventList loaded;  // ours: a tenth of the rows edited
    for (std::size_t i = 0; i < read.Count(); ++i) {
        RowTexts row = read.At(i).Texts();
        if (i % 10 == 0) row[kDescrizione] += " (nostro)";
        loaded.AppendUnordered(FieldsOf(row), 0);
    }
    loaded.SortRows();
    base.records.erase(0, kRecordSize);  // the file is not the base: it merges
    for (auto _ : state) {
        state.PauseTiming();
        EventList list = loaded;
        ArchiveBase start = base;
        state.ResumeTiming();
        benchmark::DoNotOptimize(MergeChangesOnDisk(start, list, files, path));
    }
}

// What a save run off the window's thread adds: the copy of the program's
// state it works on (the list and the base), and the state taken back.
void BM_SaveCopiesTheState(benchmark::State& state) {
    const std::filesystem::path path = ArchiveOf(static_cast<std::size_t>(state.range(0)));
    StdArchiveFiles files;
    ProgramState program;
    LoadOrCreateArchive(program.list, files, path);
    RememberBase(program.base, program.list, files, path);
    for (auto _ : state) {
        ProgramState work = program;
        program.list = std::move(work.list);
        program.base = std::move(work.base);
        benchmark::DoNotOptimize(program.list.Count());
    }
}

// The recovery file kept after a change (here a stamp, as an alert gives):
// the list written as a save writes it, the archive's name and the base
// only at the first write. And a tick with nothing new.
void KeepRecoveryAfter(benchmark::State& state, bool change) {
    const std::filesystem::path path = ArchiveOf(static_cast<std::size_t>(state.range(0)), FileOrder::kAsSaved);
    testing::FakeRegistry registry;
    StdArchiveFiles files;
    testing::FakeClock clock;
    testing::FakeQuestions questions;
    const std::filesystem::path recovery = std::filesystem::path(path).replace_extension(".recupero.psc");
    Services services{registry, files, clock, questions, L"", nullptr, recovery};
    ProgramState program;
    program.settings.dati = path.wstring();
    LoadOrCreateArchive(program.list, files, path);
    RememberBase(program.base, program.list, files, path);
    program.aggiornatoDaTimer = true;
    KeepRecovery(program, services);  // the first write, with the base
    int minute = 0;
    for (auto _ : state) {
        if (change) program.list.SetStamp(0, "07/12/2026 10." + std::to_string(10 + minute++ % 50));
        KeepRecovery(program, services);
    }
    DropRecovery(program, services);
}
void BM_KeepRecovery(benchmark::State& state) { KeepRecoveryAfter(state, true); }
void BM_KeepRecoveryNothingNew(benchmark::State& state) { KeepRecoveryAfter(state, false); }

BENCHMARK(BM_PlainReadAndSort)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCopiesTheState)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeOnSave)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFromShuffledFile)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepRecovery)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepRecoveryNothingNew)->Arg(100'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ricordex

BENCHMARK_MAIN();
