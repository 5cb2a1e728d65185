// The main window's commands and decisions: each reads as its handler in the
// program's description and leaves the deciding to the portable layers.
#include "ui/main_form.h"

#include <shellapi.h>

#include <utility>

#include "app/delete_event.h"
#include "app/recovery_file.h"
#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "win/application.h"
#include "win/com_apartment.h"
#include "win/start_marks.h"

namespace ricordex::ui {
namespace {

// While a tick waits for the look at the archive.
constexpr unsigned kLookWaitInterval = 200;

// No tick while the program may ask about the changes a crash left unsaved:
// an alert would stamp rows that the answer replaces.
class TimerHeld {
public:
    explicit TimerHeld(win::Timer& timer) : timer_(timer) { timer_.SetEnabled(false); }
    ~TimerHeld() { timer_.SetEnabled(true); }
    TimerHeld(const TimerHeld&) = delete;
    TimerHeld& operator=(const TimerHeld&) = delete;

private:
    win::Timer& timer_;
};

}  // namespace

TFMain::~TFMain() {
    win::Application::Instance().SetStartRemainder(nullptr);
    services_.report = nullptr;
    services_.inform = nullptr;
    services_.runFileWork = nullptr;
}

void TFMain::FormCreate() {
    win::Application& application = win::Application::Instance();
    // Begun by the program's entry, before the windows; else read here.
    if (!startLoad_) {
        startLoad_ = std::make_shared<StartLoad>(state_, services_);
        startLoad_->Wait();
    }
    const bool showAtStart = startLoad_->ShowMainWindow();
    // While the box is open, a message (a second start, a sleep) may
    // finish the load.
    const std::shared_ptr<StartLoad> load = startLoad_;
    load->TellSettings([&](const std::string& text) { application.ShowError(text); });
    // A start into the notification area shows its icon first; one with
    // the window, the window first, the icon once it is on screen.
    if (!showAtStart) ShowTrayIcon();
    ::SetWindowTextW(Handle(), kTitleText);
    if (showAtStart) application.SetShowMainForm(true);
    // Read by now, as a local archive usually is: shown with the window.
    // Else (a large one, a slow network folder) the window comes with an
    // empty list, filled once it is read.
    if (!startLoad_ || startLoad_->Done()) {
        FinishLoad();
    } else {
        listView1_.HoldRowsWhileReading();
    }
}

void TFMain::FinishLoad() {
    if (!startLoad_) return;
    // Waited for painting. A message sent meanwhile (a resume, the end of
    // the session) that needs the list waits the same way, in here again:
    // the first wait to end shows the list, and the others find it shown.
    const std::shared_ptr<StartLoad> load = startLoad_;
    if (!load->Done()) services_.runFileWork([load] { load->Wait(); });
    if (startLoad_ != load) return;
    startLoad_.reset();
    // What the load has to tell, its failure included, is told once the
    // window (or the icon) is there: a box alone on the desktop, before
    // them, is easily lost. The rows read before a failure are shown.
    try {
        listView1_.ChangeRows([&] { load->Finish([this](const std::string& text) { reports_.Add(text); }); });
    } catch (const Error& error) {
        reports_.Add(error.what());
    }
    win::MarkStart("archive");
    // With no changes a crash left unsaved, there is no question to wait
    // for: settled now, also with an archive not read.
    recoveryQuestionLeft_ = RecoveryOnDisk(services_);
    if (!state_.loadIncomplete && !recoveryQuestionLeft_) OfferRecovery(state_, services_);
    // The ticks start at once, whatever box the start opens (the rows read
    // before a failure are alerted), unless a question is left: a tick
    // before it would write the recovery file over the changes it offers.
    if (state_.recovery.ours || !recoveryQuestionLeft_) timer1_.SetEnabled(true);
}

void TFMain::ShowTrayIcon() {
    if (std::exchange(trayIconShown_, true)) return;
    trayI_->ShowIcon();
    win::MarkStart("tray icon");
}

void TFMain::FinishStart() {
    startFinished_ = true;
    // The ticks start whatever the rest does: the alerts are never left off
    // for a run. None while the question is open: an alert would stamp rows
    // that the answer replaces.
    const TimerHeld ticksAfter(timer1_);
    ShowTrayIcon();
    if (ControlsCreated()) CreateHints();
    FinishLoad();
    // Whether the archive was read whole, in part or not at all (then the
    // changes stand on the base they were made against); once a run.
    if (!state_.recovery.ours && recoveryQuestionLeft_) {
        // Keys and clicks already on their way were meant for the window,
        // not an answer to a question nobody has seen yet. What the load
        // had to tell comes first, not over the question.
        win::DropPendingInput();
        reports_.ShowAll();
        listView1_.ChangeRows([&] { OfferRecovery(state_, services_); });
    }
}

void TFMain::FormClose() { SaveOnClose(state_, services_); }

void TFMain::BChiudiClick() {
    FinishLoad();
    FormClose();
    win::Application::Instance().Minimize();
}

void TFMain::Chiudi1Click() { ::PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TFMain::Timer1Timer() {
    // Back from sleep, the archive is looked at first: what another PC saved
    // meanwhile is judged with the rest. A folder that does not answer
    // keeps the alerts waiting for a moment at most.
    if (judgeAfterLookUntil_) {
        if (archiveWatch_.Looking() && std::chrono::steady_clock::now() < *judgeAfterLookUntil_) {
            timer1_.SetInterval(kLookWaitInterval);
            return;
        }
        judgeAfterLookUntil_.reset();
        OnArchiveLooked();
    }
    // The list is examined first, on time, whatever the archive's folder does.
    scheduler_.Timer1Timer();
    RememberPostponed();
    KeepRecovery(state_, services_);  // once for all the rows stamped
    // Colours and icons follow the clock, not only the next repaint.
    listView1_.Refresh();
    // Another PC's save is looked for off this thread: a network folder
    // that stopped answering keeps only the look waiting.
    archiveWatch_.Look(FollowRequest(state_, services_.clock.Now()), std::chrono::steady_clock::now());
    RememberExaminedQuietly(true);
}

void TFMain::OnArchiveLooked() {
    const std::optional<ArchiveLook> look = archiveWatch_.TakeResult(std::chrono::steady_clock::now());
    // Not under an open box or dialog: the row they show must stay as it
    // is. The next tick looks again.
    // (A question keeps the window disabled.) Nothing is reshown unless the
    // list changed: a reshow under a box would take the keys from it.
    if (!look || win::Application::Instance().BoxesOpen() != 0 || !::IsWindowEnabled(Handle()) || DialogOpen()) {
        return;
    }
    const bool loading = state_.loadIncomplete;
    const std::optional<RowId> selected = listView1_.SelectedId();
    if (FollowSeen(state_, services_, *look)) {
        listView1_.Refresh();
        listView1_.Select(selected);
        KeepRecovery(state_, services_);  // the changes unsaved, on what the archive holds now
    }
    // An archive out of reach at start, loaded now: the changes a crash left
    // unsaved are offered as at a start.
    if (loading && !state_.loadIncomplete) {
        const TimerHeld held(timer1_);
        listView1_.ChangeRows([&] { OfferRecovery(state_, services_); });
    }
}

void TFMain::RememberExaminedQuietly(bool everyFewMinutes) {
    // A registry that refuses it is reported by the close, which writes it
    // with the settings: not every few minutes.
    try {
        RememberExamined(state_, services_, everyFewMinutes);
    } catch (const Error&) {
    }
}

void TFMain::RememberPostponed() {
    if (postponed_.Revision() == postponedWritten_) return;
    try {
        WritePostponedAlerts(services_.registry, postponed_.Text());
        postponedWritten_ = postponed_.Revision();
    } catch (const Error& error) {
        // Told once: until it is written, they come back in this run only.
        if (!std::exchange(postponedFailureTold_, true)) reports_.Add(error.what());
    }
}

void TFMain::TrayIClick() { trayI_->ShowMainWindow(); }

void TFMain::FinestraPrincipale1Click() { trayI_->ShowMainWindow(); }

TFDialog& TFMain::FDialog() {
    if (!fDialog_) {
        fDialog_ = std::make_unique<TFDialog>(Handle(), state_, services_.clock,
                                              [this](RowId row) { EventConfirmed(row); });
    }
    return *fDialog_;
}

TFOpzioni& TFMain::FOpzioni() {
    if (!fOpzioni_) {
        auto changeRows = [this](const std::function<void()>& change) { listView1_.ChangeRows(change); };
        fOpzioni_ = std::make_unique<TFOpzioni>(Handle(), state_, services_, changeRows);
    }
    return *fOpzioni_;
}

bool TFMain::DialogOpen() const {
    return (fDialog_ && ::IsWindowVisible(fDialog_->Handle())) ||
           (fOpzioni_ && ::IsWindowVisible(fOpzioni_->Handle()));
}

void TFMain::BNuovoEventoClick() {
    if (BringWaitingBoxForward()) return;
    FinishLoad();
    hiddenDialogs_.clear();  // opened afresh: nothing of the old one comes back later
    FDialog().OpenInsertMode();
}

void TFMain::BModificaEventoClick() {
    FinishLoad();
    const std::optional<RowId> selected = listView1_.SelectedId();
    if (!selected) return;
    hiddenDialogs_.clear();
    FDialog().OpenEditMode(*selected);
}

void TFMain::EliminaEvento() {
    FinishLoad();
    listView1_.ChangeRows([this] {
        ricordex::EliminaEvento(state_, services_.questions, [this] { return listView1_.SelectedId(); });
    });
    KeepRecovery(state_, services_);
}

void TFMain::BOpzioniClick() {
    if (BringWaitingBoxForward()) return;
    FinishLoad();
    hiddenDialogs_.clear();
    FOpzioni().Open();
}

void TFMain::BHelpClick() {
    // A missing page or a file type without a program is not reported.
    const std::wstring page = services_.programFolder + L"Ricordex.html";
    win::EnterComApartment();  // the shell's open expects it
    ::ShellExecuteW(Handle(), nullptr, page.c_str(), nullptr, nullptr, SW_SHOW);
}

void TFMain::ListView1ColumnClick(int column) {
    FinishLoad();
    listView1_.ChangeRows([&] { state_.list.SortBy(column); });
}

void TFMain::EventConfirmed(RowId row) {
    listView1_.ChangeRows([] {}, row);
    timer1_.SetInterval(kSoonInterval);
    KeepRecovery(state_, services_);
}

}  // namespace ricordex::ui
