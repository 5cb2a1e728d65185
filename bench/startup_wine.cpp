// Start-up: from process creation to the window shown and the message loop
// waiting for input (the archive loaded, the tray icon added), for an empty
// archive and for 10,000 and 100,000 events, next to a minimal program that
// shows one window, with and without the manifest that gives Common
// Controls 6 (the program's own), and next to the minimal program with a
// virtual list showing as many rows. Also the start of a program set to stay
// in the notification area ("Avvio" 1, as when it starts with Windows): no
// window is shown, so the measure ends when the message loop first waits,
// the tray icon added.
// The programs start in turn, one start of each per round, so that whatever
// else the machine does falls on all of them alike; each line gives the
// minimum and the median of the rounds. Then the private memory of the
// program idle in the notification area with 100 events, next to the
// minimal program's.
// Run under Wine:
//   tools/wine-run.sh build/windows/bench/startup_wine.exe [rounds]
// or, for the marks of a start alone (the median of each over the starts):
//   tools/wine-run.sh build/windows/bench/startup_wine.exe marks [starts]

#include <windows.h>
#define PSAPI_VERSION 2  // GetProcessMemoryInfo from kernel32
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/archive.h"
#include "core/date_time.h"
#include "core/std_archive_files.h"
#include "support/quiet_archive.h"

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

std::filesystem::path Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / name;
}

HWND FindOwnWindow(DWORD process, const wchar_t* className) {
    struct Search {
        DWORD process;
        const wchar_t* className;
        HWND found;
    } search{process, className, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (owner == s->process && std::wstring(name) == s->className) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

enum class Shown { Window, TrayOnly };

struct Started {
    double milliseconds = -1;
    std::size_t privateBytes = 0;  // measured once idle, when asked
};

std::size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}

Started StartOnce(const std::filesystem::path& exe, const wchar_t* windowClass, const std::wstring& arguments,
                  Shown shown, bool measureMemory = false) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exe.parent_path().c_str(), &startup, &process)) {
        return {};
    }
    // The window is shown as the message loop starts, the tray icon added before.
    HWND window = nullptr;
    while (window == nullptr || (shown == Shown::Window && !::IsWindowVisible(window))) {
        window = FindOwnWindow(process.dwProcessId, windowClass);
        if (Milliseconds(std::chrono::steady_clock::now() - start).count() > 60000) break;
        ::Sleep(1);
    }
    ::WaitForInputIdle(process.hProcess, 60000);
    Started result{Milliseconds(std::chrono::steady_clock::now() - start).count()};
    if (measureMemory) {
        ::Sleep(2000);  // idle: a few ticks of its timer
        result.privateBytes = PrivateBytes(process.hProcess);
    }
    if (window != nullptr) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return result;
}

// One program to start: how, and what to set up before each start.
struct Contender {
    std::string name;
    std::function<double()> startOnce;
    std::vector<double> times = {};
};

void PrintMinimumAndMedian(const Contender& contender) {
    std::vector<double> times = contender.times;
    std::sort(times.begin(), times.end());
    std::printf("%-40s min %7.1f ms  median %7.1f ms\n", contender.name.c_str(), times.front(),
                times[times.size() / 2]);
}


// Ricordex starts with its settings as the benchmark wants them, whatever
// the last start wrote at its close.
void SetUpRicordex(const std::filesystem::path& archive, DWORD avvio) {
    const wchar_t key[] = L"SOFTWARE\\Ricordex";
    const std::wstring dati = archive.wstring();
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Dati", REG_SZ, dati.c_str(),
                      static_cast<DWORD>((dati.size() + 1) * sizeof(wchar_t)));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Avvio", REG_DWORD, &avvio, sizeof(avvio));
}

