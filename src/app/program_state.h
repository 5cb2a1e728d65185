#pragma once
// The process-wide values of the main window, and the start-up and close
// decisions made on them.

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>

#include "app/platform.h"
#include "app/archive_sync.h"
#include "app/recovery_file.h"
#include "app/settings.h"
#include "core/archive_files.h"
#include "core/archive_merge.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace ricordex {

struct ProgramState {
    Settings settings;
    EventList list;                  // the rows ListView1 shows
    bool modificato = false;         // the user changed the list since it was loaded or saved
    bool aggiornatoDaTimer = false;  // an alert changed a stamp since then
    std::string avvioProgramma;      // this run's start (or last resume), "dd/mm/yyyy hh.nn"
    // The stamps alerts gave since the archive was last written.
    AlertStamps alertStamps;
    // Up to where the scheduler has examined the list, also across runs
    // (the registry value UltimoControllo); nothing before the first run.
    std::optional<DateTime> examinedUpTo;
    DateTime examinedUpToWritten = 0;  // when it was last written
    // The last load of an archive failed: the list may lack events that only
    // the archive holds.
    bool loadIncomplete = false;
    // What the archive held when last read or written, for merging the
    // changes another program made to it since.
    ArchiveBase base;
    // Conflicted copies beside the archive that could not be read, reported
    // once each; and the ticks since the archive was last reached.
    std::set<std::filesystem::path> unreadableCopies;
    int ticksUnreachable = 0;
    // A file system's clock may step by seconds (FAT's two, some network
    // storage's one): another save of the same size within the step of
    // the one last read or written leaves the file's stamp as it was. The
    // first look a few seconds after the base was taken reads the file all
    // the same, once (app/archive_follow.h).
    struct BaseStampCheck {
        std::optional<std::uint64_t> version;  // the base it is for
        DateTime since = 0;                    // when a look first met that base
        bool done = false;
    } baseStampCheck;
    // The recovery file of the changes not yet saved (app/recovery_file.h).
    RecoveryTrack recovery;
    // The alerts missed that their box could only count, not name: the
    // list shows them in bold for the rest of the run.
    std::unordered_set<RowId> missedUnnamed;
    // Read-only archives whose refused save was told: once a run each.
    std::set<std::filesystem::path> readOnlyReported;
    // The archive whose save failed at a close and was told, since the last
    // save that worked: the next close there goes on without it.
    std::filesystem::path refusedSaveTold;
    // A save is under way (its file work may wait while the window answers
    // messages): no other save starts until it ends.
    bool saving = false;
};

// Marks a save under way for as long as it lasts, however it ends.
class SavingNow {
public:
    explicit SavingNow(ProgramState& state) : state_(state) { state_.saving = true; }
    ~SavingNow() { state_.saving = false; }
    SavingNow(const SavingNow&) = delete;
    SavingNow& operator=(const SavingNow&) = delete;

private:
    ProgramState& state_;
};

struct Services {
    Registry& registry;
    ArchiveFiles& files;
    Clock& clock;
    Questions& questions;
    std::wstring programFolder;  // with its trailing backslash
    // Tells the user of what went wrong without stopping what goes on (the
    // window shows it once nothing else is open); nothing by default.
    ErrorReport report = {};
    // Where the changes not yet saved are kept against a crash (see
    // app/recovery_file.h); none when empty.
    std::filesystem::path recoveryFile = {};
    // Runs the file work of a save, which may wait on a network folder or
    // on another program's lock: the window runs it on another thread and
    // keeps painting meanwhile; what the work raises is raised again. Nothing
    // set: it runs right here.
    std::function<void(const std::function<void()>&)> runFileWork = {};
    // This PC's name, as sync clients put it in a conflicted copy's name.
    std::wstring computerName = {};
    // Tells the user of what went well although it looked wrong (a lock
    // left behind, taken over): an information box; through `report` when
    // empty.
    ErrorReport inform = {};
};

// The deciding steps of the main window's creation: settings, start stamp,
// archive. Returns whether the main window is wanted at start. A failure to
// load the archive is raised and skips what follows; a setting that cannot
// be read is reported, keeps its default, and the start goes on, because a
// list left empty would be written over the archive at the next save.
// The changes a crash left unsaved are then offered back, also when nothing
// of the archive could be read (app/recovery_file.h).
bool StartUp(ProgramState& state, Services& services, const ErrorReport& report);
// The same steps apart, for a window that wants to be on screen before the
// offer: the settings and the moment examined (whether the main window is
// wanted), then the start stamp and the archive. The offer is then
// OfferRecovery's.
bool ReadSettingsAtStart(ProgramState& state, Services& services, const ErrorReport& report);
void LoadArchiveAtStart(ProgramState& state, Services& services, const ErrorReport& report);

// The save decision of a close or "Chiudi": asks when the user changed the
// list, saves without asking when an alert did, and writes the settings and
// the moment examined. After an answer of No, what is written is the
// archive as last read or written with only the alerts' new stamps: the
// user's changes stay unsaved (and their recovery file goes: the user chose
// to drop them). A failure is raised and leaves the flags set, the changes
// kept in the recovery file for the next start; it is raised once for an
// archive until a save works again (a read-only archive's refusal once a
// run): later closes go on.
void SaveOnClose(ProgramState& state, Services& services);

// Windows is ending the session: there is no one to ask, so whatever
// changed is saved, and the settings and the moment examined are written.
// During a save (a close's, waiting on a network folder or a lock), no
// second one starts over the same changes: the one under way writes them,
// and the recovery file holds them should Windows end the program first.
void SaveAtEndOfSession(ProgramState& state, Services& services);

// The moment examined, written now (the machine goes to sleep), or at most
// every few minutes while the program runs (`everyFewMinutes`). A failure
// is raised.
void RememberExamined(ProgramState& state, Services& services, bool everyFewMinutes = false);

// The latest stamp believed now (a StampOrder): one further ahead comes
// from a clock that was wrong, and loses to any other in a merge.
long long LatestBelievedStamp(const ProgramState& state, Clock& clock);

// A resume from sleep or hibernation begins a new run: "Avvio Computer"
// rows inside their window are alerted once more.
void BeginRunAtResume(ProgramState& state, Services& services);

// Writes the list over the archive named by Dati, holding the archive's
// lock. A read-only archive is refused (ReadOnlyFileError) before anything
// is written; a close or "Chiudi" tells it once a run. Another program's changes to the file and the conflicted copies
// beside it are merged in first (see app/archive_sync.h). After a failed
// load, and when the file changed but cannot be read, the archive is first
// copied aside, as "<archive>.yyyymmdd-hhnnss.bak" beside it, so that no
// event is lost with it (the second case is reported). A failure is raised
// and leaves the archive as it was. Once it went through, nothing is
// unsaved; when the archive had never been read before (out of reach at
// start), what a crash left unsaved is offered then (app/recovery_file.h).
void SaveArchive(ProgramState& state, Services& services);
// The same, writing the archive's rows as last read or written with the
// alerts' new stamps applied, instead of the list (after an answer of No).
void SaveAlertStampsOnly(ProgramState& state, Services& services);

}  // namespace ricordex
