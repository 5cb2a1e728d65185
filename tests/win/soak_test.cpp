// Soak: the main window with 10,000 events through many scheduler ticks and
// list repaints, driven faster than real time by a fake clock, with every
// alert answered at once. Handles and private memory must not grow after the
// first minute. RICORDEX_SOAK_TICKS sets the number of ticks (1,000 by
// default, about half a minute under Wine; tools/soak.sh runs 100,000).

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/fakes.h"
#include "support/live_handles.h"
#include "support/temp_dir.h"
#include "ui/main_form.h"
#include "win/application.h"
#include "win/archive_files.h"
#include "win/pump_messages.h"
#include "win/registry.h"

namespace ricordex::ui {
namespace {

// Every message box is answered as soon as it opens.
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        wchar_t name[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
        if (std::wstring(name) == L"#32770") {
            ::PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Use {
    std::size_t privateBytes;
    std::uintptr_t liveUser, liveGdi;
};

Use Measure() {
    const std::uintptr_t user = testing::LiveUserHandles();
    const std::uintptr_t gdi = testing::LiveGdiHandles();
    // Read after counting, so the memory the counting takes is in both readings.
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    // Wine leaves PrivateUsage at 0; the page-file share is its private memory.
    return {memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage, user, gdi};
}

bool MessageBoxOpen() {
    bool open = false;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (std::wstring(name) == L"#32770") *reinterpret_cast<bool*>(found) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

// Measured with no message box open: a box holds fonts and pictures of its own.
Use MeasureSettled() {
    for (int i = 0; i < 200 && MessageBoxOpen(); ++i) {
        win::PumpMessages();
        ::Sleep(5);
    }
    win::PumpMessages();
    return Measure();
}

// 10,000 events through the year; a few every day fall due as the clock runs.
void FillTheYear(EventList& list) {
    for (int i = 0; i < 10'000; ++i) {
        char description[32], date[8];
        std::snprintf(description, sizeof description, "Evento %05d", i);
        std::snprintf(date, sizeof date, "%02d/%02d", 1 + i % 28, 1 + (i / 28) % 12);
        list.AppendUnordered({description, i % 50 == 0 ? "1 giorno prima" : "Nessun Avviso", date, "12.00",
                              "Ogni giorno", "Annuale", kInitialStamp},
                             0);
    }
    list.SortRows();
}

TEST(Soak, TicksAndRepaintsKeepMemoryAndHandlesFlat) {
    const char* setting = std::getenv("RICORDEX_SOAK_TICKS");
    const int ticks = setting != nullptr ? std::atoi(setting) : 1'000;
    testing::TempDir dir;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    win::Win32Registry registry;
    registry.OpenOrCreate(kSettingsKey)->WriteString("Dati", (dir / "Ricordex.psc").wstring());
    win::Win32ArchiveFiles files;
    testing::FakeClock clock;
    clock.now = EncodeDateTime({2026, 3, 1, 8, 0, 0, 0});
    testing::FakeQuestions questions;
    Services services{registry, files, clock, questions, L"C:\\Ricordex\\"};
    ProgramState state;
    TFMain form(state, services);
    FillTheYear(state.list);
    form.ListView1().Refresh();
    ::ShowWindow(form.Handle(), SW_SHOW);
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, ::GetCurrentThreadId());

    // The first minute (or the first third of a short run) warms up: Wine
    // keeps resources of the first message boxes and paints for later ones.
    const ULONGLONG started = ::GetTickCount64();
    int warmUpTicks = 0;
    Use afterWarmUp{};
    for (int tick = 1; tick <= ticks; ++tick) {
        clock.now += 10.0 / 86'400;  // ten seconds
        form.Timer1Timer();
        ::UpdateWindow(form.ListView1().Handle());
        win::PumpMessages();
        if (warmUpTicks == 0 && (tick >= ticks / 3 || ::GetTickCount64() - started >= 60'000)) {
            warmUpTicks = tick;
            afterWarmUp = MeasureSettled();
        } else if (ticks >= 10'000 && tick % (ticks / 10) == 0) {
            const Use now = MeasureSettled();
            std::printf("soak: tick %d, %llu s: private memory %zu KiB, live USER handles %zu, live GDI handles %zu\n",
                        tick, (::GetTickCount64() - started) / 1000, now.privateBytes / 1024,
                        static_cast<std::size_t>(now.liveUser), static_cast<std::size_t>(now.liveGdi));
            std::fflush(stdout);
        }
    }
    const Use end = MeasureSettled();
    ::UnhookWindowsHookEx(hook);
    std::printf("soak: %d ticks over 10,000 events in %llu s; after %d ticks / at the end: private memory %zu / %zu KiB, "
                "live USER handles %zu / %zu, live GDI handles %zu / %zu; %s\n",
                ticks, (::GetTickCount64() - started) / 1000, warmUpTicks, afterWarmUp.privateBytes / 1024,
                end.privateBytes / 1024, static_cast<std::size_t>(afterWarmUp.liveUser),
                static_cast<std::size_t>(end.liveUser), static_cast<std::size_t>(afterWarmUp.liveGdi),
                static_cast<std::size_t>(end.liveGdi), state.aggiornatoDaTimer ? "alerts were given" : "no alert was given");
    EXPECT_TRUE(state.aggiornatoDaTimer);
    EXPECT_LE(end.privateBytes, afterWarmUp.privateBytes + 2 * 1024 * 1024);
    EXPECT_LE(end.liveUser, afterWarmUp.liveUser + 16);
    EXPECT_LE(end.liveGdi, afterWarmUp.liveGdi + 16);
    ::ShowWindow(form.Handle(), SW_HIDE);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

}  // namespace
}  // namespace ricordex::ui
