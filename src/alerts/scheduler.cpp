#include "alerts/scheduler.h"

#include "core/vocabulary.h"

namespace ricordex {

AlertKind Decide(const EventRow& row, DateTime event, DateTime lastAlert, DateTime now,
                 const std::string& avvioProgramma) {
    if (now > event) return AlertKind::None;  // past for this year
    const double lead = InizioInGiorni(row.Text(kInizio));
    if (lead <= 0) return AlertKind::None;  // never alerted
    const double period = FrequenzaInGiorni(row.Text(kModalita));
    const bool inWindow = event - now <= lead + kBoundTolerance;
    if (period > 0) {
        return inWindow && now - lastAlert >= period - kBoundTolerance ? AlertKind::Periodic : AlertKind::None;
    }
    if (period == 0) return inWindow && row.Text(kUltimoAvviso) != avvioProgramma ? AlertKind::OncePerRun : AlertKind::None;
    return AlertKind::None;
}

std::string AlertText(const EventRow& row) {
    std::string text(row.Text(kDescrizione));
    text.append(" - Scadenza: ").append(row.Text(kData)).append(" ore: ").append(row.Text(kOra));
    return text;
}

AlertScheduler::AlertScheduler(AlertedList target, Clock& clock, AlertPorts& ports, UnreadableRows& unreadable,
                               ErrorReport report)
    : target_(target), clock_(clock), ports_(ports), unreadable_(unreadable), report_(std::move(report)) {}

AlertKind AlertScheduler::Examine(const EventRow& row, DateTime now) {
    static const FormatSettings settings = ProgramFormatSettings();
    const int year = DecodeDateTime(now).year;
    const std::optional<DateTime> event = ReadEventTime(row, year);
    const std::optional<DateTime> lastAlert =
        event ? TryStrToDateTime(row.Text(kUltimoAvviso), settings, year) : std::nullopt;
    if (!event || !lastAlert) {
        const std::string failing = event ? std::string(row.Text(kUltimoAvviso)) : EventTimeText(row);
        if (unreadable_.FirstReport(row.Id(), failing)) report_(InvalidDateTimeText(failing));
        return AlertKind::None;
    }
    unreadable_.Readable(row.Id());
    return Decide(row, *event, *lastAlert, now, target_.avvioProgramma);
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
    const std::size_t count = target_.list.Count();
    if (count == 0) return;
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

    const DateTime now = clock_.Now();
    // A list changed since the last tick (an edit, a reload, this tick's
    // own stamps) is examined row by row: building the index would read
    // every row anyway. The index is built once the list stays the same
    // from one tick to the next.
    const bool changed = target_.list.Revision() != revisionAtLastTick_;
    const std::optional<std::size_t> first =
        examineEveryRow_ || changed ? std::optional<std::size_t>(0) : FirstDue(now);
    if (first) ExamineInOrder(*first, now);
    revisionAtLastTick_ = target_.list.Revision();
}

std::optional<std::size_t> AlertScheduler::FirstDue(DateTime now) {
    // Up to the first row due nothing changes, and the rows left out of the
    // index are not due: the tick that alerts goes on from that row as one
    // that examines every row.
    index_.Prepare(target_.list, now, target_.avvioProgramma, unreadable_);
    for (RowId id : index_.ToExamine(target_.list, now)) {
        const std::optional<std::size_t> position = target_.list.Find(id);
        if (position && Examine(target_.list.At(*position), now) != AlertKind::None) return position;
    }
    return std::nullopt;
}

void AlertScheduler::ExamineInOrder(std::size_t first, DateTime now) {
    // Rows are followed by id: while a message is open the list may be
    // edited, re-sorted or reloaded.
    std::vector<RowId> order;
    order.reserve(target_.list.Count() - first);
    for (std::size_t i = first; i < target_.list.Count(); ++i) order.push_back(target_.list.At(i).Id());

    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::optional<std::size_t> position = target_.list.Find(order[i], first + i);
        if (!position) continue;
        const AlertKind kind = Examine(target_.list.At(*position), now);
        if (kind == AlertKind::None) continue;
        AlertRow(order[i], *position, kind);
        now = clock_.Now();  // the rows after it are judged at the dismissal
    }
}

void AlertScheduler::AlertRow(RowId id, std::size_t position, AlertKind kind) {
    ports_.SetInterval(kHoldOffInterval);
    ports_.SoundAlarm(target_.suono);
    ports_.ShowAlert(AlertText(target_.list.At(position)));
    ports_.SetInterval(kNormalInterval);
    heldOff_ = false;
    // The row may have moved or gone while the message was open.
    const std::optional<std::size_t> now = target_.list.Find(id, position);
    if (!now) return;
    const std::string stamp = kind == AlertKind::Periodic ? StampOf(clock_.Now()) : target_.avvioProgramma;
    target_.list.SetStamp(*now, stamp);
    target_.aggiornatoDaTimer = true;
}

}  // namespace ricordex
