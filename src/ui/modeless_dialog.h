#pragma once
// What the two dialogs share: a fixed frame centred on the desktop, owned by
// the main form so that it stays in front of it (also while the main form is
// hidden in the notification area), created once and shown modeless (the message loop
// gives it keyboard navigation, Enter "Conferma" and Escape "Annulla"); the
// form's fonts and colours; a panel.

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "ui/palette.h"
#include "win/controls.h"
#include "win/flat_button.h"
#include "win/form.h"
#include "win/unique_handle.h"
#include "win/window.h"

namespace ricordex::ui {

// How a dialog changes the list the main window shows: the change runs,
// then the list is shown again with its selection, also when it failed.
using ListChange = std::function<void(const std::function<void()>& change)>;

class ModelessDialog : public win::Form {
protected:
    ModelessDialog(HWND owner, const wchar_t* className, const wchar_t* caption, DWORD style, int clientWidth,
                   int clientHeight);
    ~ModelessDialog() override;

    // The controls of the form's table, those named in `bold` in bold, laid out.
    void CreateControls(std::span<const win::ControlSpec> table, std::initializer_list<int> bold);
    // Places the controls of the table for the form's DPI, with their fonts
    // made for it, each caption whole.
    void LayOut(const win::LayoutShift& shift = {});
    // After the dialog's own controls: the picture buttons' hints, the
    // room this machine's fonts need, the frame centred, the pictures.
    void FinishCreate(std::span<const win::PictureButtonSpec> pictureButtons);
    // Sized to its client area and centred on the desktop.
    void CentreOnScreen();
    // What the dialog adds to the layout for the fonts in use, and its
    // pictures for its DPI; again at every change of scale.
    virtual void MakeRoomForFonts() {}
    virtual void LoadPictures() {}
    void OnDpiChanged() final;
    void PaintPanel(const RECT& panelAt96) { win::PaintPanel(Handle(), panelAt96, PanelBrush()); }
    std::wstring Text(int id) const { return win::ControlText(Handle(), id); }

    HFONT Font() const { return font_.get(); }
    static HBRUSH FieldBrush() { return Brush(Ink::Field); }
    static HBRUSH PanelBrush() { return Brush(Ink::Panel); }

private:
    std::span<const win::ControlSpec> table_;
    std::vector<int> bold_;
    win::UniqueFont font_, boldFont_;
    win::Tooltips tooltips_;
};

}  // namespace ricordex::ui
