#pragma once
// The main form on the real window system, with the real registry and
// archive files in a folder of the test's own, a clock and questions of the
// test's making, and the error box's texts collected.

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/hanging_files.h"
#include "support/temp_dir.h"
#include "ui/main_form.h"
#include "win/application.h"
#include "win/archive_files.h"
#include "win/pump_messages.h"
#include "win/registry.h"

namespace ricordex::ui {

using namespace ricordex::testing;

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        registry_.OpenOrCreate(kSettingsKey)->WriteString("Dati", archive_.wstring());
        clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 30});
        win::Application::Instance().SetErrorSink([this](const std::wstring& text) { errors_.push_back(text); });
    }
    ~MainFormTest() override {
        files_.LetGo();
        form_.reset();
        win::PumpMessages();
        ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        win::Application::Instance().SetErrorSink(nullptr);
    }

    // Made and shown, as the user finds it (its controls are made when it
    // is first shown), without taking the activation; then the rest of the
    // start, as the message loop runs it once the window is painted.
    TFMain& Open() {
        form_ = std::make_unique<TFMain>(state_, services_);
        ::ShowWindow(form_->Handle(), SW_SHOWNOACTIVATE);
        win::Application::Instance().FinishStart();
        return *form_;
    }
    HWND List() { return form_->ListView1().Handle(); }
    std::wstring Cell(int row, int column) {
        wchar_t buffer[512] = {};
        ListView_GetItemText(List(), row, column, buffer, 512);
        return buffer;
    }
    std::wstring Caption() {
        wchar_t buffer[256] = {};
        ::GetWindowTextW(form_->Handle(), buffer, 256);
        return buffer;
    }

    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    win::Win32Registry registry_;
    // A folder that answers, until told to hang. Never destroyed, as in the
    // program: a look at the archive the window started may outlast the test.
    HangingFiles& files_ = *new HangingFiles(*new win::Win32ArchiveFiles);
    FakeClock clock_;
    FakeQuestions questions_;
    Services services_{registry_, files_, clock_, questions_, L"C:\\Ricordex\\"};
    ProgramState state_;
    std::unique_ptr<TFMain> form_;
    std::vector<std::wstring> errors_;
};

}  // namespace ricordex::ui
