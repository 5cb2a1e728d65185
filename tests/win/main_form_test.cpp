#include "ui/main_form.h"

#include <thread>

#include "support/archive_bytes.h"
#include "win/main_form_fixture.h"

namespace ricordex::ui {
namespace {

TEST_F(MainFormTest, StartShowsTheArchiveOrderedByDescription) {
    WriteBytes(archive_, Record({"zucca", "", "", "", "", "", ""}) + BolloAuto() +
                             Record({"\xE0ncora", "", "", "", "", "", ""}));
    registry_.OpenOrCreate(kSettingsKey)->WriteInteger("Avvio", 2);
    Open();
    EXPECT_TRUE(errors_.empty());
    ASSERT_EQ(ListView_GetItemCount(List()), 3);
    EXPECT_EQ(Cell(0, 0), L"Bollo auto");
    EXPECT_EQ(Cell(0, 1), L"1 giorno prima");
    EXPECT_EQ(Cell(0, 2), L"15/03");
    EXPECT_EQ(Cell(0, 3), L"08.00");
    EXPECT_EQ(Cell(0, 4), L"Ogni ora");
    EXPECT_EQ(Cell(0, 5), L"Annuale");
    EXPECT_EQ(Cell(1, 0), L"zucca");
    EXPECT_EQ(Cell(2, 0), L"\u00E0ncora");  // Windows-1252 shown as itself
    EXPECT_EQ(Caption(), kTitleText);
    EXPECT_TRUE(win::Application::Instance().ShowMainForm());
    EXPECT_EQ(state_.avvioProgramma, "07/12/2026 09.41");
}

TEST_F(MainFormTest, AReadOnlyArchiveLoadsAsAnyOther) {
    WriteBytes(archive_, BolloAuto());
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    Open();
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(ListView_GetItemCount(List()), 1);
    EXPECT_TRUE(win::Application::Instance().ShowMainForm());
    EXPECT_EQ(Caption(), kTitleText);
}

TEST_F(MainFormTest, ASettingOfTheWrongTypeIsReportedAndTheProgramRunsOn) {
    WriteBytes(archive_, BolloAuto());
    const wchar_t text[] = L"3";
    win::UniqueKey key;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, key.put());
    ::RegSetValueExW(key.get(), L"Avvio", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    Open();
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"Invalid data type for 'Avvio'"});
    EXPECT_EQ(ListView_GetItemCount(List()), 1);
    EXPECT_TRUE(win::Application::Instance().ShowMainForm());
}

// Going to sleep, the moment examined is written; back from sleep a new run
// begins and the list is looked at within a second, from the timer: an
// alert inside the system's broadcast would hold the broadcast up.
TEST_F(MainFormTest, SleepKeepsTheMomentExaminedAndResumingBeginsARun) {
    Open();
    state_.examinedUpTo = clock_.now;
    ::SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(registry_.OpenOrCreate(kSettingsKey)->ReadString("UltimoControllo"), L"07/12/2026 09.41.30");

    clock_.now += 0.5;
    form_->Timer1().SetInterval(kNormalInterval);
    ::SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(form_->Timer1().Interval(), kSoonInterval);
    EXPECT_EQ(state_.avvioProgramma, "07/12/2026 21.41");
    form_->Timer1().SetInterval(kHoldOffInterval);  // an alert is open
    ::SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ(form_->Timer1().Interval(), kHoldOffInterval);
}

TEST_F(MainFormTest, ACloseRequestAsksSavesAsToldAndEnds) {
    Open();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    questions_.answer = kAnswerNo;
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].text, "Salvare le modifiche?");
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    EXPECT_EQ(ReadBytes(archive_), "");
    EXPECT_EQ(registry_.OpenOrCreate(kSettingsKey)->ReadInteger("Avvio"), 3u);
}

// What the closing save has to tell (here: a sync service's copy that
// cannot be read) is shown before the program ends, not lost with it.
TEST_F(MainFormTest, WhatTheClosingSaveReportsIsShownBeforeTheWindowGoes) {
    Open();
    WriteBytes(dir_ / "Ricordex (1).psc", BolloAuto().substr(0, 100));
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find(L"Ricordex (1).psc"), std::wstring::npos) << errors_[0];
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
}

// A folder that does not answer at start: the window comes at once with an
// empty list and no ticks; the rows come, and the ticks start, as the
// start finishes, once the folder answers. A close meanwhile waits for the
// read, and writes nothing over the archive it has not read.
class StartReadingTest : public MainFormTest {
protected:
    void OpenWhileTheFolderHangs() {
        WriteBytes(archive_, BolloAuto() + Record({"zucca", "", "", "", "", "", ""}));
        files_.Hang(std::chrono::seconds(20));
        form_ = std::make_unique<TFMain>(state_, services_, std::make_unique<StartLoad>(state_, services_));
        ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
        EXPECT_EQ(ListView_GetItemCount(List()), 0);
        EXPECT_FALSE(form_->Timer1().Enabled());
        letGo_ = std::thread([this] {
            ::Sleep(300);
            files_.LetGo();
        });
    }
    ~StartReadingTest() override {
        if (letGo_.joinable()) letGo_.join();
    }
    std::thread letGo_;
};

