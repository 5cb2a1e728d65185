#include "app/settings.h"

#include <gtest/gtest.h>

#include "support/error_text.h"
#include "support/fakes.h"

namespace ricordex {
namespace {

using testing::Binary;
using testing::ExpandString;
using testing::FakeRegistry;

const std::wstring kFolder = L"C:\\Programmi\\Ricordex\\";

Settings Read(FakeRegistry& registry) {
    Settings s;
    LeggiDaRegistro(registry, kFolder, s);
    return s;
}

TEST(Settings, MissingValuesTakeTheirDefaultsAndNothingIsWritten) {
    FakeRegistry registry;
    const Settings s = Read(registry);
    EXPECT_EQ(s.suono, L"C:\\Programmi\\Ricordex\\Suoni\\1.wav");
    EXPECT_EQ(s.dati, L"C:\\Programmi\\Ricordex\\Ricordex.psc");
    EXPECT_EQ(s.avvio, 3);
    EXPECT_TRUE(registry.keys[kSettingsKey].empty());
}

TEST(Settings, StoredValuesAreUsedUnchangedAndAvvioKeepsItsLowByte) {
    FakeRegistry registry;
    auto& key = registry.keys[kSettingsKey];
    key["Suono"] = ExpandString{L"%WINDIR%\\ding.wav"};
    key["Dati"] = std::wstring();
    key["Avvio"] = std::uint32_t{259};
    Settings s = Read(registry);
    EXPECT_EQ(s.suono, L"%WINDIR%\\ding.wav");  // not expanded
    EXPECT_EQ(s.dati, L"");                      // empty stays empty
    EXPECT_EQ(s.avvio, 3);
    key["Avvio"] = std::uint32_t{256};
    EXPECT_EQ(Read(registry).avvio, 0);
    key.erase("Avvio");
    EXPECT_EQ(Read(registry).avvio, 3);
}

TEST(Settings, AValueOfTheWrongTypeIsReportedAfterTheOthersAreRead) {
    FakeRegistry registry;
    auto& key = registry.keys[kSettingsKey];
    key["Suono"] = std::uint32_t{1};
    key["Dati"] = std::wstring(L"D:\\dati\\Ricordex.psc");
    key["Avvio"] = std::wstring(L"3");
    Settings s;
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { LeggiDaRegistro(registry, kFolder, s); }),
              "Invalid data type for 'Suono'");
    EXPECT_EQ(s.suono, L"C:\\Programmi\\Ricordex\\Suoni\\1.wav");
    EXPECT_EQ(s.dati, L"D:\\dati\\Ricordex.psc");
    EXPECT_EQ(s.avvio, 3);
    key["Suono"] = Binary{};
    key["Avvio"] = Binary{};
    EXPECT_THROW(Read(registry), RegistryError);
}

TEST(Settings, WritingStoresTwoStringsAndAnInteger) {
    FakeRegistry registry;
    SalvaSuRegistro(registry, {L"s.wav", L"d.psc", 2});
    auto& key = registry.keys[kSettingsKey];
    EXPECT_EQ(std::get<std::wstring>(key["Suono"]), L"s.wav");
    EXPECT_EQ(std::get<std::wstring>(key["Dati"]), L"d.psc");
    EXPECT_EQ(std::get<std::uint32_t>(key["Avvio"]), 2u);
}

TEST(Settings, AKeyThatCannotBeOpenedReadsAsDefaultsAndFailsOnTheFirstWrite) {
    FakeRegistry registry;
    registry.openFails = true;
    EXPECT_EQ(Read(registry).avvio, 3);
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { SalvaSuRegistro(registry, DefaultSettings(kFolder)); }),
              "Failed to set data for 'Suono'");
}

TEST(Settings, TheMomentExaminedReadsBackAndBadValuesLoseNothing) {
    FakeRegistry registry;
    EXPECT_EQ(ReadExaminedUpTo(registry), std::nullopt) << "the very first run";
    const DateTime moment = EncodeDateTime({2026, 12, 7, 9, 41, 30, 0});
    WriteExaminedUpTo(registry, moment);
    EXPECT_EQ(std::get<std::wstring>(registry.keys[kSettingsKey]["UltimoControllo"]), L"07/12/2026 09.41.30");
    EXPECT_EQ(ReadExaminedUpTo(registry), moment);
    // A text that is no moment, or one without its year, is as none.
    for (const wchar_t* text : {L"", L"ieri", L"07/12 09.41", L"31/02/2026 10.00"}) {
        registry.keys[kSettingsKey]["UltimoControllo"] = std::wstring(text);
        EXPECT_EQ(ReadExaminedUpTo(registry), std::nullopt) << text;
    }
    registry.keys[kSettingsKey]["UltimoControllo"] = std::uint32_t{7};
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { ReadExaminedUpTo(registry); }),
              "Invalid data type for 'UltimoControllo'");
}

TEST(Settings, TheAlertsPutOffAreKeptAsPlainText) {
    testing::FakeRegistry registry;
    EXPECT_EQ(ReadPostponedAlerts(registry), "");
    WritePostponedAlerts(registry, "2026-12-07 10:52:00\tBollo%20auto%00\n");
    EXPECT_EQ(ReadPostponedAlerts(registry), "2026-12-07 10:52:00\tBollo%20auto%00\n");
    registry.keys[kSettingsKey]["Posticipati"] = std::uint32_t{7};
    EXPECT_EQ(testing::ErrorText<RegistryError>([&] { ReadPostponedAlerts(registry); }),
              "Invalid data type for 'Posticipati'");
}

TEST(Settings, TheShowFlagIsComparedAsAWholeValue) {
    const bool show[] = {false, false, true, true, false, false, false, false};
    for (std::uint8_t v = 0; v < 8; ++v) {
        EXPECT_EQ(ShowMainWindowAtStart(v), show[v]) << int(v);
    }
}

}  // namespace
}  // namespace ricordex
