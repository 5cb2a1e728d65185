#include "app/program_state.h"

#include <cmath>
#include <exception>
#include <typeinfo>
#include <string>
#include <utility>
#include <vector>

#include "app/archive_recovery.h"
#include "app/last_save.h"
#include "app/lock_takeover_note.h"
#include "app/recovery_file.h"
#include "core/archive.h"
#include "core/archive_lock.h"
#include "core/errors.h"

namespace ricordex {
namespace {

// "<archive>.yyyymmdd-hhnnss.bak" beside it ("-2.bak" and on when a copy of
// the same second is there).
void KeepAside(Services& services, const std::filesystem::path& archive) {
    services.files.CopyToNew(archive, AsideName(services.files, archive, services.clock.Now()));
}

// The archive's rows as last read or written, each with the stamp an alert
// gave its event since, in the file's order.
EventList BaseWithAlertStamps(const ArchiveBase& base, const AlertStamps& stamps, long long notAfter) {
    EventList rows;
    for (RowTexts row : base.Rows()) {
        // The later stamp wins, as in any merge: another program may have
        // alerted the event since.
        const auto stamp = stamps.find(EventKey(row));
        if (stamp != stamps.end() && LaterStamp(stamp->second, row[kUltimoAvviso], notAfter)) {
            row[kUltimoAvviso] = stamp->second;
        }
        rows.AppendUnordered(FieldsOf(row), 0);
    }
    return rows;
}

enum class Written { kList, kAlertStampsOnly };

void MergeAndWrite(ProgramState& state, Services& services, Written written, const std::filesystem::path& archive,
                   bool& keptAside) {
    // Another program may have changed the archive since it was read: its
    // changes join the list's. After a load that failed half-way, the rows
    // it did not read come back this way too, when the file reads now.
    const long long notAfter = LatestBelievedStamp(state, services.clock);
    if (MergeChangesOnDisk(state.base, state.list, services.files, archive, notAfter) == DiskChange::kUnreadable &&
        !keptAside) {
        KeepAside(services, archive);
        keptAside = true;
        if (services.report) {
            services.report("L'archivio \xE8 cambiato su disco ma non si pu\xF2 leggere: prima di scriverlo ne \xE8 "
                            "stata fatta una copia accanto (.bak).");
        }
    }
    const std::string over = state.base.records;  // what the archive holds now
    const std::filesystem::path lastSave = LastSaveFile(services.recoveryFile);
    if (written == Written::kAlertStampsOnly) {
        // The conflicted copies wait for a save of the list: their rows
        // would be in the list only, and the copies set aside.
        const EventList rows = BaseWithAlertStamps(state.base, state.alertStamps, notAfter);
        KeepLastSave(services.files, lastSave, over, rows);
        ScriviRecord(rows, services.files, archive);
        state.loadIncomplete = false;
        RememberBase(state.base, rows, services.files, archive);
        return;
    }
    const std::vector<std::filesystem::path> copies =
        MergeConflictedCopies(state.base, state.list, services.files, archive, state.unreadableCopies,
                              services.report, services.computerName, notAfter, lastSave);
    // With no archive to copy (its drive not ready yet, say) the list may
    // still lack its events: only a save that went through ends the doubt.
    // Kept before the swap, not after: the moment between the swap and the
    // removal of the recovery file (a crash there offers the changes again
    // at the next start) stays as short as it was.
    KeepLastSave(services.files, lastSave, over, state.list);
    ScriviRecord(state.list, services.files, archive);
    state.loadIncomplete = false;
    RememberBase(state.base, state.list, services.files, archive);
    SetAsideMergedCopies(copies, services.files, services.report);
}

void WriteArchiveHere(ProgramState& state, Services& services, Written written) {
    const std::filesystem::path archive = state.settings.dati;
    // Nothing is written to a read-only archive, nor beside it.
    if (services.files.IsReadOnly(archive)) throw ReadOnlyFileError(archive);
    // Two programs on one shared archive merge and write in turn.
    LockTakeoverNote takeover(services);
    const std::unique_ptr<ArchiveLock> lock = LockArchive(services.files, archive, takeover.Taker());
    // Another program's swap stopped half-way: its archive is taken back
    // and merged like any, never written over.
    if (const std::optional<std::string> told = TakeBackStoppedSwap(services.files, archive, services.clock.Now());
        told && services.report) {
        services.report(*told);
    }
    bool keptAside = false;
    if (state.loadIncomplete && services.files.Exists(archive)) {
        KeepAside(services, archive);
        keptAside = true;
        // The archive's events are safe in the copy, whatever the save does.
        state.loadIncomplete = false;
    }
    // An archive that looked missing and is there once the new file moves
    // in is another program's save: merged like any, then written again.
    for (int turn = 1;; ++turn) {
        try {
            MergeAndWrite(state, services, written, archive, keptAside);
            takeover.Saved();
            return;
        } catch (const TargetAppearedError&) {
            if (turn == 3) throw;
        }
    }
}

// The file work may wait (a network folder, another program's lock): given
// a place to run it (off the window's thread, the window painting the list
// meanwhile), it works on a copy of what it changes, taken back once it
// ends, and what it has to tell is told then.
void WriteArchive(ProgramState& state, Services& services, Written written) {
    const SavingNow saving(state);
    if (!services.runFileWork) {
        WriteArchiveHere(state, services, written);
        return;
    }
    ProgramState work = state;
    const std::uint64_t revision = state.list.Revision();
    std::vector<std::string> reports, informs;
    Services workServices = services;
    workServices.report = [&reports](const std::string& text) { reports.push_back(text); };
    workServices.inform = [&informs](const std::string& text) { informs.push_back(text); };
    std::exception_ptr failure;
    services.runFileWork([&] {
        try {
            WriteArchiveHere(work, workServices, written);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    // What the file work changes, whether it went through or not: the list
    // holds what was merged in, the base what the file holds. A list changed
    // meanwhile (a message answered during the wait saved it itself) stays,
    // with the base as it was: the next save merges again what this one found.
    if (state.list.Revision() == revision) {
        state.list = std::move(work.list);
        state.base = std::move(work.base);
    }
    state.loadIncomplete = work.loadIncomplete;
    state.unreadableCopies = std::move(work.unreadableCopies);
    if (services.report) {
        for (const std::string& text : reports) services.report(text);
    }
    const ErrorReport& inform = services.inform ? services.inform : services.report;
    if (inform) {
        for (const std::string& text : informs) inform(text);
    }
    if (failure) std::rethrow_exception(failure);
}

// What becomes of the changes when a save at a close fails: the user's are
// kept for the next start (or dropped, when the user declined them), and at
// the end of a session nobody closes again.
enum class Unsaved { kKept, kDeclined, kSessionEnd };

// What a close tells when its save fails: the archive and the cause (the
// system's bare failure, "File access denied", names neither), then what
// becomes of the changes.
std::string RefusedSaveText(const ProgramState& state, const InOutError& failure, Unsaved unsaved, bool kept) {
    std::string text = failure.what();
    if (typeid(failure) == typeid(InOutError)) {
        text = "L'archivio \"" + PathText(state.settings.dati) + "\" non si pu\xF2 salvare (" + text + ").";
    }
    if (kept) text += " Le modifiche restano nel file di recupero e sono riproposte al prossimo avvio.";
    if (unsaved == Unsaved::kSessionEnd) return text;
    return text + (kept || unsaved == Unsaved::kDeclined
                       ? " La prossima chiusura non si ferma pi\xF9 per questo errore."
                       : " La prossima chiusura non si ferma pi\xF9 per questo errore, e le modifiche non salvate "
                         "andranno perse.");
}

// A read-only archive refuses every save. The first refusal of a run is
// raised: the user is told, and the close or "Chiudi" stops there. Later
// ones are not told again and let the close go on, the changes unsaved in
// the list (the flags stay set). Any other failure is told once for the
// archive, until a save works again, and the changes are kept in the
// recovery file for the next start (or dropped, if the user declined
// them); later closes go on: a save refused for good (a folder the system
// guards, a share's permissions) must not leave a program that cannot be
// ended. A swap stopped half-way says itself what becomes of the events.
template <typename Saving>
void UnlessRefusedBefore(ProgramState& state, Services& services, Unsaved unsaved, Saving saving) {
    try {
        saving();
    } catch (const ReadOnlyFileError& refused) {
        if (state.readOnlyReported.insert(refused.file()).second) throw;
    } catch (const Error& error) {
        bool kept = false;
        if (unsaved == Unsaved::kDeclined) {
            DropRecovery(state, services);
        } else {
            kept = KeepRecoveryForNextStart(state, services);
        }
        if (state.refusedSaveTold == state.settings.dati) return;
        state.refusedSaveTold = state.settings.dati;
        const auto* failure = dynamic_cast<const InOutError*>(&error);
        if (failure == nullptr || dynamic_cast<const HalfDoneSwapError*>(&error) != nullptr) throw;
        throw InOutError(failure->code(), RefusedSaveText(state, *failure, unsaved, kept));
    }
}

}  // namespace

void SaveArchive(ProgramState& state, Services& services) {
    const bool neverRead = state.loadIncomplete && !state.base.stamp;
    WriteArchive(state, services, Written::kList);
    state.refusedSaveTold.clear();
    state.modificato = false;
    state.aggiornatoDaTimer = false;
    state.alertStamps.clear();
    DropRecovery(state, services);
    // What a crash left unsaved waited for the archive, which this save
    // reached first: offered now, unsaved again if taken.
    if (neverRead && !state.recovery.ours) OfferRecovery(state, services);
}

void SaveAlertStampsOnly(ProgramState& state, Services& services) {
    WriteArchive(state, services, Written::kAlertStampsOnly);
    state.refusedSaveTold.clear();
    DropRecovery(state, services);
    state.aggiornatoDaTimer = false;
    state.alertStamps.clear();
}

bool StartUp(ProgramState& state, Services& services, const ErrorReport& report) {
    const bool showMainWindow = ReadSettingsAtStart(state, services, report);
    try {
        LoadArchiveAtStart(state, services, report);
    } catch (const Error&) {
        OfferRecovery(state, services);  // with nothing read, on the changes' own base
        throw;
    }
    OfferRecovery(state, services);
    return showMainWindow;
}

bool ReadSettingsAtStart(ProgramState& state, Services& services, const ErrorReport& report) {
    try {
        LeggiDaRegistro(services.registry, services.programFolder, state.settings);
    } catch (const RegistryError& error) {
        report(error.what());
    }
    try {
        state.examinedUpTo = ReadExaminedUpTo(services.registry);
    } catch (const RegistryError& error) {
        report(error.what());  // nothing is missed this time; the close writes it anew
    }
    return ShowMainWindowAtStart(state.settings.avvio);
}

void LoadArchiveAtStart(ProgramState& state, Services& services, const ErrorReport& report) {
    // Taken before the archive is opened: a failed load must not leave it
    // empty, or every "Avvio Computer" row would fail at every tick.
    state.avvioProgramma = StampOf(services.clock.Now());
    state.loadIncomplete = true;
    try {
        LoadOrRecoverArchive(state.list, services.files, state.settings.dati, services.clock.Now(), report);
    } catch (const InOutError& error) {
        RememberBase(state.base, state.list, services.files, state.settings.dati);  // what was read
        // A drive or a share not there yet: the looks read it once it is.
        if (OutOfReach(error)) throw ArchiveOutOfReachError(state.settings.dati, error);
        throw;
    } catch (const Error&) {
        RememberBase(state.base, state.list, services.files, state.settings.dati);
        throw;
    }
    state.loadIncomplete = false;
    RememberBase(state.base, state.list, services.files, state.settings.dati);
    state.modificato = false;
    state.aggiornatoDaTimer = false;
}

void SaveOnClose(ProgramState& state, Services& services) {
    bool declined = false;
    if (state.modificato) {
        declined = services.questions.Ask("Salvare le modifiche?", "Conferma Modifiche", kYesNoQuestion) == kAnswerNo;
    }
    // Read after the answer: an alert during the question counts too.
    if (state.modificato && !declined) {
        UnlessRefusedBefore(state, services, Unsaved::kKept, [&] { SaveArchive(state, services); });
    } else if (state.aggiornatoDaTimer) {
        // No keeps the user's changes out of the archive, never the stamps.
        if (declined) {
            UnlessRefusedBefore(state, services, Unsaved::kDeclined,
                                [&] { SaveAlertStampsOnly(state, services); });
        } else {
            UnlessRefusedBefore(state, services, Unsaved::kKept, [&] { SaveArchive(state, services); });
        }
    } else if (declined) {
        DropRecovery(state, services);  // the user drops the changes
    }
    SalvaSuRegistro(services.registry, state.settings);
    RememberExamined(state, services);
}

void SaveAtEndOfSession(ProgramState& state, Services& services) {
    // The settings are written whatever the save does.
    std::exception_ptr failure;
    if (state.saving) {
        KeepRecovery(state, services);
    } else if (state.modificato || state.aggiornatoDaTimer) {
        try {
            UnlessRefusedBefore(state, services, Unsaved::kSessionEnd, [&] { SaveArchive(state, services); });
        } catch (const Error&) {
            failure = std::current_exception();
        }
    }
    SalvaSuRegistro(services.registry, state.settings);
    RememberExamined(state, services);
    if (failure) std::rethrow_exception(failure);
}

void RememberExamined(ProgramState& state, Services& services, bool everyFewMinutes) {
    constexpr double kFewMinutes = 5.0 / 1440;
    if (!state.examinedUpTo) return;
    const DateTime now = services.clock.Now();
    if (everyFewMinutes && std::fabs(now - state.examinedUpToWritten) < kFewMinutes) return;
    WriteExaminedUpTo(services.registry, *state.examinedUpTo);
    state.examinedUpToWritten = now;
}

long long LatestBelievedStamp(const ProgramState& state, Clock& clock) {
    return StampOrder(StampOf(JudgedMoment(clock.Now(), state.examinedUpTo) + kClockSetBackHeld));
}

void BeginRunAtResume(ProgramState& state, Services& services) {
    state.avvioProgramma = StampOf(services.clock.Now());
}

}  // namespace ricordex
