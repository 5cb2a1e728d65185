#include <gtest/gtest.h>

#include <optional>

#include "win/recovery_folder.h"

namespace ricordex::win {
namespace {

// Two programs of one user running at once (two sessions) keep their
// changes apart; the file of one that ended is taken again by the next.
TEST(RecoveryClaims, EachRunningProgramHasItsOwnFileAndAnEndedOnesIsTakenAgain) {
    std::optional<RecoveryClaim> first = ClaimRecoveryFile();
    ASSERT_FALSE(first->file.empty());
    EXPECT_EQ(first->file, RecoveryFile());
    const RecoveryClaim second = ClaimRecoveryFile();
    EXPECT_EQ(second.file.filename(), L"Ricordex-recupero-2.psc");
    EXPECT_EQ(second.file.parent_path(), first->file.parent_path());
    first.reset();  // that program ends, a crash as well
    const RecoveryClaim next = ClaimRecoveryFile();
    EXPECT_EQ(next.file, RecoveryFile());
}

}  // namespace
}  // namespace ricordex::win
