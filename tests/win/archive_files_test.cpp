#include "win/archive_files.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "core/archive.h"
#include "core/archive_lock.h"
#include "core/errors.h"
#include "support/archive_bytes.h"
#include "support/error_text.h"
#include "support/temp_dir.h"
#include "win/system.h"
#include "win/text.h"
#include "win/unique_handle.h"

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
    LoadOrCreateArchive(list, files_, path_);
    EXPECT_TRUE(files_.Exists(path_));
    EXPECT_EQ(ReadBytes(path_), "");
    WriteBytes(path_, BolloAuto() + "tail");
    LoadOrCreateArchive(list, files_, path_);
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

    // A merged conflicted copy is renamed aside the same way: never over a file.
    const std::filesystem::path conflicted = dir_ / "Ricordex (1).psc";
    WriteBytes(conflicted, "copia");
    std::filesystem::create_directory(dir_ / "Ricordex (cartella).psc");
    EXPECT_EQ(files_.FilesBeside(path_).size(), 3u) << "files only";
    EXPECT_THROW(files_.RenameToNew(conflicted, copy), InOutError);
    files_.RenameToNew(conflicted, dir_ / "Ricordex (1).psc.merged");
    EXPECT_EQ(ReadBytes(dir_ / "Ricordex (1).psc.merged"), "copia");
    EXPECT_FALSE(std::filesystem::exists(conflicted));
}

TEST_F(Win32Files, AReadOnlyArchiveLoadsAndIsKeptWholeAtSave) {
    WriteBytes(path_, BolloAuto());
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EventList list;
    LoadOrCreateArchive(list, files_, path_);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_TRUE(files_.IsReadOnly(path_));
    list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    EXPECT_THROW(ScriviRecord(list, files_, path_), ReadOnlyFileError);
    EXPECT_EQ(ReadBytes(path_), BolloAuto());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(files_.IsReadOnly(path_));
}

// The security descriptor as text, owner and access list; empty when the
// file system keeps none.
std::wstring SecurityOf(const std::filesystem::path& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"";
    }
    LPWSTR text = nullptr;
    std::wstring result;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                                &text, nullptr)) {
        result = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return result;
}

