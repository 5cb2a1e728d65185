#include "app/archive_follow.h"

#include "app/archive_recovery.h"
#include "core/errors.h"

namespace ricordex {

ArchiveLookRequest FollowRequest(const ProgramState& state, DateTime now) {
    ArchiveLookRequest request;
    request.now = now;
    request.archive = state.settings.dati;
    request.known = state.base.stamp;
    request.baseVersion = state.base.version;
    // A list not loaded whole (the archive out of reach at start, or read
    // half-way: a file kept online only, a share that dropped) is read again
    // at every look until it loads, whatever is unsaved: against the base
    // of what was read, the rows not read come in as another program's
    // additions, and the user's changes meanwhile stay.
    if (state.loadIncomplete) request.known.reset();
    const ProgramState::BaseStampCheck& check = state.baseStampCheck;
    // A clock set back meanwhile (the end of summer time) does not hold it off.
    if (request.known && check.version == state.base.version && !check.done && now > 0 &&
        (now - check.since >= kStampStep || now < check.since)) {
        request.known.reset();
        request.checkingStamp = true;
    }
    return request;
}

ArchiveLook LookAtArchive(ArchiveFiles& files, const ArchiveLookRequest& request) {
    ArchiveLook look{request, {}, std::nullopt};
    try {
        std::optional<FileStamp> stamp = files.StampOf(request.archive);
        if (!stamp && (look.told = RecoverMissingArchive(files, request.archive, request.now))) {
            stamp = files.StampOf(request.archive);
        }
        if (!stamp) return look;
        look.sight.exists = true;
        look.sight.stamp = stamp;
        if (!request.known || stamp != request.known) {
            try {
                look.sight = SeeArchive(files, request.archive, true);
            } catch (const BusyFileError&) {
                // Held by another program: read at the next look.
            }
        }
    } catch (const Error&) {
        look.sight = {};  // as out of reach
    }
    return look;
}

bool FollowSeen(ProgramState& state, Services& services, const ArchiveLook& look) {
    if (look.told && services.report) services.report(*look.told);
    if (!state.base.known || look.request.archive != state.settings.dati) return false;
    if (!look.sight.stamp) {
        // Gone for one look may be another program replacing the file.
        if (state.base.stamp && ++state.ticksUnreachable == 2 && services.report) {
            services.report("L'archivio non si raggiunge (cartella di rete o disco non disponibile): "
                            "l'elenco resta com'\xE8 e il prossimo salvataggio riprover\xE0.");
        }
        return false;
    }
    state.ticksUnreachable = 0;
    // Taken before a save, a load or a merge: stale.
    if (look.request.baseVersion != state.base.version) return false;
    ProgramState::BaseStampCheck& check = state.baseStampCheck;
    if (check.version != state.base.version) check = {state.base.version, look.request.now, false};
    const bool loading = state.loadIncomplete;
    const bool checking = look.request.checkingStamp && look.sight.rows.has_value();
    if (!loading && !checking && look.sight.stamp == state.base.stamp) return false;
    const DiskChange change =
        MergeSeenChanges(state.base, state.list, look.sight, LatestBelievedStamp(state, services.clock));
    if (checking && change == DiskChange::kNone) check.done = true;
    if (loading) {
        // An archive not read whole at start, read now: loaded, unless it
        // still cannot be read (the next look tries again).
        if (change == DiskChange::kUnreadable) return false;
        state.loadIncomplete = false;
    }
    return change == DiskChange::kMerged;
}

bool FollowArchive(ProgramState& state, Services& services) {
    if (!state.base.known) return false;
    return FollowSeen(state, services, LookAtArchive(services.files, FollowRequest(state, services.clock.Now())));
}

}  // namespace ricordex
