// A due event as the user meets it: the sound, the message, the stamp, and
// the save at close without a question. An unreadable row before it is
// reported once and does not silence it.

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "e2e/due_event.h"
#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "support/archive_bytes.h"
#include "win/system.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using namespace ricordex::testing;

class ProgramAlert : public FreshProgram {};

TEST_F(ProgramAlert, ADueRowIsAlertedStampedAndSavedWithoutAQuestion) {
    const FormatSettings settings = ProgramFormatSettings();
    const int year = DecodeDateTime(win::SystemClock().Now()).year;
    const DueEvent due = EventDueWithinTheHour("B dovuto");
    // A date that does not exist in any year.
    const std::string impossible = "30/02";
    WriteBytes(archive_,
               Record({"A impossibile", "1 giorno prima", impossible, "10.00", "Ogni ora", "Annuale",
                       std::string(kInitialStamp)}) +
                   due.record);

    ProgramRun run(dir_.path());
    HWND alert = run.WaitForMessageBox(L"Avviso Scadenza", 10s);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(alert), due.alert);
    HWND report = run.WaitForMessageBox(L"Ricordex", 5s);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(report),
              L"A impossibile: '30/02 10.00' is not a valid date and time.");
    // The two boxes nest, in either order: the inner one goes first.
    ProgramRun::Press(alert, IDOK);
    ASSERT_TRUE(ProgramRun::Press(report, IDOK));
    ASSERT_TRUE(ProgramRun::Press(alert, IDOK));

    // The next ticks neither alert the row again in this run nor repeat the report.
    EXPECT_EQ(run.WaitForMessageBox(L"Ricordex", 12s), nullptr);
    EXPECT_EQ(run.WaitForMessageBox(L"Avviso Scadenza", 0ms), nullptr);

    ASSERT_TRUE(run.CloseAndWait(10s));  // no question: only the scheduler changed the list
    const std::string saved = ReadBytes(archive_);
    ASSERT_EQ(saved.size(), 2 * 164u);
    const std::string stamp = saved.substr(164 + 148, static_cast<unsigned char>(saved[164 + 147]));
    EXPECT_NE(stamp, std::string(kInitialStamp));
    EXPECT_TRUE(TryStrToDateTime(stamp, settings, year)) << stamp;
    EXPECT_EQ(saved.substr(148, 16), std::string(kInitialStamp));  // the unreadable row is untouched
}

}  // namespace
}  // namespace ricordex::e2e
