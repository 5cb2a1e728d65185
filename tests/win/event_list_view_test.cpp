#include "ui/event_list_view.h"

#include <array>

#include "support/archive_bytes.h"
#include "ui/dialog_form.h"
#include "ui/options_form.h"
#include "ui/palette.h"
#include "ui/resource_ids.h"
#include "win/pictures.h"
#include "win/main_form_fixture.h"

namespace ricordex::ui {
namespace {

struct Drawn {
    COLORREF text, background;
    int image;
};

class RowDrawingTest : public MainFormTest {
protected:
    Drawn Draw(std::size_t position, UINT itemState = 0) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = List();
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = position;
        draw.nmcd.uItemState = itemState;
        draw.clrText = kUntouched;
        form_->ListView1().ListView1CustomDrawItem(draw);
        return {draw.clrText, draw.clrTextBk, state_.list.At(position).Image()};
    }
    static constexpr COLORREF kUntouched = 0x123456;
};

TEST_F(RowDrawingTest, RowsShowTheirStatusOnBandsThatFollowTheOrder) {
    clock_.now = EncodeDateTime({2026, 12, 7, 12, 0, 0, 0});
    Open();
    // Description order: a b c d e.
    state_.list.AggiungiRiga({"a passato", "2 giorni prima", "06/12", "12.00", "Ogni ora", "Annuale", "x"}, 0);
    state_.list.AggiungiRiga({"b imminente", "2 giorni prima", "08/12", "00.00", "Ogni ora", "Annuale", "x"}, 0);
    state_.list.AggiungiRiga({"c in attesa", "2 giorni prima", "08/12", "23.59", "Ogni ora", "Annuale", "x"}, 0);
    state_.list.AggiungiRiga({"d lontano", "2 giorni prima", "10/12", "12.00", "Ogni ora", "Annuale", "x"}, 0);
    state_.list.AggiungiRiga({"e senza segno", "10 minuti prima", "07/12", "17.00", "Ogni ora", "Annuale", "x"}, 1);
    form_->ListView1().Refresh();

    const Drawn past = Draw(0), imminent = Draw(1), pending = Draw(2), distant = Draw(3), unmarked = Draw(4);
    EXPECT_EQ(past.text, TextColourOf(RowStatus::Past));
    EXPECT_EQ(past.image, static_cast<int>(RowStatus::Past));
    EXPECT_EQ(imminent.text, TextColourOf(RowStatus::Imminent));
    EXPECT_EQ(imminent.image, static_cast<int>(RowStatus::Imminent));
    EXPECT_EQ(pending.text, TextColourOf(RowStatus::Pending));
    EXPECT_EQ(pending.image, static_cast<int>(RowStatus::Pending));
    EXPECT_EQ(distant.text, TextColourOf(RowStatus::Distant));
    EXPECT_EQ(distant.image, static_cast<int>(RowStatus::Distant));
    EXPECT_EQ(unmarked.text, kUntouched);  // the list's own colour
    EXPECT_EQ(unmarked.image, 1);          // and the icon it was added with
    EXPECT_EQ(past.background, kEvenBackground);
    EXPECT_EQ(imminent.background, kOddBackground);
    EXPECT_EQ(pending.background, kEvenBackground);
    EXPECT_EQ(Draw(1, CDIS_FOCUS).background, kFocusedBackground);

    // By date "e" comes second; the bands stay with the positions.
    state_.list.SortBy(2);
    EXPECT_EQ(state_.list.At(1).Text(kDescrizione), "e senza segno");
    EXPECT_EQ(Draw(1).background, kOddBackground);
    EXPECT_EQ(Draw(2).background, kEvenBackground);
    ListView_SetItemState(List(), 2, LVIS_SELECTED, LVIS_SELECTED);
    const Drawn selected = Draw(2, CDIS_SELECTED | CDIS_FOCUS);
    EXPECT_EQ(selected.background, ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(selected.text, TextColourOf(RowStatus::Imminent));  // "b imminente" still shows its status
    EXPECT_TRUE(errors_.empty());
}

TEST_F(RowDrawingTest, AnUnreadableRowIsDrawnWithItsBandAndReportedOnce) {
    clock_.now = EncodeDateTime({2026, 12, 7, 12, 0, 0, 0});
    Open();
    state_.list.AggiungiRiga({"impossibile", "1 giorno prima", "31/02", "10.00", "Ogni ora", "Annuale", "x"}, 0);
    form_->ListView1().Refresh();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Draw(0).background, kEvenBackground);
    win::PumpMessages();  // the report waits for the message loop
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"impossibile: '31/02 10.00' is not a valid date and time."});
}

// A dark scheme, as the contrast themes set: while it lasts, every colour
// of the list and of the main window's texts is the system's, and a change
// of scheme reaches the list at once.
class DarkScheme {
public:
    DarkScheme() {
        for (std::size_t i = 0; i < kElements.size(); ++i) saved_[i] = ::GetSysColor(kElements[i]);
        Set({RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 128, 255), RGB(0, 0, 0)});
    }
    ~DarkScheme() { Set(saved_); }

