#include <gtest/gtest.h>

#include <optional>

#include "support/archive_bytes.h"
#include "support/temp_dir.h"
#include "win/recovery_folder.h"

namespace ricordex::win {
namespace {

// Two programs of one user running at once (two sessions) keep their
// changes apart; the file of one that ended is taken again by the next,
// the one a crash left changes in first.
TEST(RecoveryClaims, EachRunningProgramHasItsOwnFileAndAnEndedOnesIsTakenAgain) {
    const ricordex::testing::TempDir dir;
    std::optional<RecoveryClaim> first = ClaimRecoveryFile(dir.path());
    EXPECT_EQ(first->file, dir.path() / L"Ricordex-recupero.psc");
    std::optional<RecoveryClaim> second = ClaimRecoveryFile(dir.path());
    EXPECT_EQ(second->file, dir.path() / L"Ricordex-recupero-2.psc");
    first.reset();  // that program ends, a crash as well
    EXPECT_EQ(ClaimRecoveryFile(dir.path()).file, dir.path() / L"Ricordex-recupero.psc");
    ricordex::testing::WriteBytes(second->file, "changes");
    second.reset();  // crashed with changes
    EXPECT_EQ(ClaimRecoveryFile(dir.path()).file, dir.path() / L"Ricordex-recupero-2.psc");
}

}  // namespace
}  // namespace ricordex::win
