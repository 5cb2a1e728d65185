#pragma once
// TFMain, the main window: the event list, its commands, and the start-up
// and close of the program.

#include "app/program_state.h"
#include "ui/event_list_view.h"
#include "win/unique_handle.h"
#include "win/window.h"

namespace ricordex::ui {

inline constexpr wchar_t kMainFormClass[] = L"TFMain";
// The title label's text, which becomes the window's caption at start-up.
inline constexpr wchar_t kTitleText[] = L"Ricordex - promemoria delle scadenze";

class TFMain : public win::Window {
public:
    TFMain(ProgramState& state, Services& services);

    void FormCreate();
    // The save decision of a close; raises when saving or writing the
    // settings fails, and the window then stays.
    void FormClose();
    void BChiudiClick();
    // Asks the main window to close, which ends the program through FormClose.
    void Chiudi1Click();

    EventListView& ListView1() { return listView1_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void OnCommand(int id);
    LRESULT OnControlColor(HDC dc, HWND control);

    ProgramState& state_;
    Services& services_;
    EventListView listView1_;
    win::UniqueGdiObject font_;
    win::UniqueGdiObject titleFont_;
};

}  // namespace ricordex::ui
