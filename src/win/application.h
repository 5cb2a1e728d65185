#pragma once
// The application object: a hidden top-level window that carries the
// program's taskbar button and owns the main form, the switch that shows the
// main form when the message loop starts, and the default error box.

#include <algorithm>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win/window.h"

namespace ricordex::win {

inline constexpr wchar_t kApplicationClass[] = L"Ricordex.TApplication";

class Application : public Window {
public:
    static Application& Instance();

    void Initialize(const std::wstring& title, HICON icon = nullptr, HICON smallIcon = nullptr);
    const std::wstring& Title() const { return title_; }

    // The main window, created first; closing it ends the loop.
    void SetMainForm(HWND form);
    HWND MainForm() const { return mainForm_; }

    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    // Minimising the application window hides the windows it owns.
    void Minimize();
    void ProcessMessages();

    // The default error box: the text (with the full-stop rule), titled
    // with the application's title, OK and the error icon; on top of every
    // window while no form is shown. A text that comes while a box is open
    // waits for it: never one box over another.
    void ShowError(const std::string& text);
    void HandleException(const std::exception& error) { ShowError(error.what()); }
    // The same with the information icon, the text as it is: what went
    // well although it looked wrong.
    void ShowNotice(const std::string& text);
    // Tests take the reports instead of a box.
    using ErrorSink = std::function<void(const std::wstring& text)>;
    void SetErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

    // The forms (the main form and the modeless dialogs) get their keyboard
    // navigation from the loop: Tab, Enter, Escape.
    void AddForm(HWND form) { forms_.push_back(form); }
    bool IsForm(HWND window) const { return std::find(forms_.begin(), forms_.end(), window) != forms_.end(); }
    void RemoveForm(HWND form);
    // Whether the user sees any of the forms, or only the tray icon.
    bool AnyFormVisible() const;
    // A form became the active window: the one the taskbar button brings back.
    void FormActivated(HWND form) { lastActiveForm_ = form; }
    // While a box is open, the forms other than its owner wait too, as they
    // would for a modal dialog: disabled, then given back, the activation
    // to the one that had it. The forms it disabled are returned for
    // EnableForms.
    std::vector<HWND> DisableFormsBeside(HWND owner);
    void EnableForms(const std::vector<HWND>& forms, HWND wasActive, HWND owner);
    HWND LastActiveForm() const { return lastActiveForm_; }
    // How many of the program's boxes are open now, nested ones included.
    int BoxesOpen() const { return boxesOpen_; }
    // The box in front of those open, found through the windows that wait for it.
    HWND WaitingBox() const;

    // Shows the main form when the switch is on, then runs the message loop
    // until the main form is destroyed. Once the loop has first waited with
    // nothing to do (the window painted), the start's remaining work runs.
    int Run();
    // A key or a click that comes earlier runs it first; when that asks a
    // question, the key or click, meant for the window as it was, is dropped.
    void SetStartRemainder(std::function<void()> work) { startRemainder_ = std::move(work); }
    // Runs it now, if it has not run: the loop's first idle moment, or a
    // test's.
    void FinishStart();
    // Runs it before a command that does not come through the loop (the
    // tray icon's, which the shell may send), unless a box is open or the
    // loop has not started: the box's answer, or the loop, comes first.
    void FinishStartBeforeCommand();
    // One pass of the loop's dispatching, shared with nested loops.
    void Dispatch(MSG& message);
    // The forms' keyboard navigation: true when a form took the message.
    bool NavigateForms(MSG& message);

    // The window that activating the program means: the form last active,
    // or the box that keeps it disabled.
    HWND ActivationTarget() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Application() = default;
    void PassActivationOn();

    std::wstring title_;
    HWND mainForm_ = nullptr;
    bool showMainForm_ = true;
    ErrorSink errorSink_;
    void ShowBox(const std::wstring& text, UINT icon);
    std::deque<std::pair<std::wstring, UINT>> queuedBoxes_;
    bool errorBoxOpen_ = false;
    std::vector<HWND> forms_;
    HWND lastActiveForm_ = nullptr;
    int boxesOpen_ = 0;
    std::function<void()> startRemainder_;
    bool loopRunning_ = false;
    int boxesShown_ = 0;  // ever: a question asked by the start's rest shows here
};

// A box of the program, open while the forms wait for it (see
// Application::DisableFormsBeside).
class FormsWaitingFor {
public:
    explicit FormsWaitingFor(HWND owner)
        : owner_(owner),
          wasActive_(Application::Instance().LastActiveForm()),
          disabled_(Application::Instance().DisableFormsBeside(owner)) {}
    ~FormsWaitingFor() { Application::Instance().EnableForms(disabled_, wasActive_, owner_); }
    FormsWaitingFor(const FormsWaitingFor&) = delete;
    FormsWaitingFor& operator=(const FormsWaitingFor&) = delete;

private:
    HWND owner_;
    HWND wasActive_;
    std::vector<HWND> disabled_;
};

// The window that takes the activation meant for a form: the form itself,
// or, while a box of its own keeps it disabled, that box (Wine's
// GW_ENABLEDPOPUP finds nothing, so the windows are walked front to back;
// the program's other forms, enabled beside the box, are passed over).
HWND FrontWindowOf(HWND form);

// Drops the keys and clicks waiting in this thread's queue.
void DropPendingInput();

// True under Wine, whose window manager needs a hand in places.
bool RunningOnWine();

}  // namespace ricordex::win
