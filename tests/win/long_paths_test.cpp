#include "win/long_paths.h"

#include <shlobj.h>
#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace ricordex::win {
namespace {

// A folder `levels` folders of 95 letters below `base`.
std::wstring MakeFolder(const std::filesystem::path& base, int levels) {
    std::wstring folder = base.wstring();
    for (int level = 0; level < levels; ++level) {
        folder += L"\\" + std::wstring(95, static_cast<wchar_t>(L'a' + level));
        std::filesystem::create_directory(folder);
    }
    return folder;
}

// The path the folder browser's answer names, from the shell's item.
std::wstring PathThroughTheShell(const std::wstring& folder) {
    PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(folder.c_str());
    if (item == nullptr) return L"(no item)";
    std::wstring path = PathOfItem(item);
    ::ILFree(item);
    return path;
}

TEST(LongPaths, TheFolderBrowsersAnswerIsTheFolderItNames) {
    const ricordex::testing::TempDir dir;
    const std::wstring folder = MakeFolder(dir.path(), 1);
    EXPECT_EQ(PathThroughTheShell(folder), folder);

    // A shell item that is no folder on a disk has no path.
    PIDLIST_ABSOLUTE controlPanel = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &controlPanel), S_OK);
    EXPECT_EQ(PathOfItem(controlPanel), L"");
    ::ILFree(controlPanel);
}

TEST(LongPaths, TheFolderBrowsersAnswerKeepsAPathLongerThanMaxPath) {
    const ricordex::testing::TempDir dir;
    const std::wstring folder = MakeFolder(dir.path(), 6);
    ASSERT_GT(folder.size(), 2u * MAX_PATH);
    PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(folder.c_str());
    if (item == nullptr) GTEST_SKIP() << "this shell makes no item of a path longer than MAX_PATH";
    EXPECT_EQ(PathOfItem(item), folder);
    ::ILFree(item);
}

}  // namespace
}  // namespace ricordex::win
