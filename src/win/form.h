#pragma once
// A form: a top-level window whose controls take the keyboard as in a
// dialog. It keeps the control that has, or last had, the focus and gives
// the focus back to it whenever the form is activated, so the frame itself
// never holds the keyboard; Enter without a focused button presses the
// form's default button.

#include "win/window.h"

namespace ricordex::win {

class Form : public Window {
public:
    // Focuses the control now when the form is active, else at activation.
    void SetActiveControl(HWND control);

protected:
    // The button Enter presses when no button has the focus; 0 for none
    // (the form then gets IDOK).
    virtual int DefaultButton() const { return 0; }

    // The client area's size at 96 DPI; the window keeps it at every DPI.
    void SetClientSizeAt96(int width, int height) { clientAt96_ = {width, height}; }
    SIZE ClientSizeAt96() const { return clientAt96_; }
    // Sizes the window to its client area at its DPI, keeping its top-left
    // corner, or at `at` when given.
    void FitWindowToClient(const POINT* at = nullptr);
    // After WM_DPICHANGED: the form lays out its controls, fonts and
    // pictures again for the new DPI (WindowDpi gives it) and sets its
    // client size; the window is then sized to it.
    virtual void OnDpiChanged() {}
    // The system's colours, its theme or high contrast changed: every
    // control has been told; the form sets again what it set from them.
    virtual void OnColoursChanged() {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The control last focused, while it can still take the focus, or the
    // first of the tab order.
    HWND RememberedControl() const;
    void FocusActiveControl();
    void KeepOwnedWindowsInFront();
    void ColoursChanged(UINT message);

    HWND activeControl_ = nullptr;
    SIZE clientAt96_{0, 0};
};

}  // namespace ricordex::win
