// The three forms as they look at each scale: every caption whole in the
// font the machine really has, the calendar at least as large as it needs,
// and a move to a monitor of another scale laying everything out again.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "win/main_form_fixture.h"

namespace ricordex::ui {
namespace {

SIZE TextSize(HWND window, const std::wstring& text, HFONT font) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

int Width(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r.right - r.left;
}

std::vector<HWND> Children(HWND form) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(form, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

class LayoutTest : public MainFormTest {
protected:
    void OpenAll() {
        Open();
        dialog_ = &form_->FDialog();
        options_ = &form_->FOpzioni();
    }
    std::vector<HWND> Forms() const { return {form_->Handle(), dialog_->Handle(), options_->Handle()}; }

    // As the system tells a window moved to a monitor of that scale.
    static void MoveToScale(HWND form, UINT dpi) {
        RECT suggested{};
        ::GetWindowRect(form, &suggested);
        ::SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }

    // What does not fit of each caption a user reads: labels, check boxes
    // (their box and gap included), the main window's picture buttons, whose
    // captions are drawn under their pictures, and the list's headers.
    std::vector<std::wstring> Clipped(HWND form, UINT dpi) {
        std::vector<std::wstring> clipped;
        const bool main = form == form_->Handle();
        for (HWND control : Children(form)) {
            const std::wstring text = TextOf(control);
            const std::wstring kind = ClassOf(control);
            const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
            int needed = 0;
            if (text.empty()) continue;
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
            const int textWidth = TextSize(control, win::ShownCaption(text), font).cx;
            if (_wcsicmp(kind.c_str(), L"STATIC") == 0) needed = textWidth;
            if (_wcsicmp(kind.c_str(), L"BUTTON") == 0 && type == BS_AUTOCHECKBOX) {
                needed = textWidth + ::MulDiv(13 + 4, static_cast<int>(dpi), 96);
            }
            if (_wcsicmp(kind.c_str(), L"BUTTON") == 0 && type == BS_OWNERDRAW && main) needed = textWidth;
            if (needed > Width(control)) clipped.push_back(text + L" @" + std::to_wstring(dpi));
        }
        // A caption grown to its font never runs over another control.
        const std::vector<HWND> children = Children(form);
        for (std::size_t i = 0; i < children.size(); ++i) {
            for (std::size_t j = i + 1; j < children.size(); ++j) {
                RECT a{}, b{}, both{};
                ::GetWindowRect(children[i], &a);
                ::GetWindowRect(children[j], &b);
                // A pixel of rounding where two controls meet is no overlap.
                if (::IntersectRect(&both, &a, &b) && both.right - both.left > 2 && both.bottom - both.top > 2) {
                    clipped.push_back(TextOf(children[i]) + L" over " + TextOf(children[j]) + L" @" +
                                      std::to_wstring(dpi));
                }
            }
        }
        if (main) {
            HWND header = ListView_GetHeader(List());
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(header, WM_GETFONT, 0, 0));
            for (int i = 0; i < Header_GetItemCount(header); ++i) {
                wchar_t caption[64] = {};
                HDITEMW item{};
                item.mask = HDI_TEXT | HDI_WIDTH;
                item.pszText = caption;
                item.cchTextMax = 64;
                Header_GetItem(header, i, &item);
                // The header's own margins either side of the text.
                if (TextSize(header, caption, font).cx + ::MulDiv(12, static_cast<int>(dpi), 96) > item.cxy) {
                    clipped.push_back(std::wstring(caption) + L" @" + std::to_wstring(dpi));
                }
            }
        }
        return clipped;
    }

    TFDialog* dialog_ = nullptr;
    TFOpzioni* options_ = nullptr;
};

TEST_F(LayoutTest, EveryCaptionIsWholeAndTheCalendarWholeAtEveryScaleAndBack) {
    OpenAll();
    HWND calendar = ::FindWindowExW(dialog_->Handle(), nullptr, MONTHCAL_CLASSW, nullptr);
    for (UINT dpi : {96u, 120u, 144u, 192u, 96u}) {
        for (HWND form : Forms()) {
            MoveToScale(form, dpi);
            for (const std::wstring& text : Clipped(form, dpi)) ADD_FAILURE() << "clipped: " << text;
            // Laid out again for the scale: the fonts are made for it.
            LOGFONTW font{};
            HWND anyControl = ::GetWindow(form, GW_CHILD);
            ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(anyControl, WM_GETFONT, 0, 0)), sizeof(font), &font);
            EXPECT_EQ(font.lfHeight, -::MulDiv(11, static_cast<int>(dpi), 96)) << TextOf(form) << " @" << dpi;
        }
        RECT needed{}, shown{};
        ::SendMessageW(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed));
        ::GetClientRect(calendar, &shown);
        EXPECT_GE(shown.right, needed.right - needed.left) << dpi;
        EXPECT_GE(shown.bottom, needed.bottom - needed.top) << dpi;
    }
}

// Made while the system's scale was another (a laptop docked, the scale
// changed without signing out): from its first show, the window has the
// size its layout takes on its monitor, "Chiudi" and the list whole.
TEST_F(LayoutTest, AWindowFirstShownOnAMonitorOfAnotherScaleFitsItsLayout) {
    form_ = std::make_unique<TFMain>(state_, services_);
    win::SetFormDpi(form_->Handle(), 144);
    ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
    RECT client{};
    ::GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 798 * 3 / 2);
    EXPECT_EQ(client.bottom, 378 * 3 / 2);
    for (HWND control : {::FindWindowExW(form_->Handle(), nullptr, L"BUTTON", L"Chiudi"), List()}) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_LE(r.right, client.right) << TextOf(control);
    }
}

TEST_F(LayoutTest, AMoveToAMonitorOfAnotherScaleLaysTheWindowOutAgain) {
    OpenAll();
    HWND main = form_->Handle();
    MoveToScale(main, 144);
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 798 * 3 / 2);
    EXPECT_EQ(client.bottom, 378 * 3 / 2);
    RECT list{};
    ::GetWindowRect(List(), &list);
    EXPECT_EQ(list.bottom - list.top, 344 * 3 / 2);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(List(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -17);  // 11 pixels at 96 DPI, 16.5 rounded
    int icon = 0, iconHeight = 0;
    ImageList_GetIconSize(ListView_GetImageList(List(), LVSIL_SMALL), &icon, &iconHeight);
    EXPECT_EQ(icon, 24);

    // The options grow where a caption would reach the panel, never less.
    HWND options = options_->Handle();
    MoveToScale(options, 144);
    ::GetClientRect(options, &client);
    EXPECT_GE(client.right, 468 * 3 / 2);
    RECT panelButton{};
    ::GetWindowRect(::FindWindowExW(options, nullptr, L"BUTTON", L"Conferma"), &panelButton);
    for (HWND child : Children(options)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        if (r.right <= panelButton.left) continue;
        EXPECT_GE(r.left, panelButton.left - 2) << TextOf(child) << " reaches the panel";
    }
}

}  // namespace
}  // namespace ricordex::ui
