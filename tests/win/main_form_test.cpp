#include "ui/main_form.h"

#include "support/archive_bytes.h"
#include "win/main_form_fixture.h"

namespace ricordex::ui {
namespace {

TEST_F(MainFormTest, StartShowsTheArchiveOrderedByDescription) {
    WriteBytes(archive_, Record({"zucca", "", "", "", "", "", ""}) + BolloAuto() +
                             Record({"\xE0ncora", "", "", "", "", "", ""}));
    registry_.OpenOrCreate(kSettingsKey)->WriteInteger("Avvio", 2);
    Open();
    EXPECT_TRUE(errors_.empty());
    ASSERT_EQ(ListView_GetItemCount(List()), 3);
    EXPECT_EQ(Cell(0, 0), L"Bollo auto");
    EXPECT_EQ(Cell(0, 1), L"1 giorno prima");
    EXPECT_EQ(Cell(0, 2), L"15/03");
    EXPECT_EQ(Cell(0, 3), L"08.00");
    EXPECT_EQ(Cell(0, 4), L"Ogni ora");
    EXPECT_EQ(Cell(0, 5), L"Annuale");
    EXPECT_EQ(Cell(1, 0), L"zucca");
    EXPECT_EQ(Cell(2, 0), L"\u00E0ncora");  // Windows-1252 shown as itself
    EXPECT_EQ(Caption(), kTitleText);
    EXPECT_TRUE(win::Application::Instance().ShowMainForm());
    EXPECT_EQ(state_.avvioProgramma, "07/12/2026 09.41");
}

TEST_F(MainFormTest, AReadOnlyArchiveIsReportedAndTheWindowStaysHidden) {
    WriteBytes(archive_, BolloAuto());
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    Open();
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"File access denied."});
    EXPECT_EQ(ListView_GetItemCount(List()), 0);
    EXPECT_FALSE(win::Application::Instance().ShowMainForm());
    EXPECT_EQ(Caption(), L"Ricordex");
    EXPECT_FALSE(state_.avvioProgramma.empty());
}

TEST_F(MainFormTest, ASettingOfTheWrongTypeIsReportedAndTheProgramRunsOn) {
    WriteBytes(archive_, BolloAuto());
    const wchar_t text[] = L"3";
    win::UniqueKey key;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, key.put());
    ::RegSetValueExW(key.get(), L"Avvio", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    Open();
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"Invalid data type for 'Avvio'"});
    EXPECT_EQ(ListView_GetItemCount(List()), 1);
    EXPECT_TRUE(win::Application::Instance().ShowMainForm());
}

// Back from sleep the list is looked at within a second, from the timer:
// an alert inside the system's broadcast would hold the broadcast up.
TEST_F(MainFormTest, ResumingFromSleepSchedulesTheExaminationSoon) {
    Open();
    form_->Timer1().SetInterval(kNormalInterval);
    ::SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(form_->Timer1().Interval(), kSoonInterval);
    form_->Timer1().SetInterval(kHoldOffInterval);  // an alert is open
    ::SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ(form_->Timer1().Interval(), kHoldOffInterval);
}

TEST_F(MainFormTest, ACloseRequestAsksSavesAsToldAndEnds) {
    Open();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    questions_.answer = kAnswerNo;
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].text, "Salvare le modifiche?");
    EXPECT_FALSE(::IsWindow(form_->Handle()));
    EXPECT_EQ(ReadBytes(archive_), "");
    EXPECT_EQ(registry_.OpenOrCreate(kSettingsKey)->ReadInteger("Avvio"), 3u);
}

TEST_F(MainFormTest, ACloseWhoseSaveFailsKeepsTheWindowAndTheFlags) {
    Open();
    state_.aggiornatoDaTimer = true;
    ::SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY);
    ::SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"File access denied."});
    EXPECT_TRUE(::IsWindow(form_->Handle()));
    EXPECT_TRUE(state_.aggiornatoDaTimer);
    EXPECT_FALSE(registry_.OpenOrCreate(kSettingsKey)->ValueExists("Avvio"));
}

TEST_F(MainFormTest, ChiudiSavesAlertChangesWithoutAskingAndMinimises) {
    Open();
    state_.list.AggiungiRiga({"avvisato", "", "", "", "", "", ""}, 0);
    state_.aggiornatoDaTimer = true;
    ::SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), 0);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
    EXPECT_FALSE(state_.aggiornatoDaTimer);
    EXPECT_TRUE(::IsIconic(win::Application::Instance().Handle()));
    EXPECT_TRUE(::IsWindow(form_->Handle()));
    ::ShowWindow(win::Application::Instance().Handle(), SW_RESTORE);
}

