#include "app/recovery_file.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/archive_recovery.h"
#include "app/archive_sync.h"
#include "app/program_state.h"
#include "core/archive.h"
#include "core/archive_merge.h"
#include "core/archive_record.h"
#include "core/archive_swap.h"
#include "core/errors.h"
#include "core/paths.h"

namespace ricordex {
namespace {

// The archive's path is a few hundred bytes: anything much longer is not one.
constexpr std::uint64_t kLongestArchiveName = 64 * 1024;

// A whole number of records, or it raises: a file cut short is not
// trusted for what it lacks.
std::vector<RowTexts> ReadRows(ArchiveFiles& files, const std::filesystem::path& path) {
    const std::unique_ptr<InputFile> file = files.OpenExisting(path);
    if (file->Size() % kRecordSize != 0) throw InOutError(InOutError::kReadBeyondEnd);
    EventList rows;
    LeggiRecord(rows, *file);
    return RowsOf(rows);
}

std::optional<std::filesystem::path> ReadArchiveName(ArchiveFiles& files, const std::filesystem::path& path) {
    try {
        if (!files.Exists(path)) return std::nullopt;
        const std::unique_ptr<InputFile> file = files.OpenExisting(path);
        const std::uint64_t size = file->Size();
        if (size == 0 || size > kLongestArchiveName) return std::nullopt;
        std::u8string text(static_cast<std::size_t>(size), u8'\0');
        file->Read(reinterpret_cast<char*>(text.data()), text.size());
        return std::filesystem::path(text);
    } catch (const std::exception&) {
        return std::nullopt;  // a recovery that names no archive is not offered
    }
}

void WriteFile(ArchiveFiles& files, const std::filesystem::path& path, const char* data, std::size_t size) {
    const std::unique_ptr<OutputFile> file = files.CreateReplacement(path);
    if (size > 0) file->Write(data, size);
    file->Commit();
}

// A new base goes beside the old one, then the changes, then the base takes
// its name. A crash between the changes and their base would leave the
// changes with the base before it: every event the archive gained between
// the two (merged in from another PC) would pass for this PC's own
// addition, and come back after that PC deleted it.
void WriteRecovery(ProgramState& state, Services& services, const RecoveryFiles& paths) {
    RecoveryTrack& track = state.recovery;
    const std::filesystem::path archive = state.settings.dati;
    if (track.archive != archive) {
        const std::u8string name = archive.u8string();
        WriteFile(services.files, paths.archive, reinterpret_cast<const char*>(name.data()), name.size());
        track.archive = archive;
    }
    const std::size_t base = std::hash<std::string>{}(state.base.records);
    const bool newBase = track.base != base;
    if (newBase) {
        WriteFile(services.files, paths.nextBase, state.base.records.data(), state.base.records.size());
    } else {
        services.files.Remove(paths.nextBase);  // one left by a write that failed is not this list's
    }
    ScriviRecord(state.list, services.files, paths.rows);
    track.revision = state.list.Revision();
    track.keptFor = archive;
    if (newBase) {
        services.files.Remove(paths.base);
        services.files.RenameToNew(paths.nextBase, paths.base);
        track.base = base;
    }
}

// A write of the changes that stopped beside a new base: the base is theirs
// when the changes were written after it, in the same tick of the file
// clock included (or when the old base was already gone), else it is
// dropped. A disk that cannot tell the order keeps the old one: the changes
// then merge as they did before the new base was read.
void SettleNextBase(ArchiveFiles& files, const RecoveryFiles& paths) {
    if (!files.Exists(paths.nextBase)) return;
    const std::optional<FileStamp> changes = files.StampOf(paths.rows), next = files.StampOf(paths.nextBase);
    if (!files.Exists(paths.base) || (changes && next && changes->lastWrite >= next->lastWrite)) {
        files.Remove(paths.base);
        files.RenameToNew(paths.nextBase, paths.base);
    } else {
        files.Remove(paths.nextBase);
    }
}

// A write of a recovery file that stopped in its swap (a crash, a power
// cut) left it as ".new" and ".old": the newer, when whole, is taken back.
void TakeBackStoppedWrite(ArchiveFiles& files, const std::filesystem::path& file) {
    if (files.Exists(file)) return;
    const std::filesystem::path newer = ReplacementName(file), older = BackupName(file);
    const auto empty = [&files](const std::filesystem::path& path) { return files.OpenExisting(path)->Size() == 0; };
    // An empty new file is what a power cut leaves as often as an empty
    // list: taken only when there is nothing older to take.
    const auto usable = [&] { return file.extension() == ".psc" ? Whole(files, newer) : !empty(newer); };
    if (files.Exists(newer) && (usable() || (empty(newer) && !files.Exists(older)))) {
        files.RenameToNew(newer, file);
        files.Remove(older);
    } else if (files.Exists(older)) {
        files.RenameToNew(older, file);
    }
}

// Nothing of them on disk, as far as this run knows.
void Forget(RecoveryTrack& track) {
    const bool told = track.failureTold;
    track = {};
    track.failureTold = told;
}

// The changes first: a removal cut short leaves a base or a name alone,
// which the next write replaces. Before them, what a write of theirs cut
// short left beside them: with the changes gone, it would pass at the next
// start for a write that stopped in its swap, and be taken for them (an
// empty one for a list emptied).
void RemoveRecovery(ProgramState& state, Services& services, const RecoveryFiles& paths) {
    const auto removeIfThere = [&services](const std::filesystem::path& file) {
        if (services.files.Exists(file)) services.files.Remove(file);
    };
    removeIfThere(ReplacementName(paths.rows));
    removeIfThere(BackupName(paths.rows));
    services.files.Remove(paths.rows);
    services.files.Remove(paths.base);
    services.files.Remove(paths.nextBase);
    services.files.Remove(paths.archive);
    // What the other files' writes cut short left beside them would pass,
    // at the next start, for the files of a swap that stopped.
    for (const std::filesystem::path& file : {paths.base, paths.nextBase, paths.archive}) {
        services.files.Remove(ReplacementName(file));
        services.files.Remove(BackupName(file));
    }
    Forget(state.recovery);
    state.recovery.ours = true;
}

// Kept, never deleted: the changes and the name of their archive. The base
// means nothing without them. Returns the changes' new name.
std::filesystem::path SetAside(ProgramState& state, Services& services, const RecoveryFiles& paths) {
    const DateTime now = services.clock.Now();
    const std::filesystem::path aside = AsideName(services.files, paths.rows, now, ".scartato");
    services.files.RenameToNew(paths.rows, aside);
    if (services.files.Exists(paths.archive)) {
        services.files.RenameToNew(paths.archive, AsideName(services.files, paths.archive, now, ".scartato"));
    }
    RemoveRecovery(state, services, paths);
    return aside;
}

void TellOnce(ProgramState& state, Services& services, const std::string& text) {
    if (std::exchange(state.recovery.failureTold, true) || !services.report) return;
    services.report(text);
}

// The recovered rows' stamps later than the archive's are alerts given
// since the last save: kept as this run's own, so that an answer of No at
// close still writes them. Returns the archive's rows with them.
std::vector<RowTexts> TakeRecoveredStamps(ProgramState& state, const std::vector<RowTexts>& recovered,
                                          std::vector<RowTexts> archived, long long notAfter) {
    std::unordered_map<std::string, std::string> archivedStamps;
    for (const RowTexts& row : archived) {
        std::string& latest = archivedStamps.try_emplace(EventKey(row)).first->second;
        if (LaterStamp(row[kUltimoAvviso], latest, notAfter)) latest = row[kUltimoAvviso];
    }
    for (const RowTexts& row : recovered) {
        const auto found = archivedStamps.find(EventKey(row));
        if (found == archivedStamps.end() || !LaterStamp(row[kUltimoAvviso], found->second, notAfter)) continue;
        std::string& stamp = state.alertStamps[found->first];
        if (LaterStamp(row[kUltimoAvviso], stamp, notAfter)) stamp = row[kUltimoAvviso];
        state.aggiornatoDaTimer = true;
    }
    for (RowTexts& row : archived) {
        const auto stamp = state.alertStamps.find(EventKey(row));
        if (stamp != state.alertStamps.end() && LaterStamp(stamp->second, row[kUltimoAvviso], notAfter)) {
            row[kUltimoAvviso] = stamp->second;
        }
    }
    return archived;
}

// The same events, whatever their stamps.
bool SameEvents(const std::vector<RowTexts>& a, const std::vector<RowTexts>& b) {
    return a.size() == b.size() && RowsBeyond(b, a).empty();
}

// The recovery files stay until the next change or save: a crash before
// either offers the same again.
void KeepFilesForThisRun(ProgramState& state) {
    state.recovery.ours = true;
    state.recovery.archive = state.settings.dati;
    state.recovery.revision = state.list.Revision();
    state.recovery.keptFor = state.settings.dati;
}

// The archive read in part or not at all (a lock, a share or a file online
// only, out of reach): the rows not read yet are taken as the base the
// changes were made against has them, in the list and as its base, so that
// the changes merge with what was read now, and with the rest, as another
// program's changes, once it is read. False without a base that can be
// read: the changes cannot be told apart, and wait for the archive.
bool TakeUnreadRowsFromBase(ProgramState& state, Services& services, const RecoveryFiles& paths) {
    std::vector<RowTexts> base;
    try {
        if (!services.files.Exists(paths.base)) return false;
        base = ReadRows(services.files, paths.base);
    } catch (const Error&) {
        return false;
    }
    std::vector<RowTexts> rows = RowsOf(state.list);
    for (RowTexts& unread : RowsBeyond(base, rows)) rows.push_back(std::move(unread));
    ApplyRows(state.list, rows);
    state.base.SetRows(rows);
    ++state.base.version;
    return true;
}

}  // namespace

RecoveryFiles RecoveryFilesOf(const std::filesystem::path& recoveryFile) {
    std::filesystem::path archive = recoveryFile;
    archive.replace_extension(".txt");
    std::filesystem::path base = recoveryFile.stem();
    base += "-base";
    base += recoveryFile.extension();
    std::filesystem::path nextBase = recoveryFile.parent_path() / base;
    nextBase += ".next";
    return {recoveryFile, archive, recoveryFile.parent_path() / base, nextBase};
}

bool RecoveryOnDisk(Services& services) {
    if (services.recoveryFile.empty()) return false;
    const std::filesystem::path rows = RecoveryFilesOf(services.recoveryFile).rows;
    try {
        return services.files.Exists(rows) || services.files.Exists(ReplacementName(rows)) ||
               services.files.Exists(BackupName(rows));
    } catch (const Error&) {
        return true;  // OfferRecovery says what it finds
    }
}

void OfferRecovery(ProgramState& state, Services& services) {
    // Once a run: what it found, took or wrote is its own. An archive read
    // in part or not at all is offered at once all the same: the first
    // change would otherwise set the changes aside.
    if (state.recovery.ours) return;
    Forget(state.recovery);
    if (services.recoveryFile.empty()) return;
    const RecoveryFiles paths = RecoveryFilesOf(services.recoveryFile);
    try {
        for (const std::filesystem::path& file : {paths.rows, paths.base, paths.archive}) {
            TakeBackStoppedWrite(services.files, file);
        }
        SettleNextBase(services.files, paths);
        if (!services.files.Exists(paths.rows)) {
            state.recovery.ours = true;
            return;
        }
        // Another archive's stays as it is, until this run has changes of its own.
        const std::optional<std::filesystem::path> archive = ReadArchiveName(services.files, paths.archive);
        if (!archive || PathKey(*archive) != PathKey(state.settings.dati)) return;

        std::vector<RowTexts> recovered;
        try {
            recovered = ReadRows(services.files, paths.rows);
        } catch (const Error& error) {
            const std::filesystem::path aside = SetAside(state, services, paths);
            if (services.report) {
                services.report("Le modifiche non salvate della volta scorsa non si possono leggere (" +
                                std::string(error.what()) + "): il file \xE8 stato messo da parte come \"" +
                                aside.filename().string() + "\".");
            }
            return;
        }
        if (state.loadIncomplete && !TakeUnreadRowsFromBase(state, services, paths)) return;
        const std::vector<RowTexts> archived = RowsOf(state.list);
        if (SameRows(recovered, archived)) {
            RemoveRecovery(state, services, paths);
            return;
        }
        // Without a base that can be read, the changes are taken as they are.
        std::vector<RowTexts> base = archived;
        try {
            if (services.files.Exists(paths.base)) base = ReadRows(services.files, paths.base);
        } catch (const Error&) {
        }
        // An archive emptied or made anew would pass for the deletion of every row.
        if (archived.empty()) base = archived;
        const long long notAfter = LatestBelievedStamp(state, services.clock);
        const std::vector<RowTexts> merged = MergeRows(base, archived, recovered, notAfter);
        if (SameRows(merged, archived)) {
            RemoveRecovery(state, services, paths);
            return;
        }
        // The alerts' stamps are not the user's changes to confirm: kept
        // whatever the answer, and asked about only with changes of the user.
        if (SameEvents(merged, archived)) {
            ApplyRows(state.list, TakeRecoveredStamps(state, merged, archived, notAfter));
            KeepFilesForThisRun(state);
            return;
        }
        // Only No declines: a box that could not be shown loses nothing.
        if (services.questions.Ask(kRestoreQuestion, kRestoreCaption, kYesNoQuestion) == kAnswerNo) {
            SetAside(state, services, paths);
            ApplyRows(state.list, TakeRecoveredStamps(state, merged, archived, notAfter));
            return;
        }
        TakeRecoveredStamps(state, merged, archived, notAfter);
        ApplyRows(state.list, merged);
        state.modificato = true;
        KeepFilesForThisRun(state);
    } catch (const Error& error) {
        TellOnce(state, services,
                 "Il file delle modifiche non salvate non si pu\xF2 leggere o spostare (" + std::string(error.what()) +
                     "): resta dov'\xE8.");
    }
}

namespace {

// True when the list went to the recovery file.
bool WriteKeptList(ProgramState& state, Services& services) {
    if (services.recoveryFile.empty() || (!state.modificato && !state.aggiornatoDaTimer)) return false;
    RecoveryTrack& track = state.recovery;
    const RecoveryFiles paths = RecoveryFilesOf(services.recoveryFile);
    try {
        if (!track.ours && services.files.Exists(paths.rows)) {
            // Made for another archive, or left while this one could not be
            // loaded: never written over, and the user is told where it went.
            const std::filesystem::path aside = SetAside(state, services, paths);
            if (services.report) {
                services.report("Le modifiche non salvate di una volta precedente, non riprese, sono state messe da "
                                "parte come \"" + PathText(aside) + "\".");
            }
        }
        track.ours = true;
        WriteRecovery(state, services, paths);
        return true;
    } catch (const std::exception& error) {
        // Tried again at the next change, not at every tick.
        track.revision = state.list.Revision();
        track.keptFor = state.settings.dati;
        TellOnce(state, services,
                 "Le modifiche non salvate non si possono scrivere nel file di recupero (" +
                     std::string(error.what()) + "): se il PC si spegnesse prima di salvarle, andrebbero perse.");
        return false;
    }
}

}  // namespace

void KeepRecovery(ProgramState& state, Services& services) {
    const RecoveryTrack& track = state.recovery;
    if (track.revision == state.list.Revision() && track.keptFor == state.settings.dati) return;
    WriteKeptList(state, services);
}

bool KeepRecoveryForNextStart(ProgramState& state, Services& services) {
    return WriteKeptList(state, services);
}

void DropRecovery(ProgramState& state, Services& services) {
    if (services.recoveryFile.empty() || !state.recovery.ours) return;
    try {
        RemoveRecovery(state, services, RecoveryFilesOf(services.recoveryFile));
    } catch (const Error&) {
        // Left behind, it is compared with the archive again at the next
        // start; a change before then writes it anew.
        Forget(state.recovery);
        state.recovery.ours = true;
    }
    state.recovery.revision = state.list.Revision();
    state.recovery.keptFor = state.settings.dati;
}

}  // namespace ricordex
