#include "win/application.h"

#include <algorithm>
#include <utility>

#include "core/errors.h"
#include "win/message_box.h"
#include "win/start_marks.h"
#include "win/text.h"

namespace ricordex::win {
namespace {

// Posted by the application window to itself when it is activated.
constexpr UINT kPassActivationOn = WM_APP + 100;
constexpr UINT_PTR kFinishStartTimer = 1;
constexpr UINT kFinishStartRetry = 100;  // ms

}  // namespace

Application& Application::Instance() {
    static Application application;
    return application;
}

void Application::Initialize(const std::wstring& title, HICON icon, HICON smallIcon) {
    title_ = title;
    RegisterWindowClass(kApplicationClass, icon, smallIcon);
    // A zero-size window in the middle of the screen: only its taskbar
    // button is ever seen.
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    Create(kApplicationClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
           0, x, y, 0, 0, nullptr);
}

void Application::SetMainForm(HWND form) { mainForm_ = form; }

void Application::FinishStart() {
    if (!startRemainder_) return;
    const std::function<void()> work = std::exchange(startRemainder_, nullptr);
    try {
        work();
    } catch (const std::exception& error) {
        HandleException(error);
    }
    MarkStart("start finished");
}


void Application::Minimize() { ::ShowWindow(Handle(), SW_MINIMIZE); }

void Application::ProcessMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void Application::ShowError(const std::string& message) { ShowBox(Cp1252ToWide(ErrorBoxText(message)), MB_ICONERROR); }

void Application::ShowNotice(const std::string& message) { ShowBox(Cp1252ToWide(message), MB_ICONINFORMATION); }

void Application::ShowBox(const std::wstring& text, UINT icon) {
    if (errorSink_) {
        errorSink_(text);
        return;
    }
    // A text that comes while a box is open (from a tick or a paint in the
    // box's own loop) waits for it: never one box over another.
    queuedBoxes_.emplace_back(text, icon);
    if (errorBoxOpen_) return;
    errorBoxOpen_ = true;
    while (!queuedBoxes_.empty()) {
        const auto [next, nextIcon] = std::move(queuedBoxes_.front());
        queuedBoxes_.pop_front();
        HWND owner = mainForm_ != nullptr && ::IsWindowVisible(mainForm_) ? mainForm_ : Handle();
        // With every form in the notification area, the box's owner is
        // hidden: only on top is it seen, and the forms wait for it.
        const UINT onTop = AnyFormVisible() ? 0 : MB_TOPMOST;
        const FormsWaitingFor box(owner);
        ShowMessageBox({owner, next, title_, MB_OK | nextIcon | onTop, LANG_NEUTRAL});
    }
    errorBoxOpen_ = false;
}

bool Application::AnyFormVisible() const {
    return std::any_of(forms_.begin(), forms_.end(), [](HWND form) { return ::IsWindowVisible(form) != FALSE; });
}

void Application::RemoveForm(HWND form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (lastActiveForm_ == form) lastActiveForm_ = nullptr;
    if (mainForm_ == form) mainForm_ = nullptr;
}

void Application::FinishStartBeforeCommand() {
    if (startRemainder_ && loopRunning_ && boxesOpen_ == 0) FinishStart();
}

namespace {

// What starts a command: a key pressed, a button pressed. Not a move (the
// window appearing under the mouse), nor a release (the Enter that started
// the program).
bool StartsACommand(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: return true;
    default: return false;
    }
}

}  // namespace

