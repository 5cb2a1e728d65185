#pragma once
// The alert scheduler: at each tick of Timer1 it examines every row in list
// order and alerts the ones that are due, with the sound and a message, then
// stamps them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/due_index.h"
#include "alerts/row_times.h"
#include "core/clock.h"
#include "core/errors.h"
#include "core/event_list.h"

namespace ricordex {

inline constexpr unsigned kNormalInterval = 10'000;     // between ticks
inline constexpr unsigned kHoldOffInterval = 1'000'000; // while a message is open
inline constexpr unsigned kSoonInterval = 1'000;        // after the editor changed a row

// What a tick needs of the platform besides the clock.
class AlertPorts {
public:
    virtual ~AlertPorts() = default;
    // Timer1's interval: the same value changes nothing, another restarts the countdown.
    virtual void SetInterval(unsigned milliseconds) = 0;
    // Starts the alarm sound and returns at once; never fails.
    virtual void SoundAlarm(const std::wstring& sound) = 0;
    // Shows the alert message and returns when it is dismissed.
    virtual void ShowAlert(std::string_view text) = 0;
};

enum class AlertKind { None, Periodic, OncePerRun };

// Steps 5 to 9 of a tick for one row whose times were read: whether it is
// due now, and how it is stamped.
AlertKind Decide(const EventRow& row, DateTime event, DateTime lastAlert, DateTime now,
                 const std::string& avvioProgramma);

// Description + " - Scadenza: " + date + " ore: " + time.
std::string AlertText(const EventRow& row);

// What the scheduler examines and stamps: the program's list and the
// values of this run that an alert uses.
struct AlertedList {
    EventList& list;
    const std::wstring& suono;           // the alarm's sound file
    const std::string& avvioProgramma;   // this run's start stamp
    bool& aggiornatoDaTimer;             // set when an alert stamps a row
};

class AlertScheduler {
public:
    AlertScheduler(AlertedList target, Clock& clock, AlertPorts& ports, UnreadableRows& unreadable,
                   ErrorReport report);

    void Timer1Timer();
    // The clock was set or the machine woke up: the next tick works out
    // again which rows can be due.
    void ClockChanged() { index_.Forget(); }
    // Every row examined at every tick, as the index would have it: the
    // measure the index is checked against.
    void ExamineEveryRow(bool every) { examineEveryRow_ = every; }

private:
    // The position of the first row due at `now`, found through the index.
    std::optional<std::size_t> FirstDue(DateTime now);
    // The rows from `first` on, in list order as the tick found it, each
    // alerted when due.
    void ExamineInOrder(std::size_t first, DateTime now);
    // Reads and decides one row; an unreadable row is reported (once) and skipped.
    AlertKind Examine(const EventRow& row, DateTime now);
    void AlertRow(RowId id, std::size_t position, AlertKind kind);

    AlertedList target_;
    Clock& clock_;
    AlertPorts& ports_;
    UnreadableRows& unreadable_;
    ErrorReport report_;
    DueIndex index_;
    std::uint64_t revisionAtLastTick_ = UINT64_MAX;
    bool examineEveryRow_ = false;
    bool ticking_ = false;
    bool heldOff_ = false;  // a tick came while this one waited
};

}  // namespace ricordex
