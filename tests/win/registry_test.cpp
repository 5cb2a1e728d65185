#include "win/registry.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "support/error_text.h"
#include "win/unique_handle.h"

namespace ricordex::win {
namespace {

const std::wstring kKey = L"SOFTWARE\\RicordexTest";

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str()); }

    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        UniqueKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    Win32Registry registry_;
};

TEST_F(Win32RegistryTest, StringsAreWrittenWithTheirTerminatingZeroAndReadBack) {
    registry_.OpenOrCreate(kKey)->WriteString("Dati", L"C:\\x\\Ricordex.psc");
    registry_.OpenOrCreate(kKey)->WriteInteger("Avvio", 3);
    DWORD type = 0, size = 0;
    UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(::RegQueryValueExW(key.get(), L"Dati", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (17 + 1) * sizeof(wchar_t));  // 17 characters and the zero
    ASSERT_EQ(::RegQueryValueExW(key.get(), L"Avvio", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    auto reopened = registry_.OpenOrCreate(kKey);
    EXPECT_EQ(reopened->ReadString("Dati"), L"C:\\x\\Ricordex.psc");
    EXPECT_EQ(reopened->ReadInteger("Avvio"), 3u);
    EXPECT_FALSE(reopened->ValueExists("Suono"));
    reopened->DeleteValue("Avvio");
    EXPECT_FALSE(reopened->ValueExists("Avvio"));
}

TEST_F(Win32RegistryTest, ValuesOfTheWrongTypeAreRefusedByName) {
    const wchar_t text[] = L"3";
    const DWORD number = 259;
    const wchar_t expandable[] = L"%TEMP%\\a.wav";
    SetRaw(L"Avvio", REG_SZ, text, sizeof(text));
    SetRaw(L"Dati", REG_DWORD, &number, sizeof(number));
    SetRaw(L"Suono", REG_EXPAND_SZ, expandable, sizeof(expandable));
    SetRaw(L"Binario", REG_BINARY, &number, sizeof(number));
    auto key = registry_.OpenOrCreate(kKey);
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { key->ReadInteger("Avvio"); }), "Invalid data type for 'Avvio'");
    EXPECT_THROW(key->ReadString("Dati"), RegistryError);
    EXPECT_THROW(key->ReadInteger("Binario"), RegistryError);
    EXPECT_EQ(key->ReadString("Suono"), L"%TEMP%\\a.wav");  // not expanded
    EXPECT_EQ(key->ReadBinary("Binario"), (std::vector<std::uint8_t>{3, 1, 0, 0}));
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { key->ReadBinary("Dati"); }), "Invalid data type for 'Dati'");
    SetRaw(L"Vuoto", REG_BINARY, nullptr, 0);
    EXPECT_TRUE(key->ReadBinary("Vuoto").empty());
}

TEST_F(Win32RegistryTest, AMissingKeyOpenedWithoutCreatingRefusesWrites) {
    auto key = registry_.OpenExisting(kKey + L"\\Missing");
    EXPECT_FALSE(key->ValueExists("Ricordex"));
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { key->WriteString("Ricordex", L"x"); }),
              "Failed to set data for 'Ricordex'");
}

}  // namespace
}  // namespace ricordex::win
