// What a screen reader reads of the program, asked as one asks, from
// another process through the accessibility interface: a name for the list
// and every field, each row's status, and the labels' underlined letters
// taking the keyboard to their fields.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/program_in_use.h"
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

}  // namespace
}  // namespace ricordex::e2e
