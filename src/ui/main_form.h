#pragma once
// TFMain, the main window: the event list, its commands, the alert timer,
// and the start-up and close of the program.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "alerts/scheduler.h"
#include "app/program_state.h"
#include "ui/alert_ports.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon.h"
#include "ui/event_list_view.h"
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
    TFMain(ProgramState& state, Services& services);
    ~TFMain() override;

    void FormCreate();
    // The save decision of a close; raises when saving or writing the
    // settings fails, and the window then stays.
    void FormClose();
    void BChiudiClick();
    // Asks the main window to close, which ends the program through FormClose.
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

    // The two dialogs: made the first time they are opened (making them
    // costs a third of the start-up), or given (tests).
    void SetDialogs(TFDialog* dialog, TFOpzioni* options);
    TFDialog& FDialog();
    TFOpzioni& FOpzioni();
    // The editor confirmed an event: show it selected, and look at the list
    // within a second.
    void EventConfirmed(RowId row);
    ProgramState& State() { return state_; }
    Services& Platform() { return services_; }
    EventListView& ListView1() { return listView1_; }
    win::Timer& Timer1() { return timer1_; }
    tray::TTrayIcon& TrayI() { return *trayI_; }
    tray::PopupMenu& PMenu1() { return pMenu1_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    void CreateControls();
    void LayOut();
    void ShowDialogs(bool show);
    // A box keeps the window waiting (an alert, a question): the commands of
    // the tray menu bring it forward instead of opening a dialog over it.
    bool BringWaitingBoxForward();
    // The tray icon and its menu, as the form describes them, then the
    // icon's after-load step.
    void CreateTrayIcon();
    void OnCommand(int id);
    // Enter where no button has the focus: on the list, "Modifica Evento".
    void OnEnter();
    LRESULT OnControlColor(HDC dc, HWND control);
    bool OnListCommand(const NMHDR& header);
    void PaintPanel();
    void DrawButton(const DRAWITEMSTRUCT& item);
    // Reports wait for the message loop: a row found unreadable while the
    // list paints or the timer ticks is shown after that work is done, all
    // those found meanwhile in one box, and never a box over another.
    void ReportLater(const std::exception& error);
    void ShowPendingReports();

    ProgramState& state_;
    Services& services_;
    UnreadableRows unreadable_;
    std::vector<std::string> pendingReports_;
    bool showingReports_ = false;
    bool closeWhenAnswered_ = false;  // a close asked for while a box waited
    std::vector<HWND> hiddenDialogs_;  // the dialogs that went with the window
    EventListView listView1_;
    win::Timer timer1_;
    AlertPortsWin alertPorts_;
    AlertScheduler scheduler_;
    win::UniqueImageList imageList1_;
    win::UniqueIcon programIcon_;
    std::array<win::UniqueGdiObject, 4> menuPictures_;
    std::array<win::UniqueIcon, 6> buttonPictures_;
    win::Tooltips tooltips_;
    TFDialog* fDialog_ = nullptr;
    TFOpzioni* fOpzioni_ = nullptr;
    std::unique_ptr<TFDialog> ownDialog_;
    std::unique_ptr<TFOpzioni> ownOptions_;
    tray::PopupMenu pMenu1_;
    std::unique_ptr<tray::TTrayIcon> trayI_;
    win::UniqueGdiObject font_;
    win::UniqueGdiObject titleFont_;
    win::UniqueGdiObject panelBrush_;
};

}  // namespace ricordex::ui
