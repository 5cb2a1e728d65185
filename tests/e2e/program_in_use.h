#pragma once
// The program started with three events and its window shown, in front and
// ready for keys; what the user sees of it, read from outside.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e/fresh_program.h"
#include "e2e/program_run.h"
#include "e2e/user_input.h"
#include "support/archive_bytes.h"
#include "ui/dialog_form.h"
#include "ui/options_form.h"

namespace ricordex::e2e {

inline const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

inline std::string Event(const std::string& description) {
    return ricordex::testing::Record(
        {description, "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"});
}

inline bool RunValueExists() {
    return ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex", RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

class ProgramInUse : public FreshProgram {
protected:
    void SetUp() override {
        FreshProgram::SetUp();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
        SetAvvio(2);  // the window at start, no autostart
        ricordex::testing::WriteBytes(archive_, kEvents);
    }
    void TearDown() override {
        FreshProgram::TearDown();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
    }

    // Started, in front, ready for keys.
    ProgramRun& Start() {
        run_ = std::make_unique<ProgramRun>(dir_.path());
        EXPECT_TRUE(WaitUntil([&] { return Active() == Main() && Focused() == List(); }))
            << "the list has the focus at start";
        return *run_;
    }
    HWND Main() const { return run_->MainWindow(); }
    HWND List() const { return ::FindWindowExW(Main(), nullptr, WC_LISTVIEWW, nullptr); }
    HWND Editor() const { return run_->Window(ui::kDialogFormClass); }
    HWND Options() const { return run_->Window(ui::kOptionsFormClass); }
    HWND Focused() const { return run_->Focus(); }
    HWND Active() const { return run_->ActiveWindow(); }
    std::wstring FocusedName() const { return ProgramRun::Text(Focused()); }
    int Rows() const { return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
    int Selected() const { return static_cast<int>(::SendMessageW(List(), LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }
    bool Shown(HWND window) const { return ::IsWindowVisible(window) != FALSE; }
    bool EditorOpen(const wchar_t* caption) const {
        return Shown(Editor()) && ProgramRun::Text(Editor()) == caption && Active() == Editor();
    }
    // Answers a Yes/No question with the keyboard: Tab to "No", Enter.
    void AnswerNo(HWND box) {
        PressKeys({VK_TAB, VK_RETURN});
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    }

    const std::string kEvents = Event("Affitto") + Event("Bollo auto") + Event("Canone");
    std::unique_ptr<ProgramRun> run_;
};

}  // namespace ricordex::e2e
