#include "ui/pending_reports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/application.h"

namespace ricordex::ui {
namespace {

// Unreadable rows found together are summed up in one box; a report about
// the archive is never taken for one of them: it is shown whole.
TEST(PendingReports, RowsAreSummedUpAndEveryOtherReportIsShownWhole) {
    std::vector<std::wstring> shown;
    win::Application::Instance().SetErrorSink([&](const std::wstring& text) { shown.push_back(text); });
    int wakes = 0;
    PendingReports reports([&] { ++wakes; });
    reports.AddUnreadableRow("'31/02 10.00' is not a valid date and time");
    reports.Add("L'archivio non si raggiunge");
    reports.AddUnreadableRow("'30/02 10.00' is not a valid date and time");
    reports.Add("La copia in conflitto non si legge");
    reports.ShowAll();
    win::Application::Instance().SetErrorSink(nullptr);
    EXPECT_EQ(wakes, 1) << "one wake for what comes together";
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], L"L'archivio non si raggiunge.");
    EXPECT_EQ(shown[1], L"La copia in conflitto non si legge.");
    EXPECT_NE(shown[2].find(L"'31/02 10.00' is not a valid date and time."), std::wstring::npos);
    // The program's own accented letters, whatever the ANSI code page.
    EXPECT_NE(shown[2].find(L"Un'altra riga non si pu\u00F2 leggere."), std::wstring::npos) << shown[2];
}

}  // namespace
}  // namespace ricordex::ui
