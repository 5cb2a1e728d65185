// The recovery file as the main window keeps it: written after the editor's
// "Conferma", a deletion and a tick that stamped rows; at the start the
// question about it waits with no tick meanwhile.

#include "app/recovery_file.h"
#include "core/archive.h"
#include "support/archive_bytes.h"
#include "ui/dialog_form.h"
#include "win/main_form_fixture.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace ricordex::ui {
namespace {

class RecoveryHooks : public MainFormTest {
protected:
    RecoveryHooks() {
        std::filesystem::create_directories(local_);
        services_.recoveryFile = local_ / "Ricordex-recupero.psc";
        // An alert of the tick, should one come, is answered at once.
        win::SetMessageBoxShower([](const win::MessageBoxRequest&) { return IDOK; });
    }
    ~RecoveryHooks() override { win::SetMessageBoxShower(nullptr); }

    EventList Kept() {
        EventList rows;
        if (std::filesystem::exists(services_.recoveryFile)) ReloadArchive(rows, files_, services_.recoveryFile);
        return rows;
    }

    std::filesystem::path local_ = dir_ / "Locale";
};

TEST_F(RecoveryHooks, TheEditorsConfirmADeletionAndAStampingTickEachWriteIt) {
    WriteBytes(archive_, BolloAuto());
    // No changes left by a crash: nothing to ask, the ticks start with the window.
    form_ = std::make_unique<TFMain>(state_, services_);
    EXPECT_TRUE(form_->Timer1().Enabled());
    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    win::Application::Instance().FinishStart();
    EXPECT_EQ(Kept().Count(), 0u);
    form_->BNuovoEventoClick();
    form_->FDialog().BInserisciClick();
    ASSERT_EQ(Kept().Count(), 2u);
    EXPECT_EQ(Kept().At(1).Text(kDescrizione), "Nuovo evento");

    // "Nuovo evento" goes: what stays is not due this December.
    form_->ListView1().Select(state_.list.At(1).Id());
    form_->EliminaEvento();
    ASSERT_EQ(questions_.asked.size(), 1u);
    ASSERT_EQ(Kept().Count(), 1u);
    EXPECT_EQ(Kept().At(0).Text(kDescrizione), "Bollo auto");

    state_.list.SetStamp(0, "07/12/2026 09.45");  // as an alert stamps it
    state_.aggiornatoDaTimer = true;
    form_->Timer1Timer();
    ASSERT_EQ(Kept().Count(), 1u);
    EXPECT_EQ(Kept().At(0).Text(kUltimoAvviso), "07/12/2026 09.45");
}

TEST_F(RecoveryHooks, TheStartsQuestionWaitsWithoutTicksAndYesShowsTheRecoveredRows) {
    WriteBytes(archive_, BolloAuto());
    const RecoveryFiles recovery = RecoveryFilesOf(services_.recoveryFile);
    WriteBytes(recovery.rows, BolloAuto() + Record({"Recuperato", "", "", "", "", "", ""}));
    const std::u8string name = archive_.u8string();
    WriteBytes(recovery.archive, std::string(name.begin(), name.end()));
    bool ticking = true;
    questions_.whileOpen = [&] {
        // Timer1 (its id checked below) is not armed while the box waits.
        ticking = ::KillTimer(win::Application::Instance().MainForm(), 1) != FALSE;
    };
    // Not while the window is being made and shown: the start's rest asks.
    form_ = std::make_unique<TFMain>(state_, services_);
    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_FALSE(form_->Timer1().Enabled());
    // A key typed ahead is not taken for an answer.
    ::PostMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
    win::Application::Instance().FinishStart();
    MSG typedAhead;
    EXPECT_FALSE(::PeekMessageW(&typedAhead, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].text, "Ripristinare le modifiche non salvate?");
    EXPECT_FALSE(ticking);
    EXPECT_EQ(form_->Timer1().Id(), 1u);
    EXPECT_TRUE(form_->Timer1().Enabled()) << "ticking again once answered";
    ASSERT_EQ(ListView_GetItemCount(List()), 2);
    EXPECT_EQ(Cell(1, 0), L"Recuperato");
    EXPECT_TRUE(state_.modificato);
}

// The archive held by another program at start: the question comes all
// the same, and no tick before it (a tick's stamps would write the
// recovery file over the changes it offers).
TEST_F(RecoveryHooks, WithTheArchiveUnreadableTheQuestionStillComesBeforeAnyTick) {
    WriteBytes(archive_, BolloAuto());
    const RecoveryFiles recovery = RecoveryFilesOf(services_.recoveryFile);
    WriteBytes(recovery.rows, BolloAuto() + Record({"Recuperato", "", "", "", "", "", ""}));
    WriteBytes(recovery.base, BolloAuto());
    const std::u8string name = archive_.u8string();
    WriteBytes(recovery.archive, std::string(name.begin(), name.end()));
    {
        const win::UniqueFile held(
            ::CreateFileW(archive_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        form_ = std::make_unique<TFMain>(state_, services_);
    }
    EXPECT_TRUE(state_.loadIncomplete);
    EXPECT_FALSE(form_->Timer1().Enabled());
    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    win::Application::Instance().FinishStart();
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_TRUE(form_->Timer1().Enabled());
    ASSERT_EQ(ListView_GetItemCount(List()), 2);
    EXPECT_EQ(Cell(1, 0), L"Recuperato");
}

}  // namespace
}  // namespace ricordex::ui
