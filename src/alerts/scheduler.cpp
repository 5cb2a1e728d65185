#include "alerts/scheduler.h"

#include <algorithm>
#include <cmath>

namespace ricordex {
namespace {

// Each look that shows a box stamps what it showed, so the next finds less;
// a bound all the same, for a tick must end.
constexpr int kMostLooksInATick = 50;
constexpr double kSecond = 1.0 / 86'400;
// A put-off alert found later than this after its moment was not told on
// time: it goes with the missed ones.
constexpr double kPostponedOnTime = 2.0 / 1440;

}  // namespace

std::string AlertText(const EventRow& row) {
    std::string text(row.Text(kDescrizione));
    text.append(" - Scadenza: ").append(row.Text(kData)).append(" ore: ").append(row.Text(kOra));
    return text;
}

std::string MissedAlertsText(const std::vector<std::string>& alerts) {
    return AlertsText("Queste scadenze sono passate mentre Ricordex non poteva avvisare:", alerts);
}

std::string PostponedAlertsText(const std::vector<std::string>& alerts) {
    return AlertsText("Scadenze posticipate:", alerts);
}

std::string AlertsText(std::string_view heading, const std::vector<std::string>& alerts) {
    std::string text(heading);
    text.append("\n");
    for (std::size_t i = 0; i < alerts.size() && i < kMissedLinesShown; ++i) text.append("\n").append(alerts[i]);
    if (alerts.size() > kMissedLinesShown) {
        text.append("\ne altre ")
            .append(std::to_string(alerts.size() - kMissedLinesShown))
            .append(", in grassetto nell'elenco della finestra principale");
    }
    return text;
}

AlertScheduler::AlertScheduler(AlertedList target, Clock& clock, AlertPorts& ports, UnreadableRows& unreadable,
                               ErrorReport report)
    : target_(target), clock_(clock), ports_(ports), unreadable_(unreadable), report_(std::move(report)) {}

Watch AlertScheduler::WatchAt(DateTime now) const {
    static const FormatSettings settings = ProgramFormatSettings();
    Watch watch;
    watch.now = now;
    watch.examinedUpTo = target_.examinedUpTo;
    if (const DateTime clock = clock_.Now(); clock < now) watch.clock = clock;
    // Without a start stamp a row is alerted once in each window.
    watch.runStart = TryStrToDateTime(target_.avvioProgramma, settings, DecodeDateTime(now).year).value_or(-HUGE_VAL);
    return watch;
}

Verdict AlertScheduler::Examine(const EventRow& row, const Watch& watch) {
    const std::optional<EventDate> date = ReadEventDate(row);
    const std::optional<DateTime> stamp = date ? ReadStamp(row, watch.now) : std::nullopt;
    if (!date || !stamp) {
        const std::string failing = date ? std::string(row.Text(kUltimoAvviso)) : EventTimeText(row);
        if (unreadable_.FirstReport(row.Id(), failing)) report_(UnreadableRowText(row, failing));
        return Verdict::None;
    }
    unreadable_.Readable(row.Id());
    return Judge(*date, RuleOf(row), *stamp, watch);
}

void AlertScheduler::Timer1Timer() {
    // A tick that comes while an alert message of this scheduler is open
    // (the editor sets a short interval) only holds the timer off again: the
    // open tick goes on once the message is dismissed, and its next tick
    // examines everything. So there is never more than one alert message.
    if (ticking_) {
        ports_.SetInterval(kHoldOffInterval);
        heldOff_ = true;
        return;
    }
    ports_.SetInterval(kNormalInterval);
    ticking_ = true;
    heldOff_ = false;
    struct Done {
        AlertScheduler& scheduler;
        ~Done() {
            scheduler.ticking_ = false;
            // Held off while waiting on something other than an alert message.
            if (scheduler.heldOff_) scheduler.ports_.SetInterval(kNormalInterval);
        }
    } done{*this};

    std::optional<DateTime>& examinedUpTo = target_.examinedUpTo;
    DateTime now = Moment();
    // While a box was open, more may have fallen due or passed: looked at
    // again at once, from where the last look began, until a look shows
    // nothing.
    for (int look = 0; look < kMostLooksInATick; ++look) {
        judgedUpTo_ = now;
        owed_.reset();
        const Looked looked = Look(now);
        // While alerts wait, what passes is still to be told.
        if (looked == Looked::Waiting) break;
        if (!target_.loadIncomplete) examinedUpTo = owed_ ? std::min(now, *owed_ - kSecond) : now;
        if (looked == Looked::Nothing) break;
        now = Moment();
    }
}

DateTime AlertScheduler::Moment() {
    const DateTime clock = clock_.Now();
    std::optional<DateTime> reached = target_.examinedUpTo;
    if (judgedUpTo_ && (!reached || *reached < *judgedUpTo_)) reached = judgedUpTo_;
    const DateTime moment = JudgedMoment(clock, reached);
    // Set back further than is held: the clock was wrong, and misses nothing.
    if (moment == clock && reached && clock < *reached) {
        if (target_.examinedUpTo && clock < *target_.examinedUpTo) target_.examinedUpTo = clock;
        judgedUpTo_ = clock;
        heldUntil_.clear();  // waits counted by the wrong clock
    }
    return moment;
}

std::vector<RowAt> AlertScheduler::RowsToExamine(const Watch& watch) {
    // A list changed since the last look (an edit, a reload, the stamps of
    // an alert) is examined row by row: building the index would read every
    // row anyway. The index is built once the list stays the same.
    const EventList& list = target_.list;
    const bool changed = list.Revision() != revisionAtLastLook_;
    revisionAtLastLook_ = list.Revision();
    // While the clock is behind the moment judged (set back a little), rows
    // are judged at two moments: every one is examined, for that while.
    // So too while alerts wait: a row whose occurrence passes meanwhile
    // must still be found once the wait is over.
    if (examineEveryRow_ || changed || watch.clock < watch.now || wait_) {
        std::vector<RowAt> every;
        every.reserve(list.Count());
        for (std::size_t i = 0; i < list.Count(); ++i) every.push_back({i, list.At(i).Id()});
        return every;
    }
    index_.Prepare(list, watch, unreadable_);
    return index_.ToExamine(list, watch.now);
}

AlertScheduler::Looked AlertScheduler::Look(DateTime now) {
    EventList& list = target_.list;
    // A put-off alert goes with its event: one deleted or changed since
    // comes back no more.
    if (list.Revision() != revisionAtLastLook_ && !target_.loadIncomplete) target_.postponed.KeepThoseIn(list);
    const Watch watch = WatchAt(now);
    std::vector<Due> due;
    std::vector<Missed> missed;
    // Nothing waits in this pass, so the rows stay where they are; after
    // it they are followed by id: while a message is open the list may be
    // edited, re-sorted or reloaded.
    const bool held = watch.clock < watch.now;
    for (const RowAt& at : list.Count() == 0 ? std::vector<RowAt>{} : RowsToExamine(watch)) {
        const EventRow& row = list.At(at.position);
        if (held) Owe(row, watch);
        switch (Examine(row, watch)) {
        case Verdict::Due: {
            const auto held = heldUntil_.find(at.id);
            if (held != heldUntil_.end() && now < held->second) break;
            if (held != heldUntil_.end()) heldUntil_.erase(held);
            const DateTime judgedAt = JudgedAt(watch, *ReadStamp(row, now));
            due.push_back({at, NextOccurrence(*ReadEventDate(row), judgedAt).at, RuleOf(row).period});
            break;
        }
        case Verdict::Missed: {
            const DateTime occurred = PreviousOccurrence(*ReadEventDate(row), now).at;
            // Passed while alerts waited for the user: told now, as it would have
            // been.
            if (wait_ && wait_->Holds(occurred)) {
                due.push_back({at, occurred, RuleOf(row).period, true});
            } else {
                missed.push_back({at.id, occurred, RuleOf(row).period});
            }
            break;
        }
        case Verdict::Restamp: Stamp(at.position, now); break;  // held off one period from now
        case Verdict::None: break;
        }
    }
    // A restamp is no news: the next look need not read every row for it.
    revisionAtLastLook_ = list.Revision();

    const std::vector<Postponement> comeBack = target_.postponed.DueAt(now);
    if (due.empty() && missed.empty() && comeBack.empty()) {
        wait_.reset();
        return Looked::Nothing;
    }
    if (ports_.AlertsMustWait()) {
        if (!wait_) wait_ = Wait{now, now};
        wait_->last = now;
        return Looked::Waiting;
    }
    if (wait_) index_.Forget();  // worked out before the wait

    // The put-off alerts whose moment came: on time, together in one box;
    // late (the PC was off or asleep, another box was open), with the
    // missed ones. One whose event the list does not hold yet (the archive
    // could not be read) waits for it.
    std::vector<Line> postponed;
    std::vector<Line> late;
    const std::unordered_map<std::string, RowId> rows = RowsHolding(list, comeBack);
    for (const Postponement& item : comeBack) {
        const auto row = rows.find(item.event);
        if (row == rows.end()) {
            if (!target_.loadIncomplete) target_.postponed.Remove(item.event);  // deleted meanwhile
            continue;
        }
        const bool onTime = now - item.at <= kPostponedOnTime || (wait_ && wait_->Holds(item.at, kPostponedOnTime));
        (onTime ? postponed : late).push_back({item.at, row->second, item.event});
    }
    wait_.reset();

    bool shown = false;
    if (!missed.empty() || !late.empty()) {
        ShowMissed(missed, late);
        shown = true;
    }
    if (!postponed.empty()) {
        ShowPostponed(postponed);
        shown = true;
    }
    for (const Due& row : due) {
        const std::optional<std::size_t> position = list.Find(row.at.id, row.at.position);
        if (!position) continue;
        // After a box, the row is judged at its dismissal; one that passed
        // meanwhile is missed, for the next look.
        if (shown && !row.passedWaiting) {
            Watch after = WatchAt(Moment());
            after.examinedUpTo = now;
            if (Examine(list.At(*position), after) != Verdict::Due) continue;
        }
        AlertRow(row, *position);
        shown = true;
    }
    return shown ? Looked::Shown : Looked::Nothing;
}

void AlertScheduler::Owe(const EventRow& row, const Watch& watch) {
    const std::optional<EventDate> date = ReadEventDate(row);
    const std::optional<DateTime> stamp = date ? ReadStamp(row, watch.now) : std::nullopt;
    if (!stamp || *stamp >= FirstRealStamp() || !RuleOf(row).Alertable()) return;
    const DateTime occurrence = NextOccurrence(*date, watch.clock).at;
    if (occurrence <= watch.now && (!owed_ || occurrence < *owed_)) owed_ = occurrence;
}

Postpone AlertScheduler::Tell(const std::string& text, const std::vector<std::string>& events) {
    ports_.SetInterval(kHoldOffInterval);
    ports_.SoundAlarm(target_.suono);
    const Postpone answer = ports_.ShowAlert(text);
    ports_.SetInterval(kNormalInterval);
    heldOff_ = false;
    if (answer != Postpone::No) {
        const DateTime until = PostponedUntil(answer, Moment());
        for (const std::string& event : events) target_.postponed.Add(event, until);
    }
    return answer;
}

void AlertScheduler::AlertRow(const Due& due, std::size_t position) {
    const EventRow& row = target_.list.At(position);
    Tell(AlertText(row), {EventKey(row)});
    // The row may have moved or gone while the message was open.
    const std::optional<std::size_t> now = target_.list.Find(due.at.id, position);
    if (!now) return;
    const DateTime dismissed = Moment();
    Stamp(*now, std::min(dismissed, due.occurrence));
    if (dismissed > due.occurrence && due.period > 0) heldUntil_[due.at.id] = dismissed + due.period;
}

void AlertScheduler::ShowMissed(const std::vector<Missed>& missed, std::vector<Line> late) {
    // The most recent first: the ones left out of the box, counted and
    // marked in the list, are the oldest.
    std::vector<Line> lines = std::move(late);
    for (const Line& line : lines) target_.postponed.Remove(line.event);  // told here
    for (const Missed& row : missed) {
        if (const std::optional<std::size_t> position = target_.list.Find(row.id)) {
            lines.push_back({row.occurred, row.id, EventKey(target_.list.At(*position))});
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.at > b.at; });
    Tell(MissedAlertsText(AlertsOf(lines)), EventsOf(lines));
    const DateTime dismissed = Moment();
    for (const Missed& row : missed) {
        if (const std::optional<std::size_t> position = target_.list.Find(row.id)) {
            Stamp(*position, row.occurred);
            heldUntil_[row.id] = row.period > 0 ? dismissed + row.period : HUGE_VAL;
        }
    }
}

void AlertScheduler::ShowPostponed(const std::vector<Line>& lines) {
    // Once: a new answer of Posticipa puts them off again.
    for (const Line& line : lines) target_.postponed.Remove(line.event);
    const std::vector<std::string> alerts = AlertsOf(lines);
    Tell(alerts.size() == 1 ? alerts.front() : PostponedAlertsText(alerts), EventsOf(lines));
}

std::vector<std::string> AlertScheduler::AlertsOf(const std::vector<Line>& lines) {
    // Beyond the lines a box names, the rows are marked in bold in the list.
    std::vector<std::string> alerts;
    alerts.reserve(lines.size());
    for (const Line& line : lines) {
        const std::optional<std::size_t> position = target_.list.Find(line.id);
        if (!position) continue;
        if (alerts.size() >= kMissedLinesShown) target_.missedUnnamed.insert(line.id);
        alerts.push_back(AlertText(target_.list.At(*position)));
    }
    return alerts;
}

std::vector<std::string> AlertScheduler::EventsOf(const std::vector<Line>& lines) {
    std::vector<std::string> events;
    events.reserve(lines.size());
    for (const Line& line : lines) events.push_back(line.event);
    return events;
}

void AlertScheduler::Stamp(std::size_t position, DateTime moment) {
    const std::string stamp = StampOf(moment);
    target_.list.SetStamp(position, stamp);
    target_.alertStamps[EventKey(target_.list.At(position))] = stamp;
    target_.aggiornatoDaTimer = true;
}

}  // namespace ricordex
