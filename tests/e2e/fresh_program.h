#pragma once
// A program started as on a machine of its own: no settings yet, and a
// folder of the test's own for the program and its archive.

#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "support/temp_dir.h"
#include "win/recovery_folder.h"
#include "win/registry.h"

namespace ricordex::e2e {

inline constexpr wchar_t kSettingsKeyPath[] = L"SOFTWARE\\Ricordex";

class FreshProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
        ForgetRecovery();
    }
    void TearDown() override {
        ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
        ForgetRecovery();
    }

    // The changes a program ended without a close left for the next start
    // (in this user's local application data): none on a machine of its own.
    void ForgetRecovery() {
        std::error_code ignored;
        for (const auto& file : std::filesystem::directory_iterator(recovery_.parent_path(), ignored)) {
            std::filesystem::remove(file.path(), ignored);
        }
    }

    void SetAvvio(DWORD value) { Key()->WriteInteger("Avvio", value); }
    std::unique_ptr<RegistryKey> Key() { return registry_.OpenOrCreate(kSettingsKeyPath); }

    ricordex::testing::TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    const std::filesystem::path recovery_ = win::RecoveryFile();
    win::Win32Registry registry_;
};

}  // namespace ricordex::e2e
