// Reminders that come on time, once, and never silently, as a user meets
// them over days: an event that passed while the program was closed, one
// that passed while another alert waited for an answer, a one-off event
// alerted last year, and an answer of No that still keeps the alerts'
// stamps.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "alerts/row_status.h"
#include "core/archive.h"
#include "core/clock.h"
#include "core/std_archive_files.h"
#include "e2e/program_in_use.h"
#include "win/system.h"

namespace ricordex::e2e {
namespace {

using namespace std::chrono_literals;
using ricordex::testing::Record;
using ricordex::testing::WriteBytes;

constexpr wchar_t kMissedHeading[] = L"Queste scadenze sono passate mentre Ricordex non poteva avvisare:\n\n";

DateTime Now() { return win::SystemClock().Now(); }

std::string DateOf(DateTime t) { return FormatDateTime(kDatePattern, t, ProgramFormatSettings()); }
std::string TimeOf(DateTime t) { return FormatDateTime(kTimePattern, t, ProgramFormatSettings()); }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "Descrizione - Scadenza: dd/mm ore: hh.nn", as the alert says it.
std::wstring AlertLine(const std::string& description, DateTime event) {
    return Wide(description + " - Scadenza: " + DateOf(event) + " ore: " + TimeOf(event));
}

std::string Event(const std::string& description, const std::string& lead, DateTime event,
                  const std::string& recurrence = "Annuale", const std::string& stamp = std::string(kInitialStamp)) {
    return Record({description, lead, DateOf(event), TimeOf(event), "Ogni ora", recurrence, stamp});
}

EventList Saved(const std::filesystem::path& archive) {
    EventList rows;
    StdArchiveFiles files;
    ReloadArchive(rows, files, archive);
    return rows;
}

class Reminders : public ProgramInUse {
protected:
    void Run() { run_ = std::make_unique<ProgramRun>(dir_.path()); }
    HWND Alert(std::chrono::milliseconds timeout = 10s) { return run_->WaitForMessageBox(L"Avviso Scadenza", timeout); }
};

TEST_F(Reminders, AnEventThatPassedWhileClosedIsShownOnceAtTheNextStart) {
    const DateTime now = Now();
    const DateTime event = now - 1.0 / 24;  // an hour ago, while the program was closed
    WriteBytes(archive_, Event("Bollo auto", "1 ora prima", event) +
                             Event("Domani", "1 ora prima", now + 1) +
                             Event("Ieri l'altro", "1 ora prima", now - 2));
    Key()->WriteString("UltimoControllo",
                       Wide(FormatDateTime("dd/mm/yyyy hh.nn.ss", now - 3.0 / 24, ProgramFormatSettings())));
    Run();
    HWND box = Alert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), kMissedHeading + AlertLine("Bollo auto", event));
    ASSERT_TRUE(ProgramRun::Press(box, IDOK));
    EXPECT_EQ(Alert(12s), nullptr) << "shown once";
    ASSERT_TRUE(run_->CloseAndWait(10s));  // no question: only the alert changed the list

    const EventList saved = Saved(archive_);
    ASSERT_EQ(saved.Count(), 3u);
    EXPECT_NE(saved.At(0).Text(kUltimoAvviso), kInitialStamp) << "the stamp is written";
    EXPECT_EQ(saved.At(1).Text(kUltimoAvviso), kInitialStamp);
    const std::wstring examined = Key()->ReadString("UltimoControllo");
    const std::string text(examined.begin(), examined.end());
    ASSERT_TRUE(TryStrToDateTime(text, ProgramFormatSettings(), 1)) << text;
    EXPECT_GT(*TryStrToDateTime(text, ProgramFormatSettings(), 1), now - 1.0 / 1440) << text;

    Run();
    EXPECT_EQ(Alert(4s), nullptr) << "not again at the start after";
    ASSERT_TRUE(run_->CloseAndWait(10s));
}

