// A save as the program makes it (lock, read to merge, write, swap), in the
// Windows build, of an archive nobody else holds. Run under Wine:
//   tools/wine-run.sh build/windows/bench/archive_save_wine.exe

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/program_state.h"
#include "core/archive.h"
#include "core/retrying_files.h"
#include "win/archive_files.h"

namespace {

using namespace ricordex;

class NoRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenOrCreate(const std::wstring&) override { return nullptr; }
    std::unique_ptr<RegistryKey> OpenExisting(const std::wstring&) override { return nullptr; }
};

class FixedClock final : public Clock {
public:
    DateTime Now() override { return 46'000; }
};

class NoQuestions final : public Questions {
public:
    int Ask(std::string_view, std::string_view, unsigned) override { return kAnswerYes; }
};

// The median time of a save of `events` events, in milliseconds.
double MedianSave(ArchiveFiles& files, const std::filesystem::path& archive, int events) {
    NoRegistry registry;
    FixedClock clock;
    NoQuestions questions;
    Services services{registry, files, clock, questions, L""};
    ProgramState state;
    state.settings.dati = archive.wstring();
    for (int i = 0; i < events; ++i) {
        state.list.AppendUnordered({"Evento " + std::to_string(i), "1 giorno prima", "15/03", "08.00", "Ogni ora",
                                    "Annuale", "01/01/1900 00.01"},
                                   0);
    }
    SaveArchive(state, services);
    std::vector<double> times;
    for (int run = 0; run < 41; ++run) {
        state.list.SetStamp(0, run % 2 ? "07/12/2026 09.45" : "07/12/2026 09.46");
        const auto start = std::chrono::steady_clock::now();
        SaveArchive(state, services);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::filesystem::path dir = std::filesystem::path(folder) / L"ricordex-save-bench";
    std::filesystem::create_directories(dir);
    // The program's own: the Win32 files, each step tried again when it fails for a moment.
    win::Win32ArchiveFiles platform;
    RetryingArchiveFiles files(platform);
    for (int events : {200, 10'000}) {
        const double ms = MedianSave(files, dir / L"Ricordex.psc", events);
        std::printf("save of %6d events, no other program: %7.2f ms (median of 41)\n", events, ms);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}
