#pragma once
// The alert scheduler: at each tick of Timer1 it examines the rows in list
// order, alerts the ones that are due, with the sound and a message, and
// stamps them. What fell due while nobody was watching (the PC off or
// asleep, the program closed, another alert waiting for an answer) is shown
// once, together, in one box.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "alerts/calendar.h"
#include "alerts/due_index.h"
#include "alerts/postponements.h"
#include "alerts/row_times.h"
#include "core/archive_merge.h"
#include "core/clock.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace ricordex {

inline constexpr unsigned kNormalInterval = 10'000;      // between ticks
inline constexpr unsigned kHoldOffInterval = 1'000'000;  // while a message is open
inline constexpr unsigned kSoonInterval = 1'000;         // after the editor changed a row

// What a tick needs of the platform besides the clock.
class AlertPorts {
public:
    virtual ~AlertPorts() = default;
    // Timer1's interval: the same value changes nothing, another restarts the countdown.
    virtual void SetInterval(unsigned milliseconds) = 0;
    // Starts the alarm sound and returns at once; never fails.
    virtual void SoundAlarm(const std::wstring& sound) = 0;
    // Shows the alert message and returns when it is answered: seen, or
    // put off to later.
    virtual Postpone ShowAlert(std::string_view text) = 0;
    // Windows says the user is not to be interrupted (presenting, a
    // full-screen program, quiet hours): alerts wait, without a sound.
    virtual bool AlertsMustWait() { return false; }
};

// Description + " - Scadenza: " + date + " ore: " + time.
std::string AlertText(const EventRow& row);

// A box of several alerts: the heading, then one alert text a line, at most
// ten, then how many more, which the main window's list shows in bold.
std::string AlertsText(std::string_view heading, const std::vector<std::string>& alerts);
// The alerts missed, the most recent first; and those put off that came
// back together.
std::string MissedAlertsText(const std::vector<std::string>& alerts);
std::string PostponedAlertsText(const std::vector<std::string>& alerts);
inline constexpr std::size_t kMissedLinesShown = 10;

// What the scheduler examines and stamps: the program's list and the
// values of this run that an alert uses.
struct AlertedList {
    EventList& list;
    const std::wstring& suono;          // the alarm's sound file
    const std::string& avvioProgramma;  // this run's start stamp
    bool& aggiornatoDaTimer;            // set when an alert stamps a row
    AlertStamps& alertStamps;           // each stamp given, by event
    // Up to where the list has been examined; moves on while the list holds
    // what the archive does (a load that failed leaves it where it was).
    std::optional<DateTime>& examinedUpTo;
    const bool& loadIncomplete;
    // The rows that boxes of missed alerts could not name, only count, in
    // this run: the list shows them in bold.
    std::unordered_set<RowId>& missedUnnamed;
    // The alerts the user put off, on this PC.
    Postponements& postponed;
};

class AlertScheduler {
public:
    AlertScheduler(AlertedList target, Clock& clock, AlertPorts& ports, UnreadableRows& unreadable, ErrorReport report);

    void Timer1Timer();
    // The clock was set or the machine woke up: the next tick works out
    // again which rows can be due.
    void ClockChanged() {
        index_.Forget();
        wait_.reset();  // what passed meanwhile was not for the wait to hold
    }
    // A resume begins a new run: what waited for the end of the run waits
    // no more (a row waiting for a period counts it from the run's start).
    void NewRun() {
        heldUntil_.clear();
        wait_.reset();
    }
    // Every row examined at every tick, as the index would have it: the
    // measure the index is checked against.
    void ExamineEveryRow(bool every) { examineEveryRow_ = every; }

private:
    // A stamp is never later than the occurrence it is for, so that it
    // counts for that one, however late the answer: "Da adesso" opens the
    // next window as the event passes.
    struct Missed {
        RowId id;
        DateTime occurred;  // the occurrence that passed unseen: its stamp
        double period;      // the row waits a period from the box's answer (a run for "Avvio Computer")
    };
    struct Due {
        RowAt at;
        DateTime occurrence;         // the one alerted
        double period;               // a periodic row answered after it waits a period from the answer
        bool passedWaiting = false;  // its occurrence passed while alerts waited
    };
    enum class Looked { Nothing, Shown, Waiting };
    // A line of a box of several alerts.
    struct Line {
        DateTime at;  // its occurrence, or the moment it was put off to
        RowId id;
        std::string event;
    };
    // While alerts wait for the user: from the first look that waited to
    // the last. What passed between them is told as it would have been, not
    // as missed; what passed after a gap (the PC asleep) is missed.
    struct Wait {
        DateTime since;
        DateTime last;
        // `early`: how long before the wait it still counts as on time.
        bool Holds(DateTime moment, double early = 0) const {
            return moment > since - early && moment <= last + 2 * kNormalInterval / 86'400'000.0;
        }
    };
    // The clock's moment, held while the clock was set back a little.
    DateTime Moment();
    // One look at the rows judged at `now`: the alerts missed in one box,
    // then the ones put off whose moment came, then each row due, each in
    // its own box.
    Looked Look(DateTime now);
    // Shows an alert's box and keeps what it was put off to.
    Postpone Tell(const std::string& text, const std::vector<std::string>& events);
    std::vector<RowAt> RowsToExamine(const Watch& watch);
    // Reads and judges one row; an unreadable row is reported (once) and skipped.
    Verdict Examine(const EventRow& row, const Watch& watch);
    Watch WatchAt(DateTime now) const;
    void AlertRow(const Due& due, std::size_t position);
    // Notes the occurrence a row never alerted is owed (see owed_).
    void Owe(const EventRow& row, const Watch& watch);
    void ShowMissed(const std::vector<Missed>& missed, std::vector<Line> late);
    void ShowPostponed(const std::vector<Line>& lines);
    std::vector<std::string> AlertsOf(const std::vector<Line>& lines);
    static std::vector<std::string> EventsOf(const std::vector<Line>& lines);
    void Stamp(std::size_t position, DateTime moment);

    AlertedList target_;
    Clock& clock_;
    AlertPorts& ports_;
    UnreadableRows& unreadable_;
    ErrorReport report_;
    DueIndex index_;
    std::uint64_t revisionAtLastLook_ = UINT64_MAX;
    // The latest moment this scheduler judged the list at.
    std::optional<DateTime> judgedUpTo_;
    // Rows answered after their occurrence (or told as missed), stamped
    // with it: not alerted again, for the next one, until a period after
    // the answer, or in this run for "Avvio Computer".
    std::unordered_map<RowId, DateTime> heldUntil_;
    // While the clock is set back: the earliest occurrence, within the
    // moment held, of a row never alerted, judged at the clock's moment.
    // The list is examined only up to just before it, so that it is told
    // as missed if it passes unseen (the program closed meanwhile).
    std::optional<DateTime> owed_;
    std::optional<Wait> wait_;
    bool examineEveryRow_ = false;
    bool ticking_ = false;
    bool heldOff_ = false;  // a tick came while this one waited
};

}  // namespace ricordex
