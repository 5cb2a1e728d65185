#include "app/options.h"

#include "app/settings.h"
#include "core/archive.h"
#include "core/errors.h"

namespace ricordex {

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
        if (!services.files.Exists(choices.nuovoPercorsoDati)) {
            // The list moves with Dati at once: a start that found no
            // archive there would show an empty list, the events left in a
            // file that nothing names any more.
            {
                // Another PC may be starting on the same new folder.
                const std::unique_ptr<ArchiveLock> lock = services.files.Lock(choices.nuovoPercorsoDati);
                ScriviRecord(state.list, services.files, choices.nuovoPercorsoDati);
                RememberBase(state.base, state.list, services.files, choices.nuovoPercorsoDati);
            }
            state.settings.dati = choices.nuovoPercorsoDati;
            // The new archive holds the list as it is: nothing left to save.
            state.loadIncomplete = false;
            state.modificato = false;
            state.aggiornatoDaTimer = false;
        } else {
            SaveArchive(state, services);
            state.settings.dati = choices.nuovoPercorsoDati;
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
