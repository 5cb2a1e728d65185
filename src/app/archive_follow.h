#pragma once
// Following the archive while the program runs: another program (a second
// PC) saved it, and a list with nothing unsaved takes its rows. The look at
// the file is kept apart from the change of the list, so that the look,
// which may wait on a network folder, runs off the window's thread.

#include <filesystem>
#include <optional>

#include "app/archive_sync.h"
#include "app/program_state.h"

namespace ricordex {

// What a look at the archive is for, decided from the program's state.
struct ArchiveLookRequest {
    std::filesystem::path archive;
    // The stamp last read or written: a file with another is read. None
    // while the list is not loaded whole: read at every look.
    std::optional<FileStamp> known;
    std::uint64_t baseVersion = 0;  // the base the look is for
    bool checkingStamp = false;     // read although the stamp is the same
    DateTime now = 0;                // names the files a stopped swap left
};

struct ArchiveLook {
    ArchiveLookRequest request;
    ArchiveSight sight;  // not there, or not reached: no stamp
    std::optional<std::string> told;  // an archive taken back from a stopped swap
};

// The look the program's state asks for now. The first look at least
// kStampStep after a look first met the base reads the file whatever its
// stamp: a save of the same size within the step of a coarse file system
// clock (FAT, some network storage) is taken then, not at the next save.
inline constexpr DateTime kStampStep = 3.0 / (24 * 60 * 60);

ArchiveLookRequest FollowRequest(const ProgramState& state, DateTime now = 0);

// Takes the look: the file's stamp and, when it changed and the request
// says so, its rows. An archive missing beside the files of a swap that
// stopped half-way (another PC's) is taken back first. Never raises: a
// folder that cannot be reached is a look without a stamp.
ArchiveLook LookAtArchive(ArchiveFiles& files, const ArchiveLookRequest& request);

// What the look found, applied to the list: when the archive changed, its
// changes are merged into the list, as a save merges them: with nothing
// unsaved here the list takes the archive's rows; the alerts' stamps given
// here and not saved yet stay (the later stamp wins) and the user's
// unsaved changes stay too, still unsaved. The rows that stay keep their
// ids (the selection and the editor follow them). A look taken before a
// save, a load or a switch of archive is stale and changes nothing. An
// archive not reached at two looks in a row (its folder on a network that
// is down) is reported once, until it can be reached again; the list stays
// as it is. One that could not be reached at start is loaded once it can
// be, while nothing here is unsaved. Returns whether the list changed.
bool FollowSeen(ProgramState& state, Services& services, const ArchiveLook& look);

// Both at once, as a tick does where waiting does not matter.
bool FollowArchive(ProgramState& state, Services& services);

}  // namespace ricordex
