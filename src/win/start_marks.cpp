#include "win/start_marks.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace ricordex::win {
namespace {

// The file named by the environment, or empty: looked up once.
const std::wstring& MarksFile() {
    static const std::wstring file = [] {
        // Asked twice: first how long the name is, then the name.
        std::wstring name(::GetEnvironmentVariableW(L"RICORDEX_START_MARKS", nullptr, 0), L'\0');
        if (name.empty()) return name;
        name.resize(::GetEnvironmentVariableW(L"RICORDEX_START_MARKS", name.data(), static_cast<DWORD>(name.size())));
        return name;
    }();
    return file;
}

double MillisecondsSinceCreation() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10'000;
}

}  // namespace

void MarkStart(const char* phase) {
    if (MarksFile().empty()) return;
    if (std::FILE* file = ::_wfopen(MarksFile().c_str(), L"a")) {
        std::fprintf(file, "%-28s %8.1f ms\n", phase, MillisecondsSinceCreation());
        std::fclose(file);
    }
}

}  // namespace ricordex::win
