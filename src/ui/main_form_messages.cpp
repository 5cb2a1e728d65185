// The main window's messages: which handler each one calls, and the
// window's life beside the notification area and the boxes.
#include "ui/main_form.h"

#include <utility>

#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "win/application.h"
#include "win/session_end.h"
#include "win/start_marks.h"

namespace ricordex::ui {

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT showMainWindow = ::RegisterWindowMessageW(kShowMainWindowMessage);
    if (message == showMainWindow && trayI_) {
        OnShowMainWindowAsked();
        return 0;
    }
    switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_TIMER:
        if (wParam != kTimer1 && wParam != kShowHiddenDialogsTimer) break;  // the form's own
        OnTimer(wParam);
        return 0;
    case kShowPendingReports: reports_.ShowAll(); return 0;
    case kArchiveLooked: OnArchiveLooked(); return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) OnResume();
        if (wParam == PBT_APMSUSPEND) OnSuspend();
        return TRUE;
    case WM_TIMECHANGE:
        scheduler_.ClockChanged();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (listView1_.HandleNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
        break;
    }
    case WM_PAINT:
        if (!ControlsCreated()) break;  // nothing of its own to draw yet: validated by default
        PaintPanel();
        return 0;
    case WM_DRAWITEM: DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE: OnClose(); return 0;
    case WM_ACTIVATE:
        tooltips_.SetActive(LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_SHOWWINDOW:
        if (wParam && !ControlsCreated()) CreateControls();
        // Also when the system hides it with the minimised application window.
        if (lParam == 0 || lParam == SW_PARENTCLOSING || lParam == SW_PARENTOPENING) ShowDialogs(wParam != FALSE);
        break;
    case WM_ENABLE:
        // A box is answered: once none is left, the close asked for
        // meanwhile goes ahead.
        if (wParam && closeWhenAnswered_) ::PostMessageW(Handle(), kCloseIfAnswered, 0, 0);
        return 0;
    case kCloseIfAnswered:
        if (closeWhenAnswered_ && win::Application::Instance().BoxesOpen() == 0 && ::IsWindowEnabled(Handle())) {
            closeWhenAnswered_ = false;
            ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wParam) OnEndSession((lParam & ENDSESSION_CLOSEAPP) != 0);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

void TFMain::OnCreate() {
    win::Application& application = win::Application::Instance();
    application.SetMainForm(Handle());
    application.AddForm(Handle());  // Tab and Enter as in a dialog
    win::MarkStart("main window");
    CreateTrayIcon();
    timer1_.Bind(Handle());  // ticking once the start is finished
    application.SetStartRemainder([this] { FinishStart(); });
    FormCreate();
    win::MarkStart("settings");
}

void TFMain::OnTimer(UINT_PTR id) {
    if (id == kTimer1) {
        Timer1Timer();
        return;
    }
    ::KillTimer(Handle(), kShowHiddenDialogsTimer);
    ShowHiddenDialogs();
}

void TFMain::OnSuspend() {
    // The machine may never wake (a battery that runs out): the next start
    // must know up to where the list was seen.
    RememberExaminedQuietly(false);
}

void TFMain::OnResume() {
    // Back from sleep: a new run, for the rows alerted once a run; look at
    // the list within a second, not at the next tick, and not in here,
    // where an alert would hold up the system's broadcast. An alert already
    // open keeps the timer held off. Both resume notices may come: the
    // second only starts the run again in the same minute.
    FinishLoad();
    BeginRunAtResume(state_, services_);
    scheduler_.ClockChanged();
    scheduler_.NewRun();
    // The archive is looked at before the list is judged (a look still
    // under way from before the sleep is waited for instead).
    const auto now = std::chrono::steady_clock::now();
    if (archiveWatch_.Look(FollowRequest(state_, services_.clock.Now()), now) || archiveWatch_.Looking()) {
        judgeAfterLookUntil_ = now + ArchiveWatch::kSlowLook;
    }
    if (timer1_.Interval() != kHoldOffInterval) timer1_.SetInterval(kSoonInterval);
}

void TFMain::OnEndSession(bool closeApp) {
    // Nobody is there to answer a question: every change is kept. A save
    // that takes a while (a network folder) tells the user why Windows waits.
    {
        const win::UniqueShutdownBlockReason reason =
            win::BlockShutdownWhile(Handle(), L"Salvataggio delle scadenze in corso...");
        FinishLoad();
        SaveAtEndOfSession(state_, services_);
    }
    // An installer or an update closes the program and the session goes on:
    // the program ends itself, and Windows starts it again afterwards. Its
    // loop ends, and with it any box, menu or dialog waiting in it, before
    // the window goes: nothing is destroyed under code still running.
    if (closeApp) ::PostQuitMessage(0);
}

void TFMain::OnShowMainWindowAsked() {
    win::Application::Instance().FinishStartBeforeCommand();
    trayI_->ShowMainWindow();
    // The form the user was in (the editor, say), or the box that waits.
    HWND target = win::Application::Instance().ActivationTarget();
    ::SetForegroundWindow(target != nullptr ? target : Handle());
}

void TFMain::OnClose() {
    // While a box keeps the window waiting, a close request (the tray menu,
    // an uninstaller) brings the box forward and waits for its answer:
    // closing under it would end its question, or an alert, half-way.
    if (BringWaitingBoxForward()) {
        closeWhenAnswered_ = true;
        return;
    }
    // Any other close request ends the program, once FormClose has saved;
    // what the save had to tell is shown before the window goes.
    FinishLoad();
    FormClose();
    reports_.ShowAll();
    ::DestroyWindow(Handle());
}

void TFMain::OnDestroy() {
    timer1_.SetEnabled(false);
    win::Application::Instance().SetStartRemainder(nullptr);  // the window it was for is going
    win::Application::Instance().RemoveForm(Handle());
    // The dialogs go with the window, and nothing points at them after.
    fDialog_.reset();
    fOpzioni_.reset();
    trayI_.reset();  // the icon leaves the notification area with the window
    ::PostQuitMessage(0);
}

void TFMain::OnCommand(int id) {
    switch (id) {
    case kBChiudi: BChiudiClick(); break;
    case kBNuovoEvento: BNuovoEventoClick(); break;
    case kBModificaEvento: BModificaEventoClick(); break;
    case kBEliminaEvento: EliminaEvento(); break;
    case kBOpzioni: BOpzioniClick(); break;
    case kBHelp: BHelpClick(); break;
    case IDOK: OnEnter(); break;
    default: break;
    }
}

void TFMain::OnEnter() {
    if (::GetFocus() == listView1_.Handle()) BModificaEventoClick();
}

void TFMain::ShowDialogs(bool show) {
    for (const win::Form* dialog : {static_cast<const win::Form*>(fDialog_.get()),
                                    static_cast<const win::Form*>(fOpzioni_.get())}) {
        if (dialog == nullptr) continue;
        HWND window = dialog->Handle();
        if (!show && ::IsWindowVisible(window)) {
            hiddenDialogs_.push_back(window);
            ::ShowWindow(window, SW_HIDE);
        }
    }
    // Back a moment after the window itself is shown and raised: shown
    // before, Wine's desktop would leave them behind it.
    if (show && !hiddenDialogs_.empty()) ::SetTimer(Handle(), kShowHiddenDialogsTimer, 150, nullptr);
}

void TFMain::ShowHiddenDialogs() {
    // The dialog comes back where the user left it, taking the keys as a
    // window called back does (and only so is it raised).
    if (!::IsWindowVisible(Handle())) return;
    for (HWND window : std::exchange(hiddenDialogs_, {})) {
        ::ShowWindow(window, SW_SHOW);
        ::SetForegroundWindow(window);
    }
}

bool TFMain::BringWaitingBoxForward() {
    // Error boxes shown while the window is in the tray belong to the
    // application window: counted all the same.
    win::Application& application = win::Application::Instance();
    if (application.BoxesOpen() == 0 && ::IsWindowEnabled(Handle())) return false;
    if (HWND box = application.WaitingBox()) ::SetForegroundWindow(box);
    return true;
}

}  // namespace ricordex::ui
