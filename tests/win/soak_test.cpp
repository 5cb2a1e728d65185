// Soak: the main window with 10,000 events through many scheduler ticks and
// list repaints, driven faster than real time by a fake clock, with every
// alert answered at once. Handles and private memory must not grow after the
// first stretch. RICORDEX_SOAK_TICKS sets the number of ticks (1,000 by
// default, about half a minute under Wine; the full run is 100,000).

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/main_form.h"
#include "win/application.h"
#include "win/archive_files.h"
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
    std::uintptr_t nextUserSlot, nextGdiSlot;
};

Use Measure() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    HMENU menu = ::CreatePopupMenu();
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    // Wine leaves PrivateUsage at 0; the page-file share is its private memory.
    const Use use{memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage, reinterpret_cast<std::uintptr_t>(menu) & 0xFFFF,
                  reinterpret_cast<std::uintptr_t>(brush) & 0xFFFF};
    ::DestroyMenu(menu);
    ::DeleteObject(brush);
    return use;
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) ::DispatchMessageW(&message);
    }
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
        Pump();
        ::Sleep(5);
    }
    Pump();
    return Measure();
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
    // 10,000 events through the year; a few every day fall due as the clock runs.
    for (int i = 0; i < 10'000; ++i) {
        char description[32], date[8];
        std::snprintf(description, sizeof description, "Evento %05d", i);
        std::snprintf(date, sizeof date, "%02d/%02d", 1 + i % 28, 1 + (i / 28) % 12);
        state.list.AppendUnordered({description, i % 50 == 0 ? "1 giorno prima" : "Nessun Avviso", date, "12.00",
                                    "Ogni giorno", "Annuale", kInitialStamp},
                                   0);
    }
    state.list.SortRows();
    form.ListView1().Refresh();
    ::ShowWindow(form.Handle(), SW_SHOW);
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, ::GetCurrentThreadId());

    Use afterFirstStretch{};
    // The first third warms up: Wine keeps resources of the first message
    // boxes and paints for later ones.
    const int firstStretch = ticks / 3;
    for (int tick = 1; tick <= ticks; ++tick) {
        clock.now += 10.0 / 86'400;  // ten seconds
        form.Timer1Timer();
        ::UpdateWindow(form.ListView1().Handle());
        Pump();
        if (tick == firstStretch) afterFirstStretch = MeasureSettled();
    }
    const Use end = MeasureSettled();
    ::UnhookWindowsHookEx(hook);
    std::printf("soak: %d ticks over 10,000 events; private memory %zu KiB after %d ticks, %zu KiB at the end; "
                "next USER slot %#zx -> %#zx, next GDI slot %#zx -> %#zx; %s\n",
                ticks, afterFirstStretch.privateBytes / 1024, firstStretch, end.privateBytes / 1024,
                static_cast<std::size_t>(afterFirstStretch.nextUserSlot), static_cast<std::size_t>(end.nextUserSlot),
                static_cast<std::size_t>(afterFirstStretch.nextGdiSlot), static_cast<std::size_t>(end.nextGdiSlot),
                state.aggiornatoDaTimer ? "alerts were given" : "no alert was given");
    EXPECT_TRUE(state.aggiornatoDaTimer);
    EXPECT_LE(end.privateBytes, afterFirstStretch.privateBytes + 2 * 1024 * 1024);
    EXPECT_LE(end.nextUserSlot, afterFirstStretch.nextUserSlot + 16);
    EXPECT_LE(end.nextGdiSlot, afterFirstStretch.nextGdiSlot + 16);
    ::ShowWindow(form.Handle(), SW_HIDE);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

}  // namespace
}  // namespace ricordex::ui