TEST_F(MainFormTest, EndOfSessionKeepsChangesWithoutAQuestion) {
    Open();
    state_.list.AggiungiRiga({"nuovo", "", "", "", "", "", ""}, 0);
    state_.modificato = true;
    ::SendMessageW(form_->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_EQ(ReadBytes(archive_).size(), 164u);
}

}  // namespace
}  // namespace ricordex::ui

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
    EXPECT_EQ(past.text, RGB(128, 128, 128));
    EXPECT_EQ(past.image, 2);
    EXPECT_EQ(imminent.text, RGB(255, 0, 0));
    EXPECT_EQ(imminent.image, 3);
    EXPECT_EQ(pending.text, RGB(0, 0, 255));
    EXPECT_EQ(pending.image, 1);
    EXPECT_EQ(distant.text, RGB(0, 0, 0));
    EXPECT_EQ(distant.image, 0);
    EXPECT_EQ(unmarked.text, kUntouched);  // the list's own colour
    EXPECT_EQ(unmarked.image, 1);          // and the icon it had
    EXPECT_EQ(past.background, RGB(219, 219, 219));
    EXPECT_EQ(imminent.background, RGB(255, 255, 255));
    EXPECT_EQ(pending.background, RGB(219, 219, 219));
    EXPECT_EQ(Draw(1, CDIS_FOCUS).background, RGB(192, 192, 192));

    // By date "e" comes second; the bands stay with the positions.
    state_.list.SortBy(2);
    EXPECT_EQ(state_.list.At(1).Text(kDescrizione), "e senza segno");
    EXPECT_EQ(Draw(1).background, RGB(255, 255, 255));
    EXPECT_EQ(Draw(2).background, RGB(219, 219, 219));
    ListView_SetItemState(List(), 2, LVIS_SELECTED, LVIS_SELECTED);
    const Drawn selected = Draw(2, CDIS_SELECTED | CDIS_FOCUS);
    EXPECT_EQ(selected.background, ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(selected.text, RGB(255, 0, 0));  // "b imminente" still shows its status
    EXPECT_TRUE(errors_.empty());
}

TEST_F(RowDrawingTest, AnUnreadableRowIsDrawnWithItsBandAndReportedOnce) {
    clock_.now = EncodeDateTime({2026, 12, 7, 12, 0, 0, 0});
    Open();
    state_.list.AggiungiRiga({"bisestile", "1 giorno prima", "29/02", "10.00", "Ogni ora", "Annuale", "x"}, 0);
    form_->ListView1().Refresh();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Draw(0).background, RGB(219, 219, 219));
    MSG message;  // the report waits for the message loop
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"'29/02 10.00' is not a valid date and time."});
}

}  // namespace
}  // namespace ricordex::ui

#include "ui/dialog_form.h"

namespace ricordex::ui {
namespace {

class EditorTest : public MainFormTest {
protected:
    void OpenWithEditor() {
        Open();
        dialog_ = std::make_unique<TFDialog>(*form_);
        form_->SetDialogs(dialog_.get(), nullptr);
    }
    void TearDown() override { dialog_.reset(); }
    std::unique_ptr<TFDialog> dialog_;
};

TEST_F(EditorTest, NewEventConfirmedAsOpenedIsAddedSelectedAndExaminedWithinASecond) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    form_->ListView1ColumnClick(3);  // by time: the new row still lands at its place
    state_.list.AggiungiRiga({"mattina", "", "07/12", "07.00", "", "", ""}, 0);
    state_.list.AggiungiRiga({"sera", "", "07/12", "20.00", "", "", ""}, 0);
    form_->BNuovoEventoClick();
    EXPECT_TRUE(::IsWindowVisible(dialog_->Handle()));
    dialog_->BInserisciClick();
    EXPECT_FALSE(::IsWindowVisible(dialog_->Handle()));
    ASSERT_EQ(state_.list.Count(), 3u);
    EXPECT_EQ(state_.list.At(1).Texts(), RowTexts({"Nuovo evento", "10 minuti prima", "07/12", "08.00",
                                                   "Avvio Computer", "Annuale", "01/01/1900 00.01"}));
    EXPECT_EQ(form_->ListView1().SelectedId(), state_.list.At(1).Id());
    EXPECT_TRUE(state_.modificato);
    EXPECT_EQ(form_->Timer1().Interval(), 1000u);
}

TEST_F(EditorTest, EditingShowsTheRowAndConfirmingUnchangedOnlyResetsTheStamp) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    const std::string description(100, 'd');
    state_.list.AggiungiRiga({description, "2 giorni prima", "29/02", "18.45", "Ogni mese", "Nessuna",
                              "06/12/2026 12.30"},
                             0);
    form_->ListView1().Refresh();
    form_->ListView1().Select(state_.list.At(0).Id());
    const WPARAM modifica = MAKEWPARAM(104, BN_CLICKED);
    ::SendMessageW(form_->Handle(), WM_COMMAND, modifica, 0);  // 29/02 does not exist in 2026
    EXPECT_EQ(errors_, std::vector<std::wstring>{L"'29/02' is not a valid date and time."});
    EXPECT_FALSE(::IsWindowVisible(dialog_->Handle()));