TEST_F(StartReadingTest, TheRowsAndTheTicksComeAsTheStartFinishes) {
    OpenWhileTheFolderHangs();
    win::Application::Instance().FinishStart();
    EXPECT_EQ(ListView_GetItemCount(List()), 2);
    EXPECT_EQ(Cell(0, 0), L"Bollo auto");
    EXPECT_TRUE(form_->Timer1().Enabled());
}

TEST_F(StartReadingTest, ACloseBeforeTheRowsWaitsForThem) {
    OpenWhileTheFolderHangs();
    const std::string before = ReadBytes(archive_);
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    EXPECT_EQ(state_.list.Count(), 2u);
    EXPECT_EQ(ReadBytes(archive_), before);
    EXPECT_TRUE(questions_.asked.empty());
}

// Started in the notification area, the window is made without its
// controls; an event confirmed from the tray menu meanwhile is the one
// selected when the window is first shown.
TEST_F(MainFormTest, ARowChosenBeforeTheWindowIsFirstShownIsSelectedWhenItIs) {
    form_ = std::make_unique<TFMain>(state_, services_);
    state_.list.AggiungiRiga({"a", "", "", "", "", "", ""}, 0);
    const RowId chosen = state_.list.AggiungiRiga({"b", "", "", "", "", "", ""}, 0);
    form_->EventConfirmed(chosen);
    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(form_->ListView1().SelectedId(), chosen);
    EXPECT_EQ(ListView_GetNextItem(List(), -1, LVNI_SELECTED), 1);
}

// A close whose save fails keeps the window and the flags. A read-only
// archive does so once: the next close goes on without a word, the changes
// left unsaved.
TEST_F(MainFormTest, AReadOnlyArchiveStopsTheFirstCloseOnlyAndIsToldOnce) {
    WriteBytes(archive_, BolloAuto());
    Open();
    state_.aggiornatoDaTimer = true;
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"L'archivio \"" + archive_.wstring() +
                                                 L"\" \u00E8 di sola lettura: le modifiche non sono salvate e "
                                                 L"restano solo nell'elenco."});
    EXPECT_TRUE(::IsWindow(form_->Handle()));
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    EXPECT_FALSE(registry_.OpenOrCreate(kSettingsKey)->ValueExists("Avvio"));

    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    EXPECT_TRUE(registry_.OpenOrCreate(kSettingsKey)->ValueExists("Avvio"));
    EXPECT_EQ(ReadBytes(archive_), BolloAuto());
}

TEST_F(MainFormTest, ChiudiSavesAlertChangesWithoutAskingAndMinimises) {
    Open();
    state_.list.AggiungiRiga({"avvisato", "", "", "", "", "", ""}, 0);
    state_.aggiornatoDaTimer = true;
    ::SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(TFMain::kBChiudi, BN_CLICKED), 0);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
    EXPECT_FALSE(state_.aggiornatoDaTimer);
    EXPECT_TRUE(::IsIconic(win::Application::Instance().Handle()));
    EXPECT_TRUE(::IsWindow(form_->Handle()));
    ::ShowWindow(win::Application::Instance().Handle(), SW_RESTORE);
}

// Signing out, Windows ends the process itself once the window has saved;
// an installer or an update (the Restart Manager, ENDSESSION_CLOSEAPP)
// leaves the session running and waits for the program to end.
TEST_F(MainFormTest, EndOfSessionKeepsChangesWithoutAQuestionAndAnUpdateAlsoEndsTheProgram) {
    for (const LPARAM reason : {LPARAM{0}, LPARAM{ENDSESSION_LOGOFF}, LPARAM{ENDSESSION_CLOSEAPP}}) {
        SCOPED_TRACE(reason);
        std::filesystem::remove(archive_);
        Open();
        state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
        state_.modificato = true;
        HWND window = form_->Handle();
        EXPECT_TRUE(::SendMessageW(window, WM_QUERYENDSESSION, 0, reason));
        ::SendMessageW(window, WM_ENDSESSION, TRUE, reason);
        EXPECT_TRUE(questions_.asked.empty());
        EXPECT_EQ(ReadBytes(archive_).size(), 164u);
        EXPECT_FALSE(state_.modificato);
        MSG quit{};
        EXPECT_EQ(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, reason == ENDSESSION_CLOSEAPP)
            << "the program ends";
        EXPECT_TRUE(::IsWindow(window)) << "once its loop is over, not under it";
        form_.reset();
        win::PumpMessages();
        state_ = ProgramState{};
    }
}

// A session that does not end after all changes nothing.
TEST_F(MainFormTest, AnEndOfSessionCalledOffNeitherSavesNorCloses) {
    Open();
    state_.modificato = true;
    ::SendMessageW(form_->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(state_.modificato);
    EXPECT_TRUE(::IsWindow(form_->Handle()));
}

}  // namespace
}  // namespace ricordex::ui