// Where the time of a start with 10,000 events goes, to the tray and with
// the window: the program's own marks (see win/start_marks.h), each the
// median of as many starts.
void PrintStartMarks(const std::filesystem::path& program, const std::filesystem::path& work, int starts) {
    const std::filesystem::path marks = work / "marks.txt";
    ::SetEnvironmentVariableW(L"RICORDEX_START_MARKS", marks.c_str());
    for (auto [avvio, shown, what] : {std::tuple{DWORD{1}, Shown::TrayOnly, "tray start"},
                                      {DWORD{2}, Shown::Window, "start with the window"}}) {
        std::vector<std::pair<std::string, std::vector<double>>> phases;  // in the order of the first start
        for (int i = 0; i < starts; ++i) {
            std::filesystem::remove(marks);
            SetUpRicordex(work / "Ricordex-10000.psc", avvio);
            // Left running a moment: the marks of what comes after the
            // window (the tray icon, the start finished) are written too.
            StartOnce(program, L"Ricordex.TFMain", {}, shown, true);
            std::FILE* file = ::_wfopen(marks.c_str(), L"r");
            if (file == nullptr) continue;
            char line[128];
            double at = 0;
            while (std::fgets(line, sizeof line, file)) {
                char phase[64] = {};
                if (std::sscanf(line, "%63[^0-9] %lf", phase, &at) != 2) continue;
                std::string name(phase);
                name.erase(name.find_last_not_of(' ') + 1);
                auto found = std::find_if(phases.begin(), phases.end(), [&](const auto& p) { return p.first == name; });
                if (found == phases.end()) found = phases.insert(phases.end(), {name, {}});
                found->second.push_back(at);
            }
            std::fclose(file);
        }
        for (auto& [phase, times] : phases) {
            std::sort(times.begin(), times.end());
            std::printf("mark, %s with 10,000 events: %-28s %7.1f ms\n", what, phase.c_str(), times[times.size() / 2]);
        }
    }
    ::SetEnvironmentVariableW(L"RICORDEX_START_MARKS", nullptr);
}

// Memory: idle in the notification area with 100 events, next to the
// minimal program's window.
void PrintIdleMemory(const std::filesystem::path& program, const std::filesystem::path& work) {
    ricordex::testing::WriteQuietArchive(work / "Ricordex-100.psc", 100);
    SetUpRicordex(work / "Ricordex-100.psc", 1);
    const Started idle = StartOnce(program, L"Ricordex.TFMain", {}, Shown::TrayOnly, true);
    const Started baseline =
        StartOnce(Beside(L"minimal_window_cc6.exe"), L"MinimalWindow", {}, Shown::Window, true);
    std::printf("private memory, Ricordex idle in the notification area, 100 events %7zu KiB\n",
                idle.privateBytes / 1024);
    std::printf("private memory, minimal program, one window %7zu KiB\n", baseline.privateBytes / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    // "startup_wine.exe marks [starts]" gives only the marks.
    const bool marksOnly = argc > 1 && std::string(argv[1]) == "marks";
    const int rounds = argc > 1 + marksOnly ? std::max(3, std::atoi(argv[1 + marksOnly])) : marksOnly ? 9 : 15;
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "ricordex-startup";
    std::filesystem::create_directories(work);
    const std::filesystem::path program = work / "Ricordex.exe";
    std::filesystem::copy_file(Beside(L"Ricordex.exe"), program, std::filesystem::copy_options::overwrite_existing);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex");

    if (marksOnly) {
        ricordex::testing::WriteQuietArchive(work / "Ricordex-10000.psc", 10'000);
        PrintStartMarks(program, work, rounds);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex");
        std::filesystem::remove_all(work);
        return 0;
    }
    std::vector<Contender> contenders;
    auto minimal = [&](std::string name, const wchar_t* exe, std::wstring arguments = {}) {
        contenders.push_back({std::move(name), [exe, arguments] {
                                  return StartOnce(Beside(exe), L"MinimalWindow", arguments, Shown::Window).milliseconds;
                              }});
    };
    minimal("minimal program, no manifest", L"minimal_window.exe");
    minimal("minimal program, one window", L"minimal_window_cc6.exe");
    for (int events : {0, 10'000, 100'000}) {
        const std::filesystem::path archive = work / ("Ricordex-" + std::to_string(events) + ".psc");
        ricordex::testing::WriteQuietArchive(archive, events);
        char name[64];
        std::snprintf(name, sizeof name, "minimal program with a list, %d rows", events);
        minimal(name, L"minimal_list.exe", std::to_wstring(events));
        for (auto [avvio, shown, suffix] : {std::tuple{DWORD{2}, Shown::Window, ""},
                                            {DWORD{1}, Shown::TrayOnly, ", tray only"}}) {
            std::snprintf(name, sizeof name, "Ricordex, %d events%s", events, suffix);
            contenders.push_back({name, [=, &program] {
                                      SetUpRicordex(archive, avvio);
                                      return StartOnce(program, L"Ricordex.TFMain", {}, shown).milliseconds;
                                  }});
        }
    }
    for (int round = 0; round < rounds; ++round) {
        for (Contender& contender : contenders) contender.times.push_back(contender.startOnce());
    }
    for (const Contender& contender : contenders) PrintMinimumAndMedian(contender);

    PrintStartMarks(program, work, 5);
    PrintIdleMemory(program, work);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex");
    std::filesystem::remove_all(work);
    return 0;
}
