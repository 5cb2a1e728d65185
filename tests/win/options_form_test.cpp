#include "ui/options_form.h"

#include "support/archive_bytes.h"
#include "win/main_form_fixture.h"
#include "win/system.h"

namespace ricordex::ui {
namespace {

class OptionsTest : public MainFormTest {
protected:
    void OpenWithOptions() {
        ForgetAutostart();
        Open();
        options_ = &form_->FOpzioni();
    }
    void TearDown() override { ForgetAutostart(); }
    static void ForgetAutostart() {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKey, L"Ricordex");
    }
    bool Ticked(int id) { return ::IsDlgButtonChecked(options_->Handle(), id) == BST_CHECKED; }
    void Tick(int id, bool ticked) { ::CheckDlgButton(options_->Handle(), id, ticked ? BST_CHECKED : BST_UNCHECKED); }
    std::wstring RunValue() { return registry_.OpenExisting(kRunKey)->ReadString("Ricordex"); }
    TFOpzioni* options_ = nullptr;
};

TEST_F(OptionsTest, TheShowBoxFollowsAvvioAndConfermaWritesOrDeletesTheRunValue) {
    OpenWithOptions();
    for (std::uint8_t avvio : {1, 2, 3, 7}) {
        state_.settings.avvio = avvio;
        form_->BOpzioniClick();
        EXPECT_FALSE(Ticked(TFOpzioni::kCBEsecuzioneA)) << "no Run value";
        EXPECT_EQ(Ticked(TFOpzioni::kCBAvvioMax), avvio == 2 || avvio == 3) << int(avvio);
    }
    state_.settings.avvio = 3;
    form_->BOpzioniClick();
    Tick(TFOpzioni::kCBEsecuzioneA, true);
    options_->BInserisciClick();
    EXPECT_FALSE(::IsWindowVisible(options_->Handle()));
    EXPECT_EQ(RunValue(), AutostartCommand(win::ProgramPath()));
    form_->BOpzioniClick();
    EXPECT_TRUE(Ticked(TFOpzioni::kCBEsecuzioneA));
    Tick(TFOpzioni::kCBEsecuzioneA, false);
    options_->BInserisciClick();
    EXPECT_FALSE(registry_.OpenExisting(kRunKey)->ValueExists("Ricordex"));
    EXPECT_EQ(state_.settings.avvio, 2);
}

// The start disabled in Task Manager (a binary record beside the Run
// value), or a Run value left by a copy since moved: Windows starts nothing,
// so the box is not ticked, and ticking it makes the start work again.
TEST_F(OptionsTest, TheAutostartBoxShowsWhatWindowsDoesAndTickingItMakesTheStartWork) {
    OpenWithOptions();
    const std::wstring command = AutostartCommand(win::ProgramPath());
    registry_.OpenExisting(kRunKey)->WriteString("Ricordex", command);
    win::UniqueKey approved;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kStartupApprovedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                approved.put(), nullptr),
              ERROR_SUCCESS);
    const BYTE disabled[12] = {0x03, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01};
    ::RegSetValueExW(approved.get(), L"Ricordex", 0, REG_BINARY, disabled, sizeof(disabled));
    form_->BOpzioniClick();
    EXPECT_FALSE(Ticked(TFOpzioni::kCBEsecuzioneA));
    Tick(TFOpzioni::kCBEsecuzioneA, true);
    options_->BInserisciClick();
    EXPECT_FALSE(registry_.OpenExisting(kStartupApprovedKey)->ValueExists("Ricordex"));
    EXPECT_EQ(RunValue(), command);
    form_->BOpzioniClick();
    EXPECT_TRUE(Ticked(TFOpzioni::kCBEsecuzioneA));
    options_->BAnnullaClick();

    const BYTE enabled[12] = {0x02};
    ::RegSetValueExW(approved.get(), L"Ricordex", 0, REG_BINARY, enabled, sizeof(enabled));
    registry_.OpenExisting(kRunKey)->WriteString("Ricordex", (dir_ / "spostato" / "Ricordex.exe").wstring());
    form_->BOpzioniClick();
    EXPECT_FALSE(Ticked(TFOpzioni::kCBEsecuzioneA));
    Tick(TFOpzioni::kCBEsecuzioneA, true);
    options_->BInserisciClick();
    EXPECT_EQ(RunValue(), command);
    EXPECT_TRUE(registry_.OpenExisting(kStartupApprovedKey)->ValueExists("Ricordex")) << "enabled: left as it is";
}

TEST_F(OptionsTest, ChoosingTheArchiveInUseWritesTheListAndLoadsItBackAndAnnullaRestoresDati) {
    WriteBytes(archive_, BolloAuto());
    OpenWithOptions();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    form_->BOpzioniClick();
    options_->TakeFolder(dir_.path().wstring() + L"\\");
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Conferma Cambio cartella");
    options_->BInserisciClick();
    EXPECT_EQ(ReadBytes(archive_).size(), 2 * 164u);
    EXPECT_EQ(state_.list.Count(), 2u);

    const std::wstring before = state_.settings.dati;
    form_->BOpzioniClick();
    std::filesystem::create_directories(dir_ / "vuota");
    options_->TakeFolder((dir_ / "vuota").wstring() + L"\\");
    EXPECT_EQ(options_->NuovoPercorsoDati(), (dir_ / "vuota").wstring() + L"\\Ricordex.psc");
    options_->BAnnullaClick();
    EXPECT_EQ(state_.settings.dati, before);
}

}  // namespace
}  // namespace ricordex::ui
