// An archive full of rows whose dates cannot be read: the user is told, in
// one box at a time, and the program runs on with every event kept.

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "support/archive_bytes.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

class ProgramReports : public FreshProgram {};

TEST_F(ProgramReports, ManyUnreadableRowsNeverOpenTwoBoxesAndLoseNothing) {
    std::string archive;
    for (int i = 0; i < 1500; ++i) {
        archive += Record({"Riga " + std::to_string(i), "1 giorno prima", "31/02", "10.00", "Ogni ora", "Annuale",
                           "01/01/1900 00.01"});
    }
    WriteBytes(archive_, archive);

    ProgramRun run(dir_.path());
    int most = 0, boxes = 0;
    std::wstring first;
    // The first paint and two ticks.
    const auto end = std::chrono::steady_clock::now() + 13s;
    while (std::chrono::steady_clock::now() < end && run.Running()) {
        most = std::max(most, run.CountMessageBoxes(L"Ricordex"));
        if (HWND box = run.WaitForMessageBox(L"Ricordex", 0ms)) {
            if (first.empty()) first = ProgramRun::MessageBoxText(box);
            ::Sleep(300);  // the user reads it, while ticks and paints go on
            most = std::max(most, run.CountMessageBoxes(L"Ricordex"));
            if (ProgramRun::Press(box, IDOK)) ++boxes;
        }
        ::Sleep(50);
    }
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(most, 1);
    EXPECT_GE(boxes, 1);
    EXPECT_LE(boxes, 3) << "the rows found together come in one box";
    // Each report names the event it was read from.
    EXPECT_TRUE(first.starts_with(L"Riga ")) << first;
    EXPECT_NE(first.find(L": '31/02 10.00' is not a valid date and time.\n\nAltre "), std::wstring::npos) << first;
    ASSERT_TRUE(run.CloseAndWait(10s));
    EXPECT_EQ(ReadBytes(archive_), archive);
}

}  // namespace
}  // namespace ricordex::e2e
