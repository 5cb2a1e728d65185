#include "core/conflicted_copies.h"

#include <gtest/gtest.h>

namespace ricordex {
namespace {

// What sync services leave is merged in; what the user or the program made
// beside the archive is left alone: merging a user's old copy would bring
// back the events deleted since.
TEST(ConflictedCopies, OnlySyncServicesCopiesAreTakenNeverTheUsersOrTheProgramsOwn) {
    const std::filesystem::path archive = "Z:/Dati/Ricordex.psc";
    for (const char* copy : {"Ricordex (conflicted copy 2026-12-01).psc", "Ricordex (Anna's Conflicted Copy).PSC",
                             "Ricordex (copia in conflitto di Anna 2026-12-01).psc",
                             "Ricordex.sync-conflict-20261201-101500-ABCDEFG.psc", "Ricordex (1).psc",
                             "RICORDEX (12).psc"}) {
        EXPECT_TRUE(IsConflictedCopy(archive, archive.parent_path() / copy)) << copy;
    }
    for (const char* other : {"Ricordex.psc", "ricordex.PSC", "Ricordex - Copia.psc", "Ricordex - Copy.psc",
                              "Ricordex 2025.psc", "Ricordex ().psc", "Ricordex (1a).psc", "Ricordex.psc.bak",
                              "Ricordex.psc.20261207-094130.bak", "Ricordex.psc.lock", "Ricordex (1).psc.merged",
                              "Altro (conflicted copy).psc", "Ricordex (conflicted copy).txt"}) {
        EXPECT_FALSE(IsConflictedCopy(archive, archive.parent_path() / other)) << other;
    }
    // An archive without an extension has no copies: every file named after it would match.
    EXPECT_FALSE(IsConflictedCopy("Z:/Dati/Ricordex", "Z:/Dati/Ricordex (conflicted copy)"));
}

// OneDrive keeps the losing version as "<name>-<computer name>.<ext>". This
// PC's own name in any case is taken, and a name as Windows gives a new PC;
// a word, a year or a name the user chose is not, in capitals or not.
TEST(ConflictedCopies, AComputerNameAfterAHyphenIsASyncClientsCopy) {
    const std::filesystem::path archive = "Z:/Dati/Ricordex.psc";
    const struct {
        const wchar_t* name;
        bool taken;
    } names[] = {
        {L"Ricordex-DESKTOP-4F2K9QJ.psc", true},
        {L"Ricordex-LAPTOP-7Q2M1ABC.PSC", true},
        {L"Ricordex-WIN-A1B2C3D4E5F.psc", true},
        {L"Ricordex-DESKTOP-4F2K9QJX.psc", false},  // 16 characters
        {L"Ricordex-DESKTOP-.psc", false},
        {L"Ricordex-DESKTOP-4f2k9qj.psc", false},
        {L"Ricordex-BACKUP.psc", false},
        {L"Ricordex-OLD.psc", false},
        {L"Ricordex-PC1.psc", false},  // another PC's own name: its program takes it
        {L"Ricordex-backup.psc", false},
        {L"Ricordex-Copia.psc", false},
        {L"Ricordex-2025.psc", false},
        {L"Ricordex-2025-12-01.psc", false},
        {L"Ricordex-.psc", false},
        {L"Ricordex-DESKTOP-4F2K9QJ.psc.merged", false},
        {L"Ricordex-DESKTOP-4F2K9QJ.txt", false},
        {L"Altro-DESKTOP-4F2K9QJ.psc", false},
        {L"Ricordex-ufficio.psc", true},  // this PC's own name, as it is set
        {L"Ricordex-UFFICIO.psc", true},
        {L"Ricordex-UFFICIO2.psc", false},
    };
    for (const auto& [name, taken] : names) {
        EXPECT_EQ(IsConflictedCopy(archive, archive.parent_path() / name, L"UFFICIO"), taken)
            << std::filesystem::path(name).string();
    }
    EXPECT_FALSE(IsConflictedCopy(archive, "Z:/Dati/Ricordex-ufficio.psc")) << "no name known: small letters are not one";
    // OneDrive names the copy after the whole name, not the 15 characters of the old one.
    EXPECT_TRUE(IsConflictedCopy(archive, "Z:/Dati/Ricordex-Portatile-di-Mario.psc", L"Portatile-di-Mario"));
    EXPECT_FALSE(IsConflictedCopy(archive, "Z:/Dati/Ricordex-Portatile-di-Mario.psc", L"PORTATILE-DI-MA"));
#ifdef _WIN32  // the native tests' C locale cannot name such a file
    EXPECT_FALSE(IsConflictedCopy(archive, L"Z:/Dati/Ricordex-DESKTOP-\u00C8PC.psc", L"UFFICIO")) << "A to Z only";
#endif
    EXPECT_EQ(ConflictedCopies(archive, {"Z:/Dati/Ricordex-PC2.psc", "Z:/Dati/Ricordex-backup.psc",
                                         "Z:/Dati/Ricordex (1).psc"}, L"PC2"),
              (std::vector<std::filesystem::path>{"Z:/Dati/Ricordex (1).psc", "Z:/Dati/Ricordex-PC2.psc"}));
}

}  // namespace
}  // namespace ricordex
