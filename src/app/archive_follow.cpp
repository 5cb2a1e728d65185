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
    // A list that could not be loaded whole is read again only once the
    // archive is reached at all (it was out of reach at start), and while
    // nothing here is unsaved: a file that failed half-way waits for the
    // save, which keeps it aside first.
    // An archive never reached (missing, or its lock held by a PC that lost
    // its power) is read whatever is unsaved: against an empty base the
    // user's changes meanwhile are additions, and stay.
    request.readWhenChanged = state.loadIncomplete ? !state.base.stamp : true;
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
        if (request.readWhenChanged && stamp != request.known) {
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
    if (look.request.baseVersion != state.base.version || !look.request.readWhenChanged) return false;
    if (look.sight.stamp == state.base.stamp) return false;
    const bool notLoaded = !state.base.stamp;
    const DiskChange change =
        MergeSeenChanges(state.base, state.list, look.sight, LatestBelievedStamp(state, services.clock));
    if (notLoaded) {
        // An archive not reached at start, reached now: loaded, unless it
        // cannot be read (the next look tries again).
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
