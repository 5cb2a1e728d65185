#pragma once
// Flat picture buttons (owner-drawn push buttons) and their tooltips.

#include <windows.h>

#include <span>

namespace ricordex::win {

// A flat button of a form's table, its picture (an icon resource) and the
// hint its tooltip shows.
struct PictureButtonSpec {
    int id;
    int picture;
    const wchar_t* hint;
};

enum class GlyphPlacement { Above, Right, Alone };

struct FlatButtonLook {
    HICON picture;
    GlyphPlacement placement;
    COLORREF background;
    COLORREF text;
    HFONT font;
    int spacing = 4;  // pixels between picture and caption
};

// Draws one state of a flat button: no frame at rest, a raised one and a
// focus rectangle when it has the focus, a sunken one while pressed.
void DrawFlatButton(const DRAWITEMSTRUCT& item, const FlatButtonLook& look);

// Makes an owner-drawn button behave as a flat push button: Enter presses it
// when it has the focus (the dialog manager sends Enter to a focused button
// only when it says it is the default push button), and a mouse click
// presses it without taking the focus from the control the user works in,
// as a toolbar button does. Tab and Space reach it as any button.
void AttachFlatButton(HWND button);

// One tooltip control for a form; each tool shows its text when the mouse
// rests on it.
class Tooltips {
public:
    void Create(HWND form);
    void Add(HWND tool, const wchar_t* text);
    // Each picture button of the form, with its hint.
    void AddHints(HWND form, std::span<const PictureButtonSpec> buttons);
    HWND Handle() const { return tooltip_; }
    // Hints only while the form is the active window: a button that opens
    // a dialog must not leave its hint over it, nor show it again there.
    void SetActive(bool active) const;

private:
    HWND tooltip_ = nullptr;  // destroyed with its owner form
};

}  // namespace ricordex::win
