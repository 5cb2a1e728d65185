#include "core/archive_lock.h"

#include <gtest/gtest.h>

namespace ricordex {
namespace {

TEST(ArchiveLockOwner, ReadBackAsWrittenAndNothingFromAnyOtherText) {
    const LockOwner owner{"Portatile di Anna", 4242, 1796821380};
    EXPECT_EQ(ParseLockOwner(LockOwnerText(owner)), owner);
    // An older version's lock file is empty; a damaged one says nothing.
    for (const char* text : {"", "Ricordex ", "Ricordex 12", "Ricordex x 5 PC", "Ricordex 12 5", "altro 1 2 PC"}) {
        EXPECT_EQ(ParseLockOwner(text), std::nullopt) << text;
    }
}

TEST(ArchiveLockOwner, LeftBehindByADeadProgramHereOrByAnotherPcLongerThanASave) {
    const std::int64_t now = 1796821380;
    const LockOwner here{"UFFICIO", 10, now - 5};
    EXPECT_FALSE(LockLeftBehind(here, "ufficio", true, now));
    EXPECT_TRUE(LockLeftBehind(here, "Ufficio", false, now)) << "its program no longer runs";
    const LockOwner other{"CASA", 10, now - kLockLeftAfterSeconds};
    EXPECT_FALSE(LockLeftBehind(other, "UFFICIO", false, now)) << "a save on a slow share";
    EXPECT_TRUE(LockLeftBehind(other, "UFFICIO", false, now + 1));
    // A PC whose name cannot be told judges every lock as another PC's.
    EXPECT_FALSE(LockLeftBehind(here, "", false, now));
}

}  // namespace
}  // namespace ricordex