void Application::Dispatch(MSG& message) {
    if (startRemainder_ && StartsACommand(message.message)) {
        const int boxesBefore = boxesShown_;
        FinishStartBeforeCommand();
        // A question came of it: the key or click was meant for the window
        // as it was.
        if (boxesShown_ != boxesBefore) return;
    }
    if (NavigateForms(message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

std::vector<HWND> Application::DisableFormsBeside(HWND owner) {
    ++boxesOpen_;
    ++boxesShown_;
    // Hidden forms too: one shown while the box waits (the main window
    // called back from the tray brings its dialogs) must wait as well.
    std::vector<HWND> disabled;
    disabled.reserve(forms_.size());
    for (HWND form : forms_) {
        if (form != owner && ::IsWindowEnabled(form)) {
            disabled.push_back(form);
            ::EnableWindow(form, FALSE);
        }
    }
    return disabled;
}

void Application::EnableForms(const std::vector<HWND>& forms, HWND wasActive, HWND owner) {
    --boxesOpen_;
    if (boxesOpen_ > 0) {
        // Another box is still open (an alert that came during a question):
        // the window this box gave back must go on waiting for it.
        if (owner != nullptr && ::IsWindow(owner)) ::EnableWindow(owner, FALSE);
        for (HWND form : forms) {
            if (::IsWindow(form)) ::EnableWindow(form, FALSE);
        }
        return;
    }
    // The last box: every window any of them left waiting is given back
    // (boxes answered out of order leave some to the last one).
    std::vector<HWND> waiting = forms_;
    waiting.push_back(Handle());
    for (HWND window : waiting) {
        if (window != nullptr && ::IsWindow(window) && !::IsWindowEnabled(window)) ::EnableWindow(window, TRUE);
    }
    // The box gave the activation to its owner; the form the user was in
    // takes it back.
    if (std::find(forms.begin(), forms.end(), wasActive) != forms.end() && ::IsWindow(wasActive) &&
        ::IsWindowVisible(wasActive)) {
        ::SetForegroundWindow(wasActive);
    }
}

HWND Application::WaitingBox() const {
    for (HWND waiting : {mainForm_, Handle()}) {
        if (waiting == nullptr || ::IsWindowEnabled(waiting)) continue;
        HWND box = FrontWindowOf(waiting);
        if (box != waiting) return box;
    }
    return nullptr;
}

bool Application::NavigateForms(MSG& message) {
    // By index, not by iterator: a message dispatched here may make a form.
    for (std::size_t i = 0; i < forms_.size(); ++i) {
        HWND form = forms_[i];
        if (!::IsWindowVisible(form) || !::IsWindowEnabled(form)) continue;
        if (message.hwnd != form && !::IsChild(form, message.hwnd)) continue;
        if (::IsDialogMessageW(form, &message)) return true;
    }
    return false;
}

int Application::Run() {
    if (showMainForm_ && mainForm_ != nullptr) {
        ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
        ::ShowWindow(mainForm_, SW_SHOW);
        ::SetForegroundWindow(mainForm_);
        ::UpdateWindow(mainForm_);  // painted before any key or click is taken
    }
    loopRunning_ = true;
    const struct LoopEnds {
        bool& running;
        ~LoopEnds() { running = false; }
    } loopEnds{loopRunning_};
    MarkStart("message loop");
    MSG message;
    // The first moment with no message waiting: the window's first paint
    // done (the display may still send more).
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        Dispatch(message);
    }
    MarkStart("waiting for input");
    // The rest of the start once the loop has waited: it is a timer's, and
    // what the user types or clicks meanwhile comes first.
    if (startRemainder_) ::SetTimer(Handle(), kFinishStartTimer, USER_TIMER_MINIMUM, nullptr);
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
    return static_cast<int>(message.wParam);
}

HWND Application::ActivationTarget() const {
    // The form last active, else the main form; or the box one of them waits for.
    for (HWND form : {lastActiveForm_, mainForm_}) {
        if (form == nullptr || !::IsWindowVisible(form)) continue;
        HWND front = FrontWindowOf(form);
        if (::IsWindowEnabled(front)) return front;
    }
    if (mainForm_ != nullptr && !::IsWindowEnabled(mainForm_)) return FrontWindowOf(mainForm_);
    return mainForm_ != nullptr && ::IsWindowVisible(mainForm_) ? mainForm_ : nullptr;
}

HWND FrontWindowOf(HWND form) {
    if (form == nullptr || ::IsWindowEnabled(form)) return form;
    const Application& application = Application::Instance();
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetWindow(w, GW_OWNER) == form && ::IsWindowVisible(w) && ::IsWindowEnabled(w) &&
            (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0 && !application.IsForm(w)) {
            return w;
        }
    }
    return form;
}

void DropPendingInput() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (::PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

bool RunningOnWine() {
    static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

void Application::PassActivationOn() {
    if (::GetActiveWindow() != Handle()) return;  // something took it already
    if (HWND target = ActivationTarget()) ::SetForegroundWindow(target);
}

LRESULT Application::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // The taskbar button, Alt+Tab and the window manager activate this
        // window, which has nothing to show: the activation belongs to the
        // form in front. Passed on once the activation is over.
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) ::PostMessageW(Handle(), kPassActivationOn, 0, 0);
        return 0;
    case WM_TIMER:
        if (wParam != kFinishStartTimer) return Window::HandleMessage(message, wParam, lParam);
        // Never a question over a box (an error of the start still open):
        // looked at again a little later.
        if (boxesOpen_ > 0) {
            ::SetTimer(Handle(), kFinishStartTimer, kFinishStartRetry, nullptr);
            return 0;
        }
        ::KillTimer(Handle(), kFinishStartTimer);
        FinishStart();
        return 0;
    case kPassActivationOn:
        PassActivationOn();
        return 0;
    case WM_CLOSE:
        // A close request from the taskbar takes the main form's way out.
        if (mainForm_ != nullptr) ::PostMessageW(mainForm_, WM_CLOSE, 0, 0);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace ricordex::win
