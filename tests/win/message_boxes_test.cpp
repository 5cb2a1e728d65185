// How the program's boxes are asked for: the error box, the reports and the
// alert, with the main window on screen or in the notification area.

#include <vector>

#include "ui/alert_ports.h"
#include "ui/dialog_form.h"
#include "ui/pending_reports.h"
#include "win/main_form_fixture.h"
#include "win/message_box.h"
#include "win/system.h"

namespace ricordex::ui {
namespace {

class MessageBoxesTest : public MainFormTest {
protected:
    MessageBoxesTest() {
        // The boxes themselves, not only their texts.
        win::Application::Instance().SetErrorSink(nullptr);
        win::SetMessageBoxShower([this](const win::MessageBoxRequest& box) {
            shown_.push_back(box);
            return IDOK;
        });
    }
    ~MessageBoxesTest() override { win::SetMessageBoxShower(nullptr); }

    // Made as a start into the notification area leaves it.
    TFMain& OpenInTray() {
        form_ = std::make_unique<TFMain>(state_, services_);
        win::Application::Instance().FinishStart();
        return *form_;
    }
    static bool Has(const win::MessageBoxRequest& box, UINT flag) { return (box.flags & flag) == flag; }

    std::vector<win::MessageBoxRequest> shown_;
};

// In the notification area the box's owner is the hidden application
// window: only on top of every window is it seen. With a form on screen it
// belongs to the program's windows, like any box.
TEST_F(MessageBoxesTest, AnErrorBoxIsOnTopOnlyWhileNoFormIsShown) {
    win::Application& application = win::Application::Instance();
    OpenInTray();
    application.ShowError("File access denied");
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].owner, application.Handle());
    EXPECT_EQ(shown_[0].text, L"File access denied.");
    EXPECT_EQ(shown_[0].caption, L"Ricordex");
    EXPECT_EQ(shown_[0].flags, UINT{MB_OK | MB_ICONERROR | MB_TOPMOST});

    // The editor opened from the tray menu, the main window still hidden.
    form_->BNuovoEventoClick();
    ASSERT_TRUE(::IsWindowVisible(form_->FDialog().Handle()));
    application.ShowError("Disk full");
    EXPECT_EQ(shown_.back().owner, application.Handle());
    EXPECT_FALSE(Has(shown_.back(), MB_TOPMOST));
    ::ShowWindow(form_->FDialog().Handle(), SW_HIDE);

    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    application.ShowError("Disk full");
    EXPECT_EQ(shown_.back().owner, form_->Handle());
    EXPECT_EQ(shown_.back().flags, UINT{MB_OK | MB_ICONERROR});
}

// The reports gathered while the program works in the tray (an archive out
// of reach, a copy that cannot be read) come on top as well.
TEST_F(MessageBoxesTest, ReportsShownFromTheTrayAreOnTop) {
    OpenInTray();
    PendingReports reports([] {});
    reports.Add("L'archivio non si raggiunge");
    reports.AddUnreadableRow("'31/02 10.00' is not a valid date and time");
    reports.ShowAll();
    ASSERT_EQ(shown_.size(), 2u);
    for (const win::MessageBoxRequest& box : shown_) EXPECT_TRUE(Has(box, MB_TOPMOST | MB_ICONERROR)) << box.text;
}

// The alert stays on top of every window but never takes the keys from the
// program the user is typing into: an Enter meant for it would dismiss the
// alert unread.
TEST_F(MessageBoxesTest, TheAlertIsOnTopWithoutTakingTheForeground) {
    for (const bool inTray : {true, false}) {
        if (inTray) OpenInTray(); else Open();
        AlertPortsWin ports(form_->Timer1(), *form_);
        ports.ShowAlert("Bollo auto - Scadenza: 15/03 ore: 08.00");
        ASSERT_EQ(shown_.size(), 1u);
        const win::MessageBoxRequest& alert = shown_[0];
        EXPECT_EQ(alert.owner, form_->Handle());
        EXPECT_EQ(alert.text, L"Bollo auto - Scadenza: 15/03 ore: 08.00");
        EXPECT_EQ(alert.caption, L"Avviso Scadenza");
        EXPECT_EQ(alert.flags, UINT{MB_OK | MB_ICONQUESTION | MB_TOPMOST});
        EXPECT_FALSE(Has(alert, MB_SETFOREGROUND));
        EXPECT_EQ(alert.language, win::kItalian);
        shown_.clear();
        form_.reset();
        win::PumpMessages();
    }
}

// A question asked while the main window is still being made (the start's
// question about the changes a crash left unsaved) is owned as an error box:
// on top while the program is in the notification area. Once the window is
// its owner, the questions are its own.
// The question of a start into the notification area (the changes a crash
// left unsaved) has the window hidden: on top, or nothing would show it.
TEST_F(MessageBoxesTest, AQuestionWithTheWindowInTheTrayIsOnTopAndOneOverTheWindowIsItsOwn) {
    win::Application& application = win::Application::Instance();
    OpenInTray();
    win::MessageBoxQuestions questions;
    questions.SetOwner(form_->Handle());
    questions.Ask("Ripristinare le modifiche non salvate?", "Ripristino Modifiche", 36);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].owner, application.Handle());
    EXPECT_EQ(shown_[0].text, L"Ripristinare le modifiche non salvate?");
    EXPECT_EQ(shown_[0].flags, UINT{36 | MB_TOPMOST | MB_SETFOREGROUND});
    EXPECT_EQ(shown_[0].language, win::kItalian);

    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    questions.Ask("Salvare le modifiche?", "Conferma Modifiche", 36);
    EXPECT_EQ(shown_.back().owner, form_->Handle());
    EXPECT_EQ(shown_.back().flags, 36u);
}

}  // namespace
}  // namespace ricordex::ui
