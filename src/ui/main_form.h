#pragma once
// TFMain, the main window: the event list, its commands, the alert timer,
// and the start-up and close of the program.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "alerts/scheduler.h"
#include "app/archive_watch.h"
#include "app/program_state.h"
#include "app/start_load.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon.h"
#include "ui/alert_ports.h"
#include "ui/event_list_view.h"
#include "ui/pending_reports.h"
#include "win/flat_button.h"
#include "win/form.h"
#include "win/timer.h"
#include "win/unique_handle.h"
#include "win/window.h"

namespace ricordex::ui {

class TFDialog;
class TFOpzioni;

inline constexpr wchar_t kMainFormClass[] = L"Ricordex.TFMain";
// The title label's text, which becomes the window's caption at start-up.
inline constexpr wchar_t kTitleText[] = L"Ricordex - promemoria delle scadenze";
// Sent by a second start of the program to the one already running.
inline constexpr wchar_t kShowMainWindowMessage[] = L"Ricordex.ShowMainWindow";

class TFMain : public win::Form {
public:
    enum ControlId : int {
        kLTitolo = 100,
        kBChiudi,
        kListView1,
        kBNuovoEvento,
        kBModificaEvento,
        kBEliminaEvento,
        kBOpzioni,
        kBHelp,
    };

    // The start's reading of the settings and the archive, when begun
    // before the window; else the window begins it as it is made.
    TFMain(ProgramState& state, Services& services, std::unique_ptr<StartLoad> startLoad = nullptr);
    ~TFMain() override;

    void FormCreate();
    // What the user does not see, once the window is on screen (or the
    // icon in the notification area): the tray icon, if not there yet, the
    // changes a crash left unsaved offered back, then the ticks. The
    // message loop runs it at its first idle moment.
    void FinishStart();
    // The save decision of a close; raises when saving or writing the
    // settings fails, and the window then stays.
    void FormClose();
    // "Chiudi": saves as a close does, then hides the program in the
    // notification area.
    void BChiudiClick();
    // "Interrompi Esecuzione": asks the main window to close, which ends the
    // program through FormClose.
    void Chiudi1Click();
    void Timer1Timer();
    void TrayIClick();
    void FinestraPrincipale1Click();
    void BNuovoEventoClick();
    void BModificaEventoClick();
    void EliminaEvento();
    void BOpzioniClick();
    void BHelpClick();
    void ListView1ColumnClick(int column);

    // The two dialogs, made the first time they are opened: making them
    // costs a third of the start-up.
    TFDialog& FDialog();
    TFOpzioni& FOpzioni();
    // The editor confirmed an event: show it selected, and look at the list
    // within a second.
    void EventConfirmed(RowId row);
    EventListView& ListView1() { return listView1_; }
    win::Timer& Timer1() { return timer1_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;
    void OnColoursChanged() override { listView1_.ApplyColours(); }

private:
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT_PTR kShowHiddenDialogsTimer = 2;
    static constexpr UINT kShowPendingReports = WM_APP + 1;
    static constexpr UINT kCloseIfAnswered = WM_APP + 2;
    static constexpr UINT kArchiveLooked = WM_APP + 3;

    // The window's look: its controls, fonts and pictures, for its DPI;
    // made the first time the window is shown (a start that stays in the
    // notification area does without them).
    void CreateControls();
    bool ControlsCreated() const { return controlsCreated_; }
    // The command buttons' hints.
    void CreateHints();
    void LayOut();
    void PaintPanel();
    void DrawButton(const DRAWITEMSTRUCT& item);
    LRESULT OnControlColor(HDC dc, HWND control);
    // The tray icon and its menu, as the form describes them, then the
    // icon's after-load step; not yet in the notification area.
    void CreateTrayIcon();
    // Into the notification area, once.
    void ShowTrayIcon();
    // The archive read at start, waited for (the window painting meanwhile)
    // and shown, then the changes a crash left settled when there is no
    // question to ask. Once; before anything reads the list: the start's
    // rest runs it, and so does every command that comes before the rest
    // can run (a box open, a tray menu under it), a close, the end of the
    // session, a return from sleep.
    void FinishLoad();

    // The messages that take more than a line.
    void OnCreate();
    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnDestroy();
    void OnCommand(int id);
    // Enter where no button has the focus: on the list, "Modifica Evento".
    void OnEnter();
    // A second start asked for the window.
    void OnShowMainWindowAsked();
    void OnResume();
    // A look at the archive ended: another PC's save is followed.
    void OnArchiveLooked();
    void OnSuspend();
    // Windows ends the session, or closes the program alone (`closeApp`:
    // an installer, an update).
    void OnEndSession(bool closeApp);
    // Writes up to where the list was examined; a failure is left to the close.
    void RememberExaminedQuietly(bool everyFewMinutes);
    // Writes the alerts put off when they changed; a failure is tried again
    // at the next tick.
    void RememberPostponed();

    // Hidden in the notification area, the window takes its open dialogs
    // with it, and brings them back when shown again.
    void ShowDialogs(bool show);
    void ShowHiddenDialogs();
    // A box keeps the window waiting (an alert, a question): the commands of
    // the tray menu bring it forward instead of opening a dialog over it.
    bool BringWaitingBoxForward();
    bool DialogOpen() const;

    ProgramState& state_;
    Services& services_;
    UnreadableRows unreadable_;
    PendingReports reports_;
    bool closeWhenAnswered_ = false;  // a close asked for while a box waited
    bool controlsCreated_ = false;
    std::vector<HWND> hiddenDialogs_;  // the dialogs that went with the window
    EventListView listView1_;
    win::Timer timer1_;
    // The alerts put off, kept in the registry at each change.
    Postponements postponed_;
    std::uint64_t postponedWritten_ = 0;
    bool postponedFailureTold_ = false;
    AlertPortsWin alertPorts_;
    AlertScheduler scheduler_;
    ArchiveWatch archiveWatch_;
    // After a resume the list is judged once the archive was looked at (the
    // other PC may have saved meanwhile), waiting for the look until then.
    std::optional<ArchiveWatch::Moment> judgeAfterLookUntil_;
    win::UniqueImageList imageList1_;
    std::array<win::UniqueBitmap, 4> menuPictures_;
    std::array<win::UniqueIcon, 6> buttonPictures_;
    win::Tooltips tooltips_;
    std::unique_ptr<TFDialog> fDialog_;
    std::unique_ptr<TFOpzioni> fOpzioni_;
    tray::PopupMenu pMenu1_;
    std::unique_ptr<tray::TTrayIcon> trayI_;
    bool trayIconShown_ = false;
    bool startFinished_ = false;
    bool recoveryQuestionLeft_ = false;  // a recovery file on disk at creation: the start's rest asks
    win::UniqueFont font_;
    win::UniqueFont titleFont_;
    std::shared_ptr<StartLoad> startLoad_;  // until the archive read at start is shown
};

}  // namespace ricordex::ui
