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

}  // namespace
}  // namespace ricordex
