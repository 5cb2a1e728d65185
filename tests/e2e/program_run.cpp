#include "e2e/program_run.h"

#include <commctrl.h>

#define PSAPI_VERSION 2  // the K32 functions of kernel32
#include <psapi.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

#include "e2e/box_text_control.h"
#include "tray/tray_icon.h"
#include "ui/main_form.h"

namespace ricordex::e2e {
namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) != search->className) return TRUE;
    if (search->title != nullptr) {
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        if (std::wstring(title) != search->title) return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title) {
    Search search{processId, className, title};
    ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::filesystem::path BuiltProgram() {
    const char* unixPath = std::getenv("RICORDEX_EXE");
    if (unixPath == nullptr) throw std::runtime_error("RICORDEX_EXE is not set");
    std::string path = unixPath;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    return std::filesystem::path(path).make_preferred();
}

ProgramRun::ProgramRun(const std::filesystem::path& folder, const std::wstring& arguments) {
    const std::filesystem::path exe = folder / L"Ricordex.exe";
    std::filesystem::copy_file(BuiltProgram(), exe, std::filesystem::copy_options::overwrite_existing);
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // The program marks the end of its start in this file.
    static int runs = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    marks_ = std::filesystem::path(temp) /
             (L"ricordex-marks-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++runs) + L".txt");
    ::SetEnvironmentVariableW(L"RICORDEX_START_MARKS", marks_.c_str());
    // Wine may still hold the copy for a moment: try a few times.
    for (int attempt = 0;; ++attempt) {
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                             &startup, &process_)) {
            ::SetEnvironmentVariableW(L"RICORDEX_START_MARKS", nullptr);
            break;
        }
        if (attempt == 20) {
            throw std::runtime_error("the program did not start: error " + std::to_string(::GetLastError()));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    WaitUntilStarted();
}

void ProgramRun::WaitUntilStarted() const {
    // Input idle alone is not enough: Wine may report it before the first
    // window exists. The main window and the tray's are made before the
    // message loop runs (or a start error's box, whose loop answers too).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((MainWindow() == nullptr || TrayWindow() == nullptr) && Running() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::WaitForInputIdle(process_.hProcess, 10000);
    // Then the rest of the start, which runs once the window is painted,
    // or waits for a box the start opened.
    while (Running() && std::chrono::steady_clock::now() < deadline && !StartFinished() && !BoxOpen()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ProgramRun::StartFinished() const {
    std::ifstream marks(marks_);
    std::string line;
    while (std::getline(marks, line)) {
        if (line.rfind("start finished", 0) == 0) return true;
    }
    return false;
}

bool ProgramRun::BoxOpen() const {
    for (HWND box = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box != nullptr;
         box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(box, &owner);
        if (owner == process_.dwProcessId && ::IsWindowVisible(box)) return true;
    }
    return false;
}

ProgramRun::~ProgramRun() {
    if (Running()) {
        ::TerminateProcess(process_.hProcess, 1);
        ::WaitForSingleObject(process_.hProcess, 5000);
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
    std::error_code ignored;
    std::filesystem::remove(marks_, ignored);
}

HWND ProgramRun::MainWindow() const { return FindProcessWindow(process_.dwProcessId, ui::kMainFormClass, nullptr); }

HWND ProgramRun::Window(const wchar_t* className) const {
    return FindProcessWindow(process_.dwProcessId, className, nullptr);
}

HWND ProgramRun::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

HWND ProgramRun::ActiveWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndActive : nullptr;
}

HWND ProgramRun::Control(HWND parent, const wchar_t* text) {
    return ::FindWindowExW(parent, nullptr, nullptr, text);
}

std::wstring ProgramRun::Text(HWND window) {
    // Asked of the window itself: an edit keeps its text to itself.
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          2000, &copied);
    text.resize(copied);
    return text;
}

ProgramRun::ListItem ProgramRun::Item(HWND list, int row, int column) {
    constexpr int kLongest = 512;
    struct Remote {
        LVITEMW item;
        wchar_t text[kLongest];
    };
    DWORD process = 0;
    ::GetWindowThreadProcessId(list, &process);
    const HANDLE handle = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    auto* remote = static_cast<Remote*>(::VirtualAllocEx(handle, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    Remote local{};
    local.item.mask = LVIF_TEXT | LVIF_IMAGE;
    local.item.iItem = row;
    local.item.iSubItem = column;
    local.item.pszText = remote->text;
    local.item.cchTextMax = kLongest;
    ::WriteProcessMemory(handle, remote, &local, sizeof local, nullptr);
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    ::ReadProcessMemory(handle, remote, &local, sizeof local, nullptr);
    ::VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
    ::CloseHandle(handle);
    // The list may answer with a text of its own instead of the buffer.
    std::wstring text;
    if (local.item.pszText == remote->text) {
        local.text[kLongest - 1] = L'\0';
        text = local.text;
    }
    return {text, local.item.iImage};
}

HWND ProgramRun::TrayWindow() const {
    return FindProcessWindow(process_.dwProcessId, L"Ricordex.TTrayIconWindow", nullptr);
}

void ProgramRun::NotifyTray(UINT event) const {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::PostMessageW(TrayWindow(), tray::kTrayCallbackMessage, MAKEWPARAM(cursor.x, cursor.y),
                   MAKELPARAM(event, tray::kTrayIconId));
}

HWND ProgramRun::WaitForMessageBox(const wchar_t* title, std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        // Found once it is shown: a box still being made has no text yet.
        HWND box = FindProcessWindow(process_.dwProcessId, L"#32770", title);
        if (box != nullptr && ::IsWindowVisible(box)) return box;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

int ProgramRun::CountMessageBoxes(const wchar_t* title) const {
    struct Count {
        Search search;
        int found = 0;
    } count{{process_.dwProcessId, L"#32770", title}};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* c = reinterpret_cast<Count*>(parameter);
            c->search.found = nullptr;
            Match(window, reinterpret_cast<LPARAM>(&c->search));
            if (c->search.found != nullptr && ::IsWindowVisible(window)) ++c->found;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.found;
}

std::wstring ProgramRun::MessageBoxText(HWND box) {
    wchar_t text[512] = {};
    ::GetWindowTextW(BoxTextControl(box), text, 512);
    return text;
}

bool ProgramRun::Press(HWND box, int button) {
    ::PostMessageW(::GetDlgItem(box, button), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !::IsWindow(box);
}

bool ProgramRun::CloseAndWait(std::chrono::milliseconds timeout) {
    ::PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void ProgramRun::Kill() {
    ::TerminateProcess(process_.hProcess, 1);
    ::WaitForSingleObject(process_.hProcess, 5000);
}

bool ProgramRun::Running() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

bool ProgramRun::HasLoaded(const wchar_t* library) const { return !LoadedFrom(library).empty(); }

std::filesystem::path ProgramRun::LoadedFrom(const wchar_t* library) const {
    for (const std::filesystem::path& module : Modules()) {
        if (::lstrcmpiW(module.filename().c_str(), library) == 0) return module;
    }
    return {};
}

std::size_t ProgramRun::PrivateBytes() const {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(process_.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    // Wine gives the private pages as the page file's share only.
    return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}

std::vector<std::filesystem::path> ProgramRun::Modules() const {
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (!::K32EnumProcessModules(process_.hProcess, modules, sizeof(modules), &bytes)) return {};
    std::vector<std::filesystem::path> files;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
        std::wstring path(32768, L'\0');
        path.resize(::K32GetModuleFileNameExW(process_.hProcess, modules[i], path.data(),
                                              static_cast<DWORD>(path.size())));
        if (!path.empty()) files.emplace_back(path);
    }
    return files;
}

}  // namespace ricordex::e2e
