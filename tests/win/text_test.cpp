#include "win/text.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

namespace ricordex::win {
namespace {

// These tests run under several regional settings, one of them with
// another ANSI code page (1251 under Wine's Russian setting): the texts must
// not follow it.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override { RecordProperty("ansi_code_page", static_cast<int>(::GetACP())); }
};

TEST_F(TextTest, TheItalianLettersAndTheEuroAreCodePage1252WhateverTheAnsiCodePage) {
    struct Letter {
        char byte;
        wchar_t character;
    };
    const Letter letters[] = {
        {'\xE0', L'\u00E0'}, {'\xE8', L'\u00E8'}, {'\xE9', L'\u00E9'}, {'\xEC', L'\u00EC'}, {'\xF2', L'\u00F2'},
        {'\xF9', L'\u00F9'}, {'\xC0', L'\u00C0'}, {'\xC8', L'\u00C8'}, {'\xC9', L'\u00C9'}, {'\xCC', L'\u00CC'},
        {'\xD2', L'\u00D2'}, {'\xD9', L'\u00D9'}, {'\x80', L'\u20AC'}, {'\xB0', L'\u00B0'}, {'\xAB', L'\u00AB'},
        {'\xBB', L'\u00BB'}, {'\x92', L'\u2019'}, {'\x93', L'\u201C'}, {'\x94', L'\u201D'}, {'\x96', L'\u2013'},
    };
    for (const Letter& letter : letters) {
        EXPECT_EQ(Cp1252ToWide(std::string(1, letter.byte)), std::wstring(1, letter.character))
            << "byte " << static_cast<int>(static_cast<unsigned char>(letter.byte));
        EXPECT_EQ(WideToCp1252(std::wstring(1, letter.character)), std::string(1, letter.byte))
            << "character " << static_cast<int>(letter.character);
    }
    EXPECT_EQ(Cp1252ToWide("Caff\xE8 a Cant\xF9 per l'Epifania: 3 \x80"), L"Caff\u00E8 a Cant\u00F9 per l'Epifania: 3 \u20AC");
}

// The bytes code page 1252 leaves undefined are the only ones that may
// change; a buffer used again holds only the new text.
TEST_F(TextTest, EveryDefinedByteRoundTripsAndTheBufferFormIsTheSame) {
    std::string bytes;
    for (int code = 1; code < 256; ++code) {
        if (code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D) continue;
        bytes += static_cast<char>(code);
    }
    const std::wstring wide = Cp1252ToWide(bytes);
    EXPECT_EQ(wide.size(), bytes.size());
    EXPECT_EQ(WideToCp1252(wide), bytes);
    std::wstring buffer = L"un testo pi\u00F9 lungo di quello che segue";
    Cp1252ToWide("gi\xE0", buffer);
    EXPECT_EQ(buffer, L"gi\u00E0");
    Cp1252ToWide("", buffer);
    EXPECT_EQ(buffer, L"");
}

TEST_F(TextTest, ACharacterCodePage1252LacksBecomesAQuestionMarkNeverSeveralBytes) {
    const std::string text = WideToCp1252(L"\u4E00\u0416x");
    EXPECT_EQ(text, "??x");
}

}  // namespace
}  // namespace ricordex::win
