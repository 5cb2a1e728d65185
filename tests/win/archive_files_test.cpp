#include "win/archive_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/archive.h"
#include "core/errors.h"
#include "support/archive_bytes.h"
#include "support/temp_dir.h"

namespace ricordex::win {
namespace {

using ricordex::testing::BolloAuto;
using ricordex::testing::ReadBytes;
using ricordex::testing::WriteBytes;

class Win32Files : public ::testing::Test {
protected:
    ricordex::testing::TempDir dir_;
    std::filesystem::path path_ = dir_ / "Ricordex.psc";
    Win32ArchiveFiles files_;
};

TEST_F(Win32Files, LoadsCreatesAndReplacesTheArchive) {
    EventList list;
    CaricaArchivio(list, files_, path_);
    EXPECT_TRUE(files_.Exists(path_));
    EXPECT_EQ(ReadBytes(path_), "");
    WriteBytes(path_, BolloAuto() + "tail");
    CaricaArchivio(list, files_, path_);
    ASSERT_EQ(list.Count(), 1u);
    list.AggiungiRiga({"altro", "", "", "", "", "", ""}, 0);
    ScriviRecord(list, files_, path_);
    EXPECT_EQ(ReadBytes(path_).size(), 2 * 164u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
}

TEST_F(Win32Files, ACopyAsideNeverTakesTheNameOfAnotherFile) {
    WriteBytes(path_, BolloAuto());
    const std::filesystem::path copy = dir_ / "Ricordex.psc.20261207-094130.bak";
    files_.CopyToNew(path_, copy);
    EXPECT_EQ(ReadBytes(copy), BolloAuto());
    WriteBytes(path_, "");
    EXPECT_THROW(files_.CopyToNew(path_, copy), InOutError);
    EXPECT_EQ(ReadBytes(copy), BolloAuto());
}

TEST_F(Win32Files, AReadOnlyArchiveIsRefusedAtLoadAndKeptWholeAtSave) {
    WriteBytes(path_, BolloAuto());
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EventList list;
    try {
        CaricaArchivio(list, files_, path_);
        FAIL();
    } catch (const InOutError& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
    list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    EXPECT_THROW(ScriviRecord(list, files_, path_), InOutError);
    EXPECT_EQ(ReadBytes(path_), BolloAuto());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Files, SystemErrorsBecomeTheRuntimesTexts) {
    EventList list;
    try {
        CaricaArchivio(list, files_, dir_ / "missing" / "Ricordex.psc");
        FAIL();
    } catch (const InOutError& e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
    EXPECT_EQ(InOutError(InOutCodeFromSystemError(ERROR_HANDLE_DISK_FULL)).what(), std::string("Disk full"));
    EXPECT_EQ(InOutError(InOutCodeFromSystemError(ERROR_SHARING_VIOLATION)).what(), std::string("I/O error 32"));
    EXPECT_THROW(files_.OpenExisting(dir_ / "none.psc"), InOutError);
}

}  // namespace
}  // namespace ricordex::win
