// What a screen reader reads of the program, asked as one asks, from
// another process through the accessibility interface: a name for the list
// and every field, each row's status, and the labels' underlined letters
// taking the keyboard to their fields.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/date_time.h"
#include "e2e/program_in_use.h"
#include "win/system.h"
#include "ui/main_form.h"

namespace ricordex::e2e {
namespace {

// IID_IAccessible, spelt out: the import library's symbol is not the GUID.
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

enum class Asked { Name, Description };

std::wstring Accessible(HWND control, Asked asked, long child = CHILDID_SELF) {
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                            reinterpret_cast<void**>(&object)))) {
        return L"(no object)";
    }
    VARIANT which{};
    which.vt = VT_I4;
    which.lVal = child;
    BSTR text = nullptr;
    const HRESULT result =
        asked == Asked::Name ? object->get_accName(which, &text) : object->get_accDescription(which, &text);
    object->Release();
    if (FAILED(result) || text == nullptr) return L"";
    std::wstring out(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return out;
}

class Accessibility : public ProgramInUse {
protected:
    void SetUp() override {
        ProgramInUse::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        ::CoUninitialize();
        ProgramInUse::TearDown();
    }
    std::wstring NameOf(HWND form, int id) { return Accessible(::GetDlgItem(form, id), Asked::Name); }
};

TEST_F(Accessibility, TheListAndEveryFieldHaveANameAndEachRowItsStatus) {
    Start();
    EXPECT_EQ(Accessible(List(), Asked::Name), L"Eventi");
    // 15/03 has passed this year and its window is far: past, by its icon.
    EXPECT_EQ(Accessible(List(), Asked::Name, 1), L"Affitto");
    EXPECT_EQ(Accessible(List(), Asked::Description, 1), L"passato");

    PressKey(VK_HOME);
    ASSERT_TRUE(WaitUntil([&] { return Selected() == 0; }));
    PressKey(VK_RETURN);  // "Modifica Evento"
    ASSERT_TRUE(WaitUntil([&] { return EditorOpen(L"Modifica"); }));
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kEDescrizione), L"Descrizione");
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kDEvento), L"Data Evento");
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kDTOra), L"Ora");
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kEInizio), L"Inizio Avvisi");
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kEModalita), L"Modalit\u00e0");
    EXPECT_EQ(NameOf(Editor(), ui::TFDialog::kERicorrenza), L"Ricorrenza Evento");
    // Each label's letter takes the keyboard to the field after it.
    using enum ui::TFDialog::ControlId;
    for (auto [key, id] : {std::pair{'I', kEInizio}, {'M', kEModalita}, {'R', kERicorrenza}, {'O', kDTOra}}) {
        PressKey(static_cast<WORD>(key), {VK_MENU});
        EXPECT_TRUE(WaitUntil([&] { return Focused() == ::GetDlgItem(Editor(), id); })) << key;
    }
    PressKey('D', {VK_MENU});
    EXPECT_TRUE(WaitUntil([&] { return Focused() == ::GetDlgItem(Editor(), ui::TFDialog::kEDescrizione); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Shown(Editor()); }));

    ::PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(ui::TFMain::kBOpzioni, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return Shown(Options()) && Active() == Options(); }));
    EXPECT_EQ(NameOf(Options(), ui::TFOpzioni::kESuono), L"Suono predefinito allarme");
    EXPECT_EQ(NameOf(Options(), ui::TFOpzioni::kESalva), L"Cartella predefinita salvataggio");
    EXPECT_EQ(NameOf(Options(), ui::TFOpzioni::kCBAvvioMax), L"Mostra finestra principale all'avvio");
    PressKey('C', {VK_MENU});
    EXPECT_TRUE(WaitUntil([&] { return Focused() == ::GetDlgItem(Options(), ui::TFOpzioni::kESalva); }));
    ASSERT_TRUE(run_->CloseAndWait(std::chrono::seconds(10)));
}

// The alert's box: every choice named as it reads, reached with Tab, and
// taken by its letter; the choice kept in the registry.
TEST_F(Accessibility, TheAlertIsPutOffWithTheKeysAndItsChoicesAreNamed) {
    const DateTime now = win::SystemClock().Now();
    DateTime event = now + 1.0 / 24;
    if (DecodeDateTime(event).year != DecodeDateTime(now).year) event = EncodeDateTime({DecodeDateTime(now).year, 12, 31, 23, 59, 0, 0});
    ricordex::testing::WriteBytes(
        archive_, ricordex::testing::Record({"Bollo auto", "1 giorno prima", FormatDateTime(kDatePattern, event, {}),
                                             FormatDateTime("hh.nn", event, {}), "Ogni giorno", "Annuale",
                                             std::string(kInitialStamp)}));
    run_ = std::make_unique<ProgramRun>(dir_.path());
    const HWND box = run_->WaitForMessageBox(L"Avviso Scadenza", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    std::vector<std::wstring> named;
    for (HWND control = ::GetWindow(box, GW_CHILD); control != nullptr; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(control) != 0) named.push_back(Accessible(control, Asked::Name));
    }
    EXPECT_EQ(named, (std::vector<std::wstring>{L"Posticipa di 10 minuti", L"Posticipa di 1 ora",
                                                L"Posticipa a domani alle 9", L"OK"}));

    ::SetForegroundWindow(box);
    ASSERT_TRUE(WaitUntil([&] { return Active() == box && FocusedName() == L"OK"; }));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedName() == L"Posticipa di 10 &minuti"; }));
    PressKey('O', {VK_MENU});  // "Posticipa di 1 ora"
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ASSERT_TRUE(run_->CloseAndWait(std::chrono::seconds(10)));
    wchar_t kept[512] = {};
    DWORD size = sizeof kept;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Ricordex", L"Posticipati", RRF_RT_REG_SZ, nullptr, kept,
                             &size),
              ERROR_SUCCESS);
    // For this event, on the day an hour from the answer.
    const std::string back = FormatDateTime("yyyy-mm-dd hh:nn", now + 1.0 / 24, {});
    EXPECT_NE(std::wstring(kept).find(L"Bollo%20auto%00"), std::wstring::npos) << std::wstring(kept).size();
    EXPECT_EQ(std::wstring(kept).substr(0, 10), std::wstring(back.begin(), back.begin() + 10));
}

}  // namespace
}  // namespace ricordex::e2e
