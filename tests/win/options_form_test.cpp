#include "ui/options_form.h"

#include "support/archive_bytes.h"
#include "win/main_form_fixture.h"
#include "win/system.h"

namespace ricordex::ui {
namespace {

class OptionsTest : public MainFormTest {
protected:
    void OpenWithOptions() {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
        Open();
        options_ = &form_->FOpzioni();
    }
    void TearDown() override { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex"); }
    bool Ticked(int id) { return ::IsDlgButtonChecked(options_->Handle(), id) == BST_CHECKED; }
    TFOpzioni* options_ = nullptr;
};

TEST_F(OptionsTest, TheBoxesFollowAvvioAndConfermaWritesOrDeletesTheRunValue) {
    OpenWithOptions();
    for (std::uint8_t avvio : {1, 2, 3, 7}) {
        state_.settings.avvio = avvio;
        form_->BOpzioniClick();
        EXPECT_EQ(Ticked(TFOpzioni::kCBEsecuzioneA), avvio == 1 || avvio == 3) << int(avvio);
        EXPECT_EQ(Ticked(TFOpzioni::kCBAvvioMax), avvio == 2 || avvio == 3) << int(avvio);
    }
    state_.settings.avvio = 3;
    form_->BOpzioniClick();
    options_->BInserisciClick();
    EXPECT_FALSE(::IsWindowVisible(options_->Handle()));
    EXPECT_EQ(registry_.OpenExisting(kRunKey)->ReadString("Ricordex"), AutostartCommand(win::ProgramPath()));
    form_->BOpzioniClick();
    ::CheckDlgButton(options_->Handle(), TFOpzioni::kCBEsecuzioneA, BST_UNCHECKED);
    options_->BInserisciClick();
    EXPECT_FALSE(registry_.OpenExisting(kRunKey)->ValueExists("Ricordex"));
    EXPECT_EQ(state_.settings.avvio, 2);
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
