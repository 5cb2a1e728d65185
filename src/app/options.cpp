#include "app/options.h"

#include "app/settings.h"
#include "core/archive.h"
#include "core/errors.h"

namespace ricordex {
namespace {

// A folder without an archive: the list moves with Dati at once (a start
// that found no archive there would show an empty list, the events left in
// a file that nothing names any more). Written under the new archive's
// lock, with its absence seen under it too: another PC may be switching to
// the same folder. False when an archive is there after all.
bool WriteListAsNewArchive(ProgramState& state, Services& services, const std::filesystem::path& archive) {
    if (services.files.Exists(archive)) return false;
    const std::unique_ptr<ArchiveLock> lock = services.files.Lock(archive);
    if (services.files.Exists(archive)) return false;
    ScriviRecord(state.list, services.files, archive);
    RememberBase(state.base, state.list, services.files, archive);
    return true;
}

// A folder that holds an archive: the list is saved where it was, then the
// other archive is loaded.
void SwitchToArchive(ProgramState& state, Services& services, const std::wstring& archive) {
    SaveArchive(state, services);
    // Saved where it was: nothing of it is left for the close to write.
    state.modificato = false;
    state.aggiornatoDaTimer = false;
    state.alertStamps.clear();
    state.settings.dati = archive;
    state.loadIncomplete = true;
    try {
        ReloadArchive(state.list, services.files, state.settings.dati);
    } catch (const Error&) {
        // What was read is what this program has of the new archive.
        RememberBase(state.base, state.list, services.files, state.settings.dati);
        throw;
    }
    state.loadIncomplete = false;
    RememberBase(state.base, state.list, services.files, state.settings.dati);
}

}  // namespace

OptionsView OpenOptions(const Settings& settings, std::wstring& percorsoDatiPrecedente,
                        const std::wstring& nuovoPercorsoDati) {
    percorsoDatiPrecedente = settings.dati;
    return {settings.suono, FolderOf(nuovoPercorsoDati.empty() ? settings.dati : nuovoPercorsoDati),
            AutostartTicked(settings.avvio),
            ShowMainWindowAtStart(settings.avvio)};
}

std::wstring ChooseArchiveFolder(const std::wstring& folder, ArchiveFiles& files, Questions& questions) {
    if (folder.empty()) return {};
    const std::wstring archive = folder + kArchiveName;
    if (files.Exists(archive) &&
        questions.Ask("La cartella contiene gi\xE0 un file archivio di Ricordex! Utilizzare i dati del nuovo file "
                      "chiudendo l'attuale?",
                      "Conferma Cambio cartella", kYesNoQuestion) == kAnswerNo) {
        return {};
    }
    return archive;
}

std::wstring AutostartCommand(const std::wstring& programPath) {
    if (programPath.find(L' ') == std::wstring::npos) return programPath;
    return L"\"" + programPath + L"\"";
}

void ConfirmOptions(ProgramState& state, Services& services, const std::wstring& programPath,
                    const OptionsChoices& choices) {
    {
        std::unique_ptr<RegistryKey> run = services.registry.OpenExisting(kRunKey);
        const bool present = run->ValueExists("Ricordex");
        if (choices.autostart && !present) run->WriteString("Ricordex", AutostartCommand(programPath));
        if (!choices.autostart && present) run->DeleteValue("Ricordex");
    }
    if (!choices.nuovoPercorsoDati.empty()) {
        if (WriteListAsNewArchive(state, services, choices.nuovoPercorsoDati)) {
            state.settings.dati = choices.nuovoPercorsoDati;
            // The new archive holds the list as it is: nothing left to save.
            state.loadIncomplete = false;
            state.modificato = false;
            state.aggiornatoDaTimer = false;
            state.alertStamps.clear();
        } else {
            SwitchToArchive(state, services, choices.nuovoPercorsoDati);
        }
    }
    if (!choices.suono.empty()) state.settings.suono = choices.suono;
    state.settings.avvio = static_cast<std::uint8_t>((choices.autostart ? 1 : 0) + (choices.showAtStart ? 2 : 0));
}

OptionsView OptionsSession::Open(const Settings& settings, bool afresh) {
    if (afresh) nuovoPercorsoDati_.clear();
    return OpenOptions(settings, percorsoDatiPrecedente_, nuovoPercorsoDati_);
}

bool OptionsSession::TakeFolder(const std::wstring& folder, ArchiveFiles& files, Questions& questions) {
    std::wstring pending = ChooseArchiveFolder(folder, files, questions);
    if (pending.empty()) return false;
    nuovoPercorsoDati_ = std::move(pending);
    return true;
}

void OptionsSession::Confirm(ProgramState& state, Services& services, const std::wstring& programPath,
                             OptionsChoices choices) const {
    choices.nuovoPercorsoDati = nuovoPercorsoDati_;
    ConfirmOptions(state, services, programPath, choices);
}

}  // namespace ricordex