    clock_.now = EncodeDateTime({2028, 1, 10, 9, 0, 0, 0});
    ::SendMessageW(form_->Handle(), WM_COMMAND, modifica, 0);
    ASSERT_TRUE(::IsWindowVisible(dialog_->Handle()));
    state_.list.AggiungiRiga({"aaa", "", "", "", "", "", ""}, 0);  // the selection moves meanwhile
    form_->ListView1().Refresh();
    form_->ListView1().Select(state_.list.At(0).Id());
    dialog_->BInserisciClick();
    ASSERT_EQ(state_.list.Count(), 2u);
    EXPECT_EQ(state_.list.At(1).Texts(), RowTexts({description, "2 giorni prima", "29/02", "18.45", "Ogni mese",
                                                   "Nessuna", "01/01/1900 00.01"}));
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "aaa");
}

TEST_F(EditorTest, AnEditThatCannotOpenLeavesTheOpenEditorOnItsOwnRow) {
    clock_.now = EncodeDateTime({2026, 12, 7, 9, 41, 0, 0});
    OpenWithEditor();
    state_.list.AggiungiRiga({"a leggibile", "", "15/03", "08.00", "", "", "x"}, 0);
    state_.list.AggiungiRiga({"b bisestile", "", "29/02", "08.00", "", "", "x"}, 0);
    form_->ListView1().Refresh();
    const RowId readable = state_.list.At(0).Id(), unreadable = state_.list.At(1).Id();
    dialog_->OpenEditMode(readable);
    EXPECT_THROW(dialog_->OpenEditMode(unreadable), std::exception);  // 29/02 does not exist in 2026
    wchar_t caption[32] = {};
    ::GetWindowTextW(dialog_->Handle(), caption, 32);
    EXPECT_STREQ(caption, L"Modifica");
    dialog_->BInserisciClick();
    ASSERT_EQ(state_.list.Count(), 2u) << "nothing lost, nothing doubled";
    EXPECT_EQ(state_.list.At(0).Text(kDescrizione), "a leggibile");
    EXPECT_EQ(state_.list.At(0).Text(kUltimoAvviso), "01/01/1900 00.01");
    EXPECT_EQ(state_.list.At(1).Id(), unreadable);
}

}  // namespace
}  // namespace ricordex::ui

#include "ui/options_form.h"
#include "win/system.h"

namespace ricordex::ui {
namespace {

class OptionsTest : public MainFormTest {
protected:
    void OpenWithOptions() {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
        Open();
        options_ = std::make_unique<TFOpzioni>(*form_);
        form_->SetDialogs(nullptr, options_.get());
    }
    void TearDown() override {
        options_.reset();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Ricordex");
    }
    bool Ticked(int id) { return ::IsDlgButtonChecked(options_->Handle(), id) == BST_CHECKED; }
    static constexpr int kCBEsecuzioneA = 305, kCBAvvioMax = 306;
    std::unique_ptr<TFOpzioni> options_;
};

TEST_F(OptionsTest, TheBoxesFollowAvvioAndConfermaWritesOrDeletesTheRunValue) {
    OpenWithOptions();
    for (std::uint8_t avvio : {1, 2, 3, 7}) {
        state_.settings.avvio = avvio;
        form_->BOpzioniClick();
        EXPECT_EQ(Ticked(kCBEsecuzioneA), avvio == 1 || avvio == 3) << int(avvio);
        EXPECT_EQ(Ticked(kCBAvvioMax), avvio == 2 || avvio == 3) << int(avvio);
    }
    state_.settings.avvio = 3;
    form_->BOpzioniClick();
    options_->BInserisciClick();
    EXPECT_FALSE(::IsWindowVisible(options_->Handle()));
    EXPECT_EQ(registry_.OpenExisting(kRunKey)->ReadString("Ricordex"), AutostartCommand(win::ProgramPath()));
    form_->BOpzioniClick();
    ::CheckDlgButton(options_->Handle(), kCBEsecuzioneA, BST_UNCHECKED);
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
