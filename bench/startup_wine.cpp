// Start-up: from process creation to the window shown and the message loop
// waiting for input (the archive loaded, the tray icon added), for an empty
// archive and for 10,000 and 100,000 events, next to a minimal program that
// shows one window, in the same run, with and without the manifest that
// gives Common Controls 6 (the program's own), and next to the minimal
// program with a virtual list showing as many rows. Median of 7 starts each.
// Also the start of a program set to stay in the notification area ("Avvio"
// 1, as when it starts with Windows): no window is shown, so the measure
// ends when the message loop first waits, the tray icon added.
// Run under Wine:
//   tools/wine-run.sh build/windows/bench/startup_wine.exe

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/archive.h"
#include "core/std_archive_files.h"

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

double StartOnce(const std::filesystem::path& exe, const wchar_t* windowClass, const std::wstring& arguments,
                 Shown shown) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exe.parent_path().c_str(), &startup, &process)) {
        return -1;
    }
    // The window is shown as the message loop starts, the tray icon added before.
    HWND window = nullptr;
    while (window == nullptr || (shown == Shown::Window && !::IsWindowVisible(window))) {
        window = FindOwnWindow(process.dwProcessId, windowClass);
        if (Milliseconds(std::chrono::steady_clock::now() - start).count() > 60000) break;
        ::Sleep(1);
    }
    ::WaitForInputIdle(process.hProcess, 60000);
    const double elapsed = Milliseconds(std::chrono::steady_clock::now() - start).count();
    if (window != nullptr) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return elapsed;
}

double Median(const std::filesystem::path& exe, const wchar_t* windowClass, const std::wstring& arguments = {},
              Shown shown = Shown::Window) {
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) times.push_back(StartOnce(exe, windowClass, arguments, shown));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void WriteArchive(const std::filesystem::path& path, int events) {
    using namespace ricordex;
    EventList list;
    for (int i = 0; i < events; ++i) {
        char description[40], date[8];
        std::snprintf(description, sizeof description, "Evento %d di prova", (i * 7919) % 100000);
        std::snprintf(date, sizeof date, "%02d/%02d", 1 + i % 28, 1 + i % 12);
        list.AppendUnordered({description, "1 settimana prima", date, "08.00", "Ogni giorno", "Annuale",
                              "07/12/2026 09.00"},
                             0);
    }
    StdArchiveFiles files;
    ScriviRecord(list, files, path);
}

}  // namespace

int main() {
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "ricordex-startup";
    std::filesystem::create_directories(work);
    const std::filesystem::path program = work / "Ricordex.exe";
    std::filesystem::copy_file(Beside(L"Ricordex.exe"), program, std::filesystem::copy_options::overwrite_existing);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex");

    const double plain = Median(Beside(L"minimal_window.exe"), L"MinimalWindow");
    const double minimal = Median(Beside(L"minimal_window_cc6.exe"), L"MinimalWindow");
    std::printf("%-34s %9.1f ms\n", "minimal program, no manifest", plain);
    std::printf("%-34s %9.1f ms\n", "minimal program, one window", minimal);
    for (int events : {0, 10'000, 100'000}) {
        const double list = Median(Beside(L"minimal_list.exe"), L"MinimalWindow", std::to_wstring(events));
        WriteArchive(work / "Ricordex.psc", events);
        const double ricordex = Median(program, L"Ricordex.TFMain");
        std::printf("minimal program with a list, %6d rows %6.1f ms\n", events, list);
        std::printf("Ricordex, %7d events            %9.1f ms  (%.2f x minimal, %.2f x without manifest, "
                    "%.2f x minimal with a list)\n",
                    events, ricordex, ricordex / minimal, ricordex / plain, ricordex / list);
    }
    const DWORD trayOnly = 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex", L"Avvio", REG_DWORD, &trayOnly, sizeof(trayOnly));
    for (int events : {0, 10'000, 100'000}) {
        WriteArchive(work / "Ricordex.psc", events);
        const double ricordex = Median(program, L"Ricordex.TFMain", {}, Shown::TrayOnly);
        std::printf("Ricordex, %7d events, tray only %8.1f ms  (%.2f x minimal)\n", events, ricordex,
                    ricordex / minimal);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex");
    std::filesystem::remove_all(work);
    return 0;
}