private:
    static constexpr std::array<int, 6> kElements = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                                                      COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
    static void Set(const std::array<COLORREF, 6>& colours) {
        ::SetSysColors(static_cast<int>(kElements.size()), kElements.data(), colours.data());
        win::PumpMessages();
    }
    std::array<COLORREF, 6> saved_{};
};

// The text colour a form gives a control when it asks before painting.
COLORREF TextColourAsked(HWND form, int id, UINT message) {
    HDC dc = ::GetDC(form);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageW(form, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(::GetDlgItem(form, id)));
    const COLORREF colour = ::GetTextColor(dc);
    ::ReleaseDC(form, dc);
    return colour;
}

TEST_F(RowDrawingTest, UnderADarkSchemeEveryColourIsTheSystems) {
    clock_.now = EncodeDateTime({2026, 12, 7, 12, 0, 0, 0});
    Open();
    state_.list.AggiungiRiga({"a passato", "2 giorni prima", "06/12", "12.00", "Ogni ora", "Annuale", "x"}, 0);
    state_.list.AggiungiRiga({"b imminente", "2 giorni prima", "08/12", "00.00", "Ogni ora", "Annuale", "x"}, 0);
    form_->ListView1().Refresh();
    {
        const DarkScheme dark;
        ASSERT_TRUE(SystemColoursOnly());
        ::SendMessageW(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);  // as the system tells a top-level window
        EXPECT_EQ(ListView_GetBkColor(List()), RGB(0, 0, 0)) << "the list follows the change at once";
        const Drawn past = Draw(0), imminent = Draw(1);
        EXPECT_EQ(past.text, RGB(255, 255, 255));
        EXPECT_EQ(past.background, RGB(0, 0, 0));
        EXPECT_EQ(past.image, static_cast<int>(RowStatus::Past)) << "the icon still tells the status";
        EXPECT_EQ(imminent.image, static_cast<int>(RowStatus::Imminent));
        ListView_SetItemState(List(), 1, LVIS_SELECTED, LVIS_SELECTED);
        const Drawn selected = Draw(1, CDIS_SELECTED | CDIS_FOCUS);
        EXPECT_EQ(selected.text, RGB(0, 0, 0));
        EXPECT_EQ(selected.background, RGB(0, 128, 255));
        // The title (navy on the program's grey), the labels and check boxes
        // of the options are the button text; the fields' texts the window's.
        EXPECT_EQ(TextColourAsked(form_->Handle(), TFMain::kLTitolo, WM_CTLCOLORSTATIC), RGB(255, 255, 0));
        const HWND options = form_->FOpzioni().Handle();
        for (int id : {TFOpzioni::kLabel1, TFOpzioni::kCBAvvioMax}) {
            EXPECT_EQ(TextColourAsked(options, id, WM_CTLCOLORSTATIC), RGB(255, 255, 0)) << id;
        }
        EXPECT_EQ(TextColourAsked(options, TFOpzioni::kESuono, WM_CTLCOLORSTATIC), RGB(255, 255, 255));
        EXPECT_EQ(TextColourAsked(form_->FDialog().Handle(), TFDialog::kEInizio, WM_CTLCOLORLISTBOX),
                  RGB(255, 255, 255));
    }
    ::SendMessageW(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_FALSE(SystemColoursOnly());
    EXPECT_EQ(ListView_GetBkColor(List()), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Draw(0).text, TextColourOf(RowStatus::Past));
}

// The status pictures are taken in one piece at each size drawn for them.
TEST(StatusPictures, EveryStripHoldsTheFourPictures) {
    for (auto [size, strip] : {std::pair{16, IDB_STATUS_16}, {20, IDB_STATUS_20}, {24, IDB_STATUS_24},
                               {32, IDB_STATUS_32}}) {
        const win::UniqueImageList images(win::LoadPictureStrip(strip, size));
        ASSERT_TRUE(images) << size;
        EXPECT_EQ(::ImageList_GetImageCount(images.get()), 4) << size;
        int width = 0, height = 0;
        ::ImageList_GetIconSize(images.get(), &width, &height);
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
    }
}

// A change of the rows that fails half-way (a switch of archive whose load
// stops part-way) still leaves the control showing the rows as they are.
TEST_F(MainFormTest, RowsChangedByAFailingChangeAreShownAtOnce) {
    Open();
    for (auto d : {"a", "b", "c"}) state_.list.AggiungiRiga({d, "", "", "", "", "", ""}, 0);
    form_->ListView1().Refresh();
    form_->ListView1().Select(state_.list.At(2).Id());
    EXPECT_THROW(form_->ListView1().ChangeRows([&] {
        state_.list.Remove(2);
        state_.list.Remove(0);
        throw InOutError(5);
    }),
                 InOutError);
    EXPECT_EQ(ListView_GetItemCount(List()), 1);
    EXPECT_EQ(form_->ListView1().SelectedId(), std::nullopt) << "the selection does not move to another event";
}

}  // namespace
}  // namespace ricordex::ui
