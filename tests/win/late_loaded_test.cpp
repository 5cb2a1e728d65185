#include "win/late_loaded.h"

#include <gtest/gtest.h>

#include "support/error_text.h"

namespace ricordex::win {
namespace {

// The sound library is not imported: a lookup that failed would leave every
// alert silent without a word.
TEST(LateLoaded, TheSoundFunctionIsFoundAndAnswers) {
    EXPECT_TRUE(PlaySoundNamed(nullptr, 0));  // stops any sound; needs no file
}

TEST(LateLoaded, ALibraryOrFunctionThatCannotBeFoundIsNamedEveryTimeItIsAskedFor) {
    using Function = BOOL(WINAPI*)();
    const LateFunction<Function> noLibrary(L"ricordex-nessuna.dll", "Nulla");
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(testing::ErrorText<Error>([&] { noLibrary.Get(); }),
                  "Unable to load ricordex-nessuna.dll (system error 126)");
    }
    const LateFunction<Function> noFunction(L"winmm.dll", "Nulla");
    EXPECT_THROW(noFunction.Get(), Error);
    EXPECT_NE(LateFunction<Function>(L"kernel32.dll", "GetTickCount").Get(), nullptr);
}

// A dialog that fails is no cancel: its error is told.
TEST(LateLoaded, AFileDialogThatFailsIsToldNotTakenForACancel) {
    OPENFILENAMEW wrongSize{};  // lStructSize 0
    EXPECT_EQ(testing::ErrorText<Error>([&] { ShowOpenFileDialog(wrongSize); }),
              "The file dialog failed (dialog error 1)");  // CDERR_STRUCTSIZE
}

}  // namespace
}  // namespace ricordex::win
