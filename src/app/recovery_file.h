#pragma once
// The changes not yet saved, kept for this user on this PC: after each
// change the list is written to a recovery file (in the user's local
// application data, never beside the archive, whose folder other PCs may
// share), and the start that follows a crash or a power cut offers it back.
//
// Beside the recovery file, named after it ("Ricordex-recupero.psc"):
//   "Ricordex-recupero.txt"       the archive it belongs to (its path, in
//                                 UTF-8): a recovery made for another
//                                 archive is not offered for this one;
//   "Ricordex-recupero-base.psc"  the archive's rows the changes started
//                                 from (what it held when last read or
//                                 written): what another PC saved to a
//                                 shared archive meanwhile is merged with
//                                 the changes, not undone by them. A new
//                                 base is written before the changes, as
//                                 "Ricordex-recupero-base.psc.next", and
//                                 takes its name after them: the changes
//                                 are never met with a base they were not
//                                 made against.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace ricordex {

struct ProgramState;
struct Services;

inline constexpr char kRestoreQuestion[] = "Ripristinare le modifiche non salvate?";
inline constexpr char kRestoreCaption[] = "Ripristino Modifiche";

// What this run knows of the recovery files on disk.
struct RecoveryTrack {
    // They may be overwritten or removed: this run found none, wrote them,
    // or dealt with them at its start. A recovery made for another archive,
    // or left while the archive could not be loaded, is never overwritten:
    // the first write of the run sets it aside.
    bool ours = false;
    std::optional<std::filesystem::path> archive;  // the archive their companion names
    std::optional<std::size_t> base;               // the base written, by a hash of its records
    // The list's revision and the archive it went to when last written, or
    // when its changes were dropped: nothing to write until either changes.
    std::optional<std::uint64_t> revision;
    std::filesystem::path keptFor;
    bool failureTold = false;  // one report a run
};

// The files that go with a recovery file.
struct RecoveryFiles {
    std::filesystem::path rows;     // the list
    std::filesystem::path archive;  // the archive's path
    std::filesystem::path base;     // the rows the changes started from
    std::filesystem::path nextBase; // a new base, until the changes made against it are written
};
RecoveryFiles RecoveryFilesOf(const std::filesystem::path& recoveryFile);

// At start, once the archive has loaded: the alerts' stamps a recovery of
// this archive holds later than the archive's are kept as this run's own,
// without a question (they are saved as an alert's are). A recovery that
// also holds changes of the user (additions, edits, deletions) is offered
// (merged with what the archive holds now). Yes: the list takes it, with
// Modificato set. No: it is set aside as "<file>.yyyymmdd-hhnnss.scartato",
// its stamps kept all the same. A recovery equal to the archive is
// removed; one that cannot be read is set aside and reported. Nothing here
// stops the start: a failure is reported once. With the archive read in
// part or not at all (out of reach), the rows not read yet are taken as the
// base the changes were made against has them: the changes merge with
// those, and with the archive as another program's changes once it is
// read. Without a base, the offer waits for the archive. Offered once a
// run.
void OfferRecovery(ProgramState& state, Services& services);
// Whether a recovery file, or a write of one stopped half-way, is there:
// only then may OfferRecovery have a question to ask.
bool RecoveryOnDisk(Services& services);

// After a change (the editor's "Conferma", a deletion, a tick that
// stamped rows): while something is unsaved and the list or its archive
// changed since the last write, the list is written, as a save writes the
// archive (a new file, then the swap). A failure is reported once a run.
void KeepRecovery(ProgramState& state, Services& services);
// The same, written whatever was written or dropped before (a close that
// cannot save leaves the changes there for the next start): true when the
// file holds them.
bool KeepRecoveryForNextStart(ProgramState& state, Services& services);

// After a save, or an answer of No at close: nothing is left to recover
// until the list changes again.
void DropRecovery(ProgramState& state, Services& services);

}  // namespace ricordex
