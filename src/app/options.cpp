#include "app/options.h"

#include "app/archive_recovery.h"
#include "app/lock_takeover_note.h"
#include "app/recovery_file.h"
#include "app/settings.h"
#include "core/archive.h"
#include "core/archive_lock.h"
#include "core/errors.h"

namespace ricordex {
namespace {

// A folder without an archive: the list moves with Dati at once (a start
// that found no archive there would show an empty list, the events left in
// a file that nothing names any more). Written under the new archive's
// lock, with its absence seen under it too: another PC may be switching to
// the same folder. False when an archive is there after all.
bool WriteListAsNewArchiveHere(const EventList& list, ArchiveBase& base, Services& services,
                               const std::filesystem::path& archive) {
    if (services.files.Exists(archive)) return false;
    LockTakeoverNote takeover(services);
    const std::unique_ptr<ArchiveLock> lock = LockArchive(services.files, archive, takeover.Taker());
    // A swap stopped there half-way: that archive is loaded, not written over.
    if (const std::optional<std::string> told = TakeBackStoppedSwap(services.files, archive, services.clock.Now());
        told && services.report) {
        services.report(*told);
    }
    if (services.files.Exists(archive)) return false;
    ScriviRecord(list, services.files, archive);
    RememberBase(base, list, services.files, archive);
    takeover.Saved();
    return true;
}

// The lock may keep it waiting, as any save: off the window's thread when
// the window offers one. The list is only read meanwhile, as the window
// does when it paints; the base is taken anew on a copy.
bool WriteListAsNewArchive(ProgramState& state, Services& services, const std::filesystem::path& archive) {
    // The list is read on the work's thread: no save may replace it meanwhile.
    const SavingNow saving(state);
    if (!services.runFileWork) return WriteListAsNewArchiveHere(state.list, state.base, services, archive);
    ArchiveBase base = state.base;
    bool written = false;
    services.runFileWork([&] { written = WriteListAsNewArchiveHere(state.list, base, services, archive); });
    state.base = std::move(base);
    return written;
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
    // Read where the file work runs (off the window's thread, which paints
    // the list meanwhile: a network folder may keep the read waiting), and
    // decoded here. Its stamp is taken first: a save made meanwhile is read
    // again at the next look.
    std::optional<FileStamp> stamp;
    std::string bytes;
    const auto read = [&] {
        stamp = services.files.StampOf(archive);
        bytes = ReadWholeFile(services.files, archive);
    };
    try {
        services.runFileWork ? services.runFileWork(read) : read();
    } catch (const Error&) {
        // Nothing of the new archive is read: the list stays as it is, and
        // the looks read the archive once it can be.
        RememberBase(state.base, state.list, stamp);
        throw;
    }
    BytesInput input(std::move(bytes));
    LeggiRecord(state.list, input);
    state.loadIncomplete = false;
    RememberBase(state.base, state.list, stamp);
}

// Whether the command of a Run value starts a file that exists, read as
// Windows reads a command line: the quoted part, or, unquoted, each text up
// to a blank in turn ("C:\\Program Files\\R.exe" is "C:\\Program" first).
// A value of another type, or a file that cannot be told, starts nothing.
bool StartsAnExistingFile(RegistryKey& run, ArchiveFiles& files) {
    try {
        const std::wstring command = run.ReadString(kAutostartValue);
        if (command.starts_with(L'"')) {
            const std::size_t close = command.find(L'"', 1);
            return close != std::wstring::npos && files.Exists(command.substr(1, close - 1));
        }
        for (std::size_t blank = command.find(L' ');; blank = command.find(L' ', blank + 1)) {
            const std::wstring program = command.substr(0, blank);
            if (!program.empty() && files.Exists(program)) return true;
            if (blank == std::wstring::npos) return false;
        }
    } catch (const Error&) {
        return false;
    }
}

// Task Manager keeps the change's time after the first four bytes; only
// the lowest bit of the first one says disabled. Anything else is enabled.
bool DisabledInTaskManager(RegistryKey& startupApproved) {
    if (!startupApproved.ValueExists(kAutostartValue)) return false;
    try {
        const std::vector<std::uint8_t> state = startupApproved.ReadBinary(kAutostartValue);
        return !state.empty() && (state[0] & 1) != 0;
    } catch (const RegistryError&) {
        return false;
    }
}

// Step 1 of "Conferma". A value naming another copy of the program that
// exists is that copy's: it stays.
void ApplyAutostart(Registry& registry, ArchiveFiles& files, const std::wstring& programPath, bool ticked) {
    const std::unique_ptr<RegistryKey> run = registry.OpenExisting(kRunKey);
    const bool present = run->ValueExists(kAutostartValue);
    if (!ticked) {
        if (present) run->DeleteValue(kAutostartValue);
        return;
    }
    if (!present || !StartsAnExistingFile(*run, files)) run->WriteString(kAutostartValue, AutostartCommand(programPath));
    // Without a value there, Windows starts whatever the Run key holds.
    const std::unique_ptr<RegistryKey> startupApproved = registry.OpenExisting(kStartupApprovedKey);
    if (DisabledInTaskManager(*startupApproved)) startupApproved->DeleteValue(kAutostartValue);
}

}  // namespace

bool AutostartWorks(Registry& registry, ArchiveFiles& files) {
    const std::unique_ptr<RegistryKey> run = registry.OpenExisting(kRunKey);
    if (!run->ValueExists(kAutostartValue) || !StartsAnExistingFile(*run, files)) return false;
    return !DisabledInTaskManager(*registry.OpenExisting(kStartupApprovedKey));
}

OptionsView OpenOptions(const Settings& settings, Services& services, std::wstring& percorsoDatiPrecedente,
                        const std::wstring& nuovoPercorsoDati) {
    percorsoDatiPrecedente = settings.dati;
    return {settings.suono, FolderOf(nuovoPercorsoDati.empty() ? settings.dati : nuovoPercorsoDati),
            AutostartWorks(services.registry, services.files), ShowMainWindowAtStart(settings.avvio)};
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
    ApplyAutostart(services.registry, services.files, programPath, choices.autostart);
    if (!choices.nuovoPercorsoDati.empty()) {
        if (WriteListAsNewArchive(state, services, choices.nuovoPercorsoDati)) {
            state.settings.dati = choices.nuovoPercorsoDati;
            // The new archive holds the list as it is: nothing left to save.
            state.loadIncomplete = false;
            state.modificato = false;
            state.aggiornatoDaTimer = false;
            state.alertStamps.clear();
            DropRecovery(state, services);
        } else {
            SwitchToArchive(state, services, choices.nuovoPercorsoDati);
        }
    }
    if (!choices.suono.empty()) state.settings.suono = choices.suono;
    state.settings.avvio = static_cast<std::uint8_t>((choices.autostart ? 1 : 0) + (choices.showAtStart ? 2 : 0));
}

OptionsView OptionsSession::Open(const Settings& settings, Services& services, bool afresh) {
    if (afresh) nuovoPercorsoDati_.clear();
    return OpenOptions(settings, services, percorsoDatiPrecedente_, nuovoPercorsoDati_);
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
