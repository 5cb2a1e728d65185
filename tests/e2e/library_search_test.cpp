// The program's folder may be one the user can write (a portable copy):
// libraries found there under a system library's name are never loaded,
// neither by the program nor by the system libraries it uses.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "e2e/program_in_use.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;

// What the program loads late (the controls, the visual styles, the sound,
// the file dialog) and some of what those load in turn. (Not what is loaded
// with the program, before any of its code runs: Windows takes the system
// libraries' own imports from the system folder, where Wine looks beside
// the program for some, version.dll among them.)
constexpr const wchar_t* kPlanted[] = {L"comctl32.dll", L"uxtheme.dll", L"winmm.dll",  L"comdlg32.dll",
                                       L"msacm32.dll",  L"dwmapi.dll",  L"propsys.dll", L"oleacc.dll"};

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return Lower(folder) + L"\\";
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetWindowsDirectoryW(folder, MAX_PATH);
    return Lower(folder) + L"\\";
}

// Built beside this test.
std::filesystem::path PlantedLibrary() {
    wchar_t test[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, test, MAX_PATH);
    return std::filesystem::path(test).parent_path() / L"planted_library.dll";
}

class LibrarySearchTest : public ProgramInUse {
protected:
    void SetUp() override {
        ProgramInUse::SetUp();
        for (const wchar_t* name : kPlanted) {
            std::filesystem::copy_file(PlantedLibrary(), dir_.path() / name);
        }
    }

    // Every module but the program itself comes from the system folder or,
    // for the common controls the manifest asks for, the side-by-side store.
    void ExpectNothingLoadedFromTheProgramFolder() const {
        const std::wstring program = Lower(dir_.path().wstring()) + L"\\";
        const std::vector<std::filesystem::path> modules = run_->Modules();
        ASSERT_FALSE(modules.empty());
        for (const std::filesystem::path& module : modules) {
            const std::wstring path = Lower(module.wstring());
            if (path == program + L"ricordex.exe") continue;
            EXPECT_NE(path.rfind(program, 0), 0u) << module;
        }
    }
};

TEST_F(LibrarySearchTest, LibrariesPlantedBesideTheProgramAreNeverLoaded) {
    ProgramRun& run = Start();
    EXPECT_EQ(Lower(run.LoadedFrom(L"comctl32.dll").parent_path().parent_path().wstring()),
              WindowsFolder() + L"winsxs");

    ClickOn(ProgramRun::Control(Main(), L"Opzioni"));
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    EXPECT_EQ(Lower(run.LoadedFrom(L"uxtheme.dll").wstring()), SystemFolder() + L"uxtheme.dll");

    ClickOn(ProgramRun::Control(Options(), L"Riproduci"));
    ASSERT_TRUE(WaitUntil([&] { return run.HasLoaded(L"winmm.dll"); }));
    EXPECT_EQ(Lower(run.LoadedFrom(L"winmm.dll").wstring()), SystemFolder() + L"winmm.dll");

    ClickOn(ProgramRun::Control(Options(), L"Seleziona File"));
    HWND picker = run.WaitForMessageBox(L"Seleziona Suono", 10s);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(Lower(run.LoadedFrom(L"comdlg32.dll").wstring()), SystemFolder() + L"comdlg32.dll");
    ExpectNothingLoadedFromTheProgramFolder();
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker); }));

    EXPECT_TRUE(run.Running());
    ASSERT_TRUE(run.CloseAndWait(10s));
}

}  // namespace
}  // namespace ricordex::e2e
