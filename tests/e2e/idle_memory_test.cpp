// The memory of the program as it spends most of its life: started with
// Windows, idle in the notification area, with an archive of 100 events and
// none of them due. A ceiling a little above what it takes today: a start
// that keeps a buffer, a library or a thread it no longer needs fails here.
// So does one that loads, for all its idle life, what only a command needs.

#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "support/quiet_archive.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;

// About 15 % above the figure measured under Wine on the development machine
// (5,108 KiB, the same in every run; a minimal program with one window takes
// 3,900 KiB there, and each look's ended thread keeps about a megabyte).
constexpr std::size_t kIdleCeilingKiB = 5900;


class IdleMemoryTest : public FreshProgram {};

TEST_F(IdleMemoryTest, IdleInTheNotificationAreaWithAHundredEventsStaysUnderItsCeiling) {
    testing::WriteQuietArchive(archive_, 100);
    Key()->WriteString("Dati", archive_.wstring());
    SetAvvio(1);
    ProgramRun run(dir_.path());
    ASSERT_NE(run.TrayWindow(), nullptr);
    ASSERT_FALSE(::IsWindowVisible(run.MainWindow()));
    // A few ticks of its timer, each with its look at the archive.
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(run.Running());
    ASSERT_EQ(run.Window(L"#32770"), nullptr) << "no box is open: the program is idle";
    const std::size_t kib = run.PrivateBytes() / 1024;
    std::printf("private memory idle in the notification area, 100 events: %zu KiB (ceiling %zu KiB)\n", kib,
                kIdleCeilingKiB);
    std::printf("modules loaded:");
    for (const std::filesystem::path& module : run.Modules()) std::printf(" %ls", module.filename().c_str());
    std::printf("\n");
    EXPECT_GT(kib, 0u);
    EXPECT_LE(kib, kIdleCeilingKiB);
    // Nothing loaded for what only a command needs: COM, the common controls.
    EXPECT_TRUE(run.HasLoaded(L"shell32.dll")) << "the tray icon's";
    for (const wchar_t* library : {L"ole32.dll", L"comctl32.dll", L"comdlg32.dll", L"oleacc.dll"}) {
        EXPECT_FALSE(run.HasLoaded(library)) << library;
    }
    EXPECT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