TEST_F(Reminders, AOneOffEventAlertedLastYearIsNotAlertedThisYearAndIsGrey) {
    const DateTime event = Now() + 2.0 / 24;
    const CivilDateTime e = DecodeDateTime(event);
    const std::string lastYear =
        StampOf(EncodeDateTime({e.year - 1, e.month, e.month == 2 && e.day == 29 ? 28 : e.day, e.hour, e.minute, 0, 0}) - 1.0 / 24);
    WriteBytes(archive_, Event("Annuale", "1 giorno prima", event, "Annuale", lastYear) +
                             Event("Nessuna", "1 giorno prima", event, "Nessuna", lastYear));
    Run();
    HWND box = Alert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), AlertLine("Annuale", event));
    ASSERT_TRUE(ProgramRun::Press(box, IDOK));
    EXPECT_EQ(Alert(4s), nullptr) << "the one-off event was alerted last year";
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 2; }));
    EXPECT_EQ(ProgramRun::Item(List(), 0).image, static_cast<int>(RowStatus::Imminent));
    EXPECT_EQ(ProgramRun::Item(List(), 1).image, static_cast<int>(RowStatus::Past));
    ASSERT_TRUE(run_->CloseAndWait(10s));
    EXPECT_EQ(Saved(archive_).At(1).Text(kUltimoAvviso), lastYear);
}

TEST_F(Reminders, AnAnswerOfNoKeepsTheArchivesRowsAndTakesTheNewStamps) {
    const DateTime event = Now() + 2.0 / 24;
    WriteBytes(archive_, Event("Affitto", "1 giorno prima", event) + Event("Bollo auto", "1 giorno prima", event - 30) +
                             Event("Canone", "1 giorno prima", event - 40));
    Run();
    HWND box = Alert();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(ProgramRun::Press(box, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Active() == Main() && Focused() == List(); }));

    // The user deletes "Canone", then closes and answers No.
    PressKeys({VK_END, VK_DELETE});
    HWND question = run_->WaitForMessageBox(L"Conferma Eliminazione", 5s);
    ASSERT_NE(question, nullptr);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 2; }));
    ::PostMessageW(Main(), WM_CLOSE, 0, 0);
    question = run_->WaitForMessageBox(L"Conferma Modifiche", 5s);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(question), L"Salvare le modifiche?");
    AnswerNo(question);
    ASSERT_TRUE(WaitUntil([&] { return !run_->Running(); }, 10s));

    const EventList saved = Saved(archive_);
    ASSERT_EQ(saved.Count(), 3u) << "the deletion is not written";
    EXPECT_EQ(saved.At(0).Text(kDescrizione), "Affitto");
    EXPECT_NE(saved.At(0).Text(kUltimoAvviso), kInitialStamp) << "the alert's stamp is";
    EXPECT_EQ(saved.At(2).Text(kDescrizione), "Canone");
}

// Real waits: the event must pass while the first alert is open. The rule
// does not depend on the regional settings, so it runs under one of them.
TEST_F(Reminders, AnEventThatPassesWhileAnotherAlertIsOpenIsShownWhenItIsAnswered) {
    const char* locale = std::getenv("LC_ALL");
    if (locale == nullptr || std::string(locale) != "it_IT.UTF-8") GTEST_SKIP() << "runs under it_IT.UTF-8";
    const DateTime now = Now();
    DateTime soon = std::ceil(now * 1440) / 1440;  // the next whole minute, at least 20 s away
    if (soon - now < 20.0 / 86'400) soon += 1.0 / 1440;
    const DateTime later = now + 2.0 / 24;
    WriteBytes(archive_, Event("A dovuto", "1 giorno prima", later) + Event("B passa", "10 minuti prima", soon));
    Run();
    HWND box = Alert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramRun::MessageBoxText(box), AlertLine("A dovuto", later));
    while (Now() < soon + 2.0 / 86'400) std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(ProgramRun::Press(box, IDOK));
    box = Alert(5s);
    ASSERT_NE(box, nullptr) << "shown when the first is answered";
    EXPECT_EQ(ProgramRun::MessageBoxText(box), kMissedHeading + AlertLine("B passa", soon));
    ASSERT_TRUE(ProgramRun::Press(box, IDOK));
    ASSERT_TRUE(run_->CloseAndWait(10s));
    EXPECT_NE(Saved(archive_).At(1).Text(kUltimoAvviso), kInitialStamp);
}

}  // namespace
}  // namespace ricordex::e2e