TEST_F(Win32Files, ASaveKeepsTheArchivesAttributesAndPermissions) {
    WriteBytes(path_, BolloAuto());
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Full control for the owner, reading only for everyone else.
    PSECURITY_DESCRIPTOR wanted = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)(A;;FR;;;WD)",
                                                                       SDDL_REVISION_1, &wanted, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    ::GetSecurityDescriptorDacl(wanted, &present, &acl, &defaulted);
    const bool aclStored = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path_.c_str()), SE_FILE_OBJECT,
                                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                                   nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    ::LocalFree(wanted);
    const std::wstring before = SecurityOf(path_);

    EventList list;
    LoadOrCreateArchive(list, files_, path_);
    list.AggiungiRiga({"altro", "", "", "", "", "", ""}, 0);
    ScriviRecord(list, files_, path_);

    EXPECT_EQ(ReadBytes(path_).size(), 2 * 164u);
    EXPECT_EQ(::GetFileAttributesW(path_.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Compared only where the file system kept the list that was set (Wine
    // reports a default one whatever was asked).
    if (aclStored && before.find(L"(A;;FR;;;WD)") != std::wstring::npos) {
        EXPECT_EQ(SecurityOf(path_), before);
    }
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An archive that is a symbolic link to "elsewhere.psc" beside it: made by the
// system when it can, else the one the test run prepared; empty when neither.
std::filesystem::path LinkedArchive(const std::filesystem::path& folder) {
    const std::filesystem::path link = folder / "Ricordex.psc";
    if (::CreateSymbolicLinkW(link.c_str(), L"elsewhere.psc", 0) &&
        ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return link;
    }
    const wchar_t* prepared = _wgetenv(L"RICORDEX_LINKED_ARCHIVE");
    return prepared != nullptr ? std::filesystem::path(prepared) : std::filesystem::path();
}

TEST_F(Win32Files, ASaveThroughALinkWritesTheLinkedFileAndKeepsTheLink) {
    WriteBytes(dir_ / "elsewhere.psc", "");
    const std::filesystem::path link = LinkedArchive(dir_.path());
    if (link.empty()) GTEST_SKIP() << "no symbolic link to try";
    const std::filesystem::path linked = link.parent_path() / "elsewhere.psc";
    WriteBytes(linked, BolloAuto());

    EventList list;
    LoadOrCreateArchive(list, files_, link);
    list.AggiungiRiga({"altro", "", "", "", "", "", ""}, 0);
    ScriviRecord(list, files_, link);

    EXPECT_EQ(ReadBytes(linked).size(), 2 * 164u);
    EXPECT_FALSE(std::filesystem::exists(link.parent_path() / "Ricordex.psc.new"));
    // Still a link: what the linked file holds is what the archive holds.
    WriteBytes(linked, "scritto altrove");
    EXPECT_EQ(ReadBytes(link), "scritto altrove");
}

TEST_F(Win32Files, AReplaceRefusedLeavesTheArchiveByteForByteAndNoNewFile) {
    WriteBytes(path_, BolloAuto());
    EventList list;
    LoadOrCreateArchive(list, files_, path_);
    list.AggiungiRiga({"altro", "", "", "", "", "", ""}, 0);
    {
        // Another program holds the archive open and lets nobody replace it.
        const UniqueFile held(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_THROW(ScriviRecord(list, files_, path_), InOutError);
    }
    EXPECT_EQ(ReadBytes(path_), BolloAuto());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.new"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.old"));
    ScriviRecord(list, files_, path_);  // and the next save goes through
    EXPECT_EQ(ReadBytes(path_).size(), 2 * 164u);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Ricordex.psc.old"));
}

TEST_F(Win32Files, OneProgramAtATimeHoldsTheLockAndALeftLockIsTakenOver) {
    const std::filesystem::path lockFile = dir_ / "Ricordex.psc.lock";
    WriteBytes(lockFile, "");  // left by a program that ended where deleting failed
    {
        const std::unique_ptr<ArchiveLock> first = files_.Lock(path_);
        ASSERT_NE(first, nullptr);
        // The wait is told: the user knows the save was not simply refused.
        const std::string text = testing::ErrorText<InOutError>([&] { files_.Lock(path_); });
        EXPECT_NE(text.find("da pi\xF9 di 5 secondi"), std::string::npos) << text;
        EXPECT_NE(text.find("Ricordex.psc.lock"), std::string::npos) << text;
        // Who holds it, read from the lock file.
        EXPECT_NE(text.find("Ricordex su \"" + WideToCp1252(ComputerName()) + "\" (processo " +
                            std::to_string(::GetCurrentProcessId()) + ") sta salvando l'archivio dal "),
                  std::string::npos)
            << text;
    }
    EXPECT_FALSE(std::filesystem::exists(lockFile)) << "gone with its holder";
    EXPECT_NE(files_.Lock(path_), nullptr);
}

// The clock set back after the program started, by more than it has run:
// its own lock, read back by another of its threads (a look at the archive
// during its own save), names a moment before the program started, as the
// lock of an earlier process given the same id would. It is still its own,
// never taken over: two saves of one program at once.
TEST_F(Win32Files, ItsOwnLockIsNotTakenOverAfterTheClockWasSetBack) {
    files_.SetClockBack(2 * 24 * 60 * 60);
    const std::unique_ptr<ArchiveLock> first = files_.Lock(path_);
    ASSERT_NE(first, nullptr);
    const std::string text = testing::ErrorText<InOutError>([&] { files_.Lock(path_); });
    EXPECT_NE(text.find("(processo " + std::to_string(::GetCurrentProcessId()) + ") sta salvando"), std::string::npos)
        << text;
}

// What a share's server keeps for a program that stopped: the lock file,
// held open, naming its holder.
UniqueFile HoldLock(const std::filesystem::path& lock, const LockOwner& owner) {
    UniqueFile file(::CreateFileW(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = LockOwnerText(owner);
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return file;
}

TEST_F(Win32Files, ALockLeftByAProgramOfThisPcThatStoppedIsTakenOverAndSaid) {
    const std::filesystem::path lockFile = dir_ / "Ricordex.psc.lock";
    const UniqueFile left = HoldLock(lockFile, {WideToCp1252(ComputerName()), 0x7FFFFFFC, 1796821380});
    const auto first = std::chrono::steady_clock::now();
    std::unique_ptr<ArchiveLock> lock = files_.Lock(path_);
    EXPECT_LT(std::chrono::steady_clock::now() - first, std::chrono::seconds(1)) << "no use waiting for it";
    ASSERT_NE(lock, nullptr);
    EXPECT_NE(lock->takenOver.find("\"" + PathText(lockFile) + "\", tenuto da Ricordex su \""), std::string::npos)
        << lock->takenOver;
    EXPECT_NE(lock->takenOver.find("(processo 2147483644, non pi\xF9 in esecuzione) dal "), std::string::npos)
        << lock->takenOver;
    // The programs that take it over save one at a time all the same.
    EXPECT_TRUE(std::filesystem::exists(dir_ / "Ricordex.psc.lock-2147483644-1796821380"));
    lock.reset();
    // Known for the rest of the run: the next save neither waits nor tells.
    const auto before = std::chrono::steady_clock::now();
    const std::unique_ptr<ArchiveLock> again = files_.Lock(path_);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->takenOver, "");
}

// The lock left behind let go while another program saves under the lock
// that followed it: the next save waits for that one.
TEST_F(Win32Files, ASaveUnderTheLockThatFollowsOneLeftBehindEndsFirst) {
    const std::filesystem::path successor = dir_ / "Ricordex.psc.lock-12-1796821380";
    UniqueFile saving = HoldLock(successor, {"ALTRO-PC", 12, 1796821380});
    std::thread ends([&saving] {
        ::Sleep(600);
        saving.reset();
    });
    const auto before = std::chrono::steady_clock::now();
    const std::unique_ptr<ArchiveLock> lock = files_.Lock(path_);
    const auto waited = std::chrono::steady_clock::now() - before;
    ends.join();
    EXPECT_NE(lock, nullptr);
    EXPECT_GE(waited, std::chrono::milliseconds(400));
    EXPECT_LT(waited, std::chrono::seconds(4));
}

TEST_F(Win32Files, SystemErrorsBecomeTheRuntimesTexts) {
    EventList list;
    const std::string error = testing::ErrorText<InOutError>([&] {
        LoadOrCreateArchive(list, files_, dir_ / "missing" / "Ricordex.psc");
    });
    EXPECT_EQ(error, "Invalid filename");
    EXPECT_EQ(InOutError(InOutCodeFromSystemError(ERROR_HANDLE_DISK_FULL)).what(), std::string("Disk full"));
    EXPECT_EQ(InOutError(InOutCodeFromSystemError(ERROR_SHARING_VIOLATION)).what(), std::string("I/O error 32"));
    EXPECT_THROW(files_.OpenExisting(dir_ / "none.psc"), InOutError);
}

}  // namespace
}  // namespace ricordex::win
