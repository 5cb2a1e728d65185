#include "ui/palette.h"

#include "win/unique_handle.h"

namespace ricordex::ui {
namespace {

struct InkColours {
    COLORREF own;
    int system;  // the system colour that stands for it
};

InkColours ColoursOf(Ink ink) {
    switch (ink) {
    case Ink::Panel: return {RGB(216, 216, 216), COLOR_BTNFACE};
    case Ink::Field: return {RGB(226, 226, 226), COLOR_WINDOW};
    case Ink::Caption: return {RGB(128, 128, 128), COLOR_BTNTEXT};
    case Ink::Title: return {RGB(0, 0, 128), COLOR_BTNTEXT};
    case Ink::Warning: return {RGB(128, 0, 0), COLOR_BTNTEXT};
    }
    return {RGB(0, 0, 0), COLOR_BTNTEXT};
}

// Perceived lightness, 0 to 255.
int Lightness(COLORREF colour) {
    return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
}

}  // namespace

bool SystemColoursOnly() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
        return true;
    }
    // A dark scheme: the program's light greys would carry light text.
    return Lightness(::GetSysColor(COLOR_BTNFACE)) < 128 || Lightness(::GetSysColor(COLOR_WINDOW)) < 128;
}

COLORREF Colour(Ink ink) {
    const InkColours colours = ColoursOf(ink);
    return SystemColoursOnly() ? ::GetSysColor(colours.system) : colours.own;
}

HBRUSH Brush(Ink ink) {
    const InkColours colours = ColoursOf(ink);
    if (SystemColoursOnly()) return ::GetSysColorBrush(colours.system);
    // The program's own colours never change: one brush each, for its life.
    static win::UniqueBrush panel(::CreateSolidBrush(ColoursOf(Ink::Panel).own));
    static win::UniqueBrush field(::CreateSolidBrush(ColoursOf(Ink::Field).own));
    if (ink == Ink::Panel) return panel.get();
    if (ink == Ink::Field) return field.get();
    return ::GetSysColorBrush(colours.system);  // inks that are never a background
}

}  // namespace ricordex::ui
