// The archive's folder on a network that stopped answering (a laptop away
// from the office): the alerts come on time, the window keeps answering,
// and a save waits for the folder with the window still answering.

#include "ui/main_form.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "support/archive_bytes.h"
#include "win/main_form_fixture.h"
#include "win/message_box.h"

namespace ricordex::ui {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Asks the window what Windows asks to tell whether it responds, from
// another thread, every 100 ms for as long as `seconds`; counts the answers
// that did not come within half a second.
class Prober {
public:
    Prober(HWND window, std::chrono::milliseconds length)
        : thread_([this, window, length] {
              const auto end = Clock::now() + length;
              while (Clock::now() < end) {
                  DWORD_PTR result = 0;
                  ++asked_;
                  if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 500, &result)) ++unanswered_;
                  std::this_thread::sleep_for(100ms);
              }
          }) {}
    ~Prober() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    int Asked() const { return asked_; }
    int Unanswered() const { return unanswered_; }

private:
    std::atomic<int> asked_{0};
    std::atomic<int> unanswered_{0};
    std::thread thread_;
};

TEST_F(MainFormTest, AFolderThatHangsNeitherDelaysAnAlertNorFreezesTheWindow) {
    WriteBytes(archive_, Record({"Bollo auto", "1 giorno prima", "07/12", "09.45", "Ogni ora", "Annuale",
                                 "01/01/1900 00.01"}));
    Open();
    std::vector<std::wstring> boxes;
    win::SetMessageBoxShower([&](const win::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return IDOK;
    });
    files_.Hang(30s);
    const auto before = Clock::now();
    form_->Timer1Timer();
    form_->Timer1Timer();  // the next tick, the look still waiting
    EXPECT_LT(Clock::now() - before, 1s);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"Bollo auto"), std::wstring::npos) << boxes[0];
    for (int i = 0; i < 100 && files_.Waits() == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(files_.Waits(), 1) << "the folder is looked at, once at a time";
    win::SetMessageBoxShower(nullptr);
}

TEST_F(MainFormTest, AnotherPcsSaveIsFollowedOnceTheFolderAnswersAgain) {
    WriteBytes(archive_, BolloAuto());
    Open();
    files_.Hang(30s);
    form_->Timer1Timer();
    WriteBytes(archive_, BolloAuto() + Record({"Caldaia", "", "", "", "", "", ""}));
    form_->Timer1Timer();
    EXPECT_EQ(ListView_GetItemCount(List()), 1) << "nothing waited for the folder";
    files_.LetGo();
    for (int i = 0; i < 100 && ListView_GetItemCount(List()) < 2; ++i) {
        win::PumpMessages();
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(ListView_GetItemCount(List()), 2);
    EXPECT_EQ(Cell(1, 0), L"Caldaia");
    EXPECT_FALSE(state_.modificato);
}

// The pointer the window's thread shows, asked from another thread: the
// question is answered on the window's thread, also while it waits.
class PointerProbe {
public:
    PointerProbe() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Answer));
    }
    ~PointerProbe() { ::DestroyWindow(window_); }
    HCURSOR Ask() const { return reinterpret_cast<HCURSOR>(::SendMessageW(window_, WM_APP, 0, 0)); }

private:
    static LRESULT CALLBACK Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) return reinterpret_cast<LRESULT>(::GetCursor());
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

// A save waits for the folder (it must not give up on the user's changes),
// off the window's thread: the window answers all along, with the
// hourglass, and the pointer comes back after.
TEST_F(MainFormTest, ASaveWaitingOnTheFolderLeavesTheWindowAnswering) {
    Open();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    files_.Hang(30s);
    Prober prober(form_->Handle(), 1500ms);
    const PointerProbe pointer;
    const HCURSOR arrow = ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    HCURSOR whileWaiting = nullptr;
    std::thread network([&] {
        std::this_thread::sleep_for(1000ms);
        whileWaiting = pointer.Ask();
        std::this_thread::sleep_for(500ms);
        files_.LetGo();
    });
    const auto before = Clock::now();
    form_->FormClose();
    network.join();
    prober.Join();
    EXPECT_EQ(whileWaiting, ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    ::SetCursor(arrow);
    EXPECT_GE(Clock::now() - before, 1400ms) << "the save waited for the folder";
    EXPECT_GE(prober.Asked(), 5);
    EXPECT_EQ(prober.Unanswered(), 0);
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
    EXPECT_FALSE(state_.modificato);
    EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace ricordex::ui
