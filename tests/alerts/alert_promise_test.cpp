// Lives of one PC, a few weeks each, replayed from a seed: the program
// starts, closes, crashes, sleeps and wakes; its clock jumps (the hour of
// spring and of autumn, a time sync, a time zone); alerts are answered at
// once or hours later; events are added and corrected in the editor. The
// real start, tick, editor and close run on the fakes of the platform. What
// is checked is what the user asked for and what the user saw:
//
// 1. An occurrence of an event with a lead (every year at its day and time,
//    29/02 on the 28th in years without it) that the program saw coming (it
//    looked at the list before it) and looked at again after it passed was
//    either alerted while the clock was inside its lead window (for "Da
//    adesso": since the occurrence before), or named in a box of missed
//    alerts at the first look after it: exactly one of the two. No alert
//    opens outside the row's windows; a box of missed alerts names only what
//    passed without a word.
// 2. A row alerted "Ogni ..." comes back at most once a period: from the
//    answer to the next box a period (less the minute a stamp drops) has
//    passed, by the clock or in fact.
// 3. "Avvio Computer": one alert at most for an occurrence in a run (a start
//    or a wake-up begins a run).
// 4. A one-off ("Nessuna") is told for one occurrence at most, however late
//    its alerts are answered and however its description is corrected after
//    it; a new date or time makes a new one-off.
// 5. A box of missed alerts names a row once; one too short for them all
//    names the most recent and counts the rest.
//
// RICORDEX_PROMISE_SEED=n replays one life and prints what happened in it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include "alerts/scheduler.h"
#include "app/event_editor.h"
#include "app/program_state.h"
#include "app/recovery_file.h"
#include "fuzz/memory_files.h"
#include "support/fakes.h"

namespace ricordex {
namespace {

constexpr DateTime kSecond = 1.0 / 86'400, kMinute = 1.0 / 1'440, kSlack = kSecond / 1000;
const std::string kMissedHeading = "Queste scadenze sono passate mentre Ricordex non poteva avvisare:";

// The labels as the user reads them, in minutes, in the editor's order. "Da
// adesso" opens as the occurrence before passes, "Nessun Avviso" never; a
// month is 30 days. Every 0 minutes: at each start.
constexpr double kFromLast = -1, kDay = 1440;
const std::pair<std::string_view, double> kLeads[19] = {
    {"10 minuti prima", 10}, {"15 minuti prima", 15}, {"20 minuti prima", 20}, {"30 minuti prima", 30},
    {"1 ora prima", 60}, {"2 ore prima", 120}, {"3 ore prima", 180}, {"6 ore prima", 360}, {"12 ore prima", 720},
    {"1 giorno prima", kDay}, {"2 giorni prima", 2 * kDay}, {"3 giorni prima", 3 * kDay},
    {"1 settimana prima", 7 * kDay}, {"2 settimane prima", 14 * kDay}, {"1 mese prima", 30 * kDay},
    {"3 mesi prima", 90 * kDay}, {"6 mesi prima", 180 * kDay}, {"Da adesso", kFromLast}, {"Nessun Avviso", 0}};
const std::pair<std::string_view, double> kEvery[9] = {
    {"Avvio Computer", 0}, {"Ogni 5 minuti", 5}, {"Ogni 10 minuti", 10}, {"Ogni 20 minuti", 20},
    {"Ogni 30 minuti", 30}, {"Ogni ora", 60}, {"Ogni giorno", kDay}, {"Ogni settimana", 7 * kDay},
    {"Ogni mese", 30 * kDay}};

std::string When(DateTime wall) { return FormatDateTime("dd/mm/yyyy hh:nn:ss", wall, ProgramFormatSettings()); }

// What the user asked for and saw: each version of each row (its texts as
// its alert shows them), and each of its occurrences.
class Promise {
public:
    struct Occurrence {
        DateTime at = 0, opens = 0;
        bool seen = false;     // the program looked at the list before it
        bool judged = false;   // and after it
        bool alerted = false, missed = false, told = false;
    };
    struct Asked {
        std::string text, labels;
        int month, day, minute;
        double lead, every;
        bool once;
        int event;  // the same for a one-off whose description was corrected
    };
    struct Version : Asked {
        explicit Version(Asked asked) : Asked(std::move(asked)) {}
        bool exists = true;
        std::map<int, Occurrence> years;
        std::optional<std::pair<double, DateTime>> answered;  // the last alert's answer: true seconds, wall
        int setBackBefore = 0;                                // the clock's settings back until then
        std::set<std::pair<int, int>> avvio;                  // (run, year) alerted
        std::vector<std::string> boxes;
    };
    std::deque<Version> versions;
    std::vector<std::string> trace;
    std::vector<std::pair<std::string, std::string>> broken;  // kind, what
    std::map<std::string, std::pair<int, int>> checked;      // kind of row: alerted, missed
    int run = 0, setBack = 0, setBackInRun = 0;
    void NewRun() { ++run, setBackInRun = 0; }  // a start or a wake-up
    void SetBack() { ++setBack, ++setBackInRun; }

    Occurrence& In(Version& v, int year) {
        const auto at = [&v](int y) {
            const int day = v.month == 2 && v.day == 29 && !IsLeapYear(y) ? 28 : v.day;
            return EncodeDateTime({y, v.month, day, v.minute / 60, v.minute % 60});
        };
        auto [it, added] = v.years.try_emplace(year);
        if (added) it->second = {at(year), v.lead == kFromLast ? at(year - 1) : at(year) - v.lead * kMinute};
        return it->second;
    }
    Version* Find(std::string_view text) {
        for (Version& v : versions) if (v.exists && v.text == text) return &v;
        return nullptr;
    }

    // Each tick is a look at the list: what passed since the program last
    // saw it coming is judged once the tick is over.
    void LookStarts(DateTime wall) {
        const int now = DecodeDateTime(wall).year;
        for (Version& v : versions) {
            for (int year = now - 1; year <= now + 1 && v.exists && v.lead != 0; ++year) {
                Occurrence& o = In(v, year);
                if (wall < o.at) {
                    // Once the clock has passed it, an occurrence does not
                    // come again when the clock goes back over it.
                    if (o.at > wallReached_) o.seen = true;
                } else if (o.seen && !o.judged && !ToldOther(v, year) && !ToldByEarlierVersion(v, year)) {
                    o.judged = true;
                    judging_.push_back({&v, year});
                }
            }
        }
    }
    void LookEnds(DateTime wall) {
        wallReached_ = std::max(wallReached_, wall);
        for (auto [v, year] : judging_) {
            const Occurrence& o = v->years.at(year);
            auto& [alerted, missed] = checked[Kind(*v)];
            if (!o.alerted && !o.missed) Break("neither alerted in its window nor named missed", v, o.at);
            alerted += o.alerted;
            missed += o.missed && !o.alerted;
        }
        judging_.clear();
    }

    void Box(std::string_view text, DateTime opened, double openedTrue, DateTime answered, double answeredTrue) {
        const std::string times = When(opened) + ", answered " + When(answered) + " (run " + std::to_string(run) + ")";
        if (text.substr(0, kMissedHeading.size()) == kMissedHeading) return Missed(text, opened, times);
        trace.push_back(When(opened) + "  alert of '" + std::string(text) + "', answered " + When(answered));
        Version* v = Find(text);
        if (!v) return Break("an alert of no row", nullptr, 0, text);
        v->boxes.push_back("alert opened " + times);
        int year = DecodeDateTime(opened).year - 1;
        while (In(*v, year).at < opened - kSlack) ++year;
        Occurrence& o = In(*v, year);
        if (opened < o.opens - kSlack) return Break("an alert outside the row's window", v, o.at);
        if (o.missed) Break("alerted in its window after it was named missed", v, o.at);
        o.alerted = true;
        Told(*v, year);
        if (v->every > 0 && v->answered) {
            const double inFact = (openedTrue - v->answered->first) * kSecond, byClock = opened - v->answered->second;
            if (std::max(inFact, byClock) < (v->every - 1) * kMinute - kSlack) {
                Break(v->setBackBefore != setBack ? "alerted again within its period, the clock set back since"
                                                  : "alerted again within its period", v, o.at);
            }
        }
        if (v->every == 0 && !v->avvio.insert({run, year}).second) {
            Break(setBackInRun ? "\"Avvio Computer\" alerted twice in a run, the clock set back in it"
                               : "\"Avvio Computer\" alerted twice in a run", v, o.at);
        }
        v->answered = {answeredTrue, answered};
        v->setBackBefore = setBack;
    }

private:
    void Missed(std::string_view text, DateTime opened, const std::string& times) {
        std::vector<std::string> lines;
        std::istringstream box{std::string(text.substr(kMissedHeading.size() + 2))};
        for (std::string line; std::getline(box, line);) lines.push_back(line);
        std::size_t more = 0;
        if (!lines.empty() && lines.back().rfind("e altre ", 0) == 0) {
            more = std::stoul(lines.back().substr(8));
            lines.pop_back();
        }
        trace.push_back(When(opened) + "  missed: " + std::to_string(lines.size()) + " named, " +
                        std::to_string(more) + " more");
        std::set<Version*> named;
        DateTime oldestNamed = HUGE_VAL;
        for (const std::string& line : lines) {
            Version* v = Find(line);
            if (!v) return Break("a missed alert of no row", nullptr, 0, line);
            v->boxes.push_back("named missed in a box opened " + times);
            if (!named.insert(v).second) Break("named twice in one box of missed alerts", v, opened);
            const int year = LastPassed(*v, opened);
            Occurrence& o = In(*v, year);
            oldestNamed = std::min(oldestNamed, o.at);
            if (o.alerted) Break("named missed after it was alerted in its window", v, o.at);
            if (o.missed) Break("named missed twice", v, o.at);
            for (auto& [y, before] : v->years) before.missed |= y < year && before.seen && !before.alerted;
            o.missed = true;
            Told(*v, year);
        }
        // The ones counted and not named: the oldest of those that passed unseen.
        std::multimap<DateTime, std::pair<Version*, int>> unnamed;
        for (Version& v : versions) {
            if (!v.exists || named.count(&v) || v.lead == 0) continue;
            const int year = LastPassed(v, opened);
            const Occurrence& o = v.years.at(year);
            if (o.seen && !o.alerted && !o.missed) unnamed.emplace(o.at, std::pair{&v, year});
        }
        if (more > unnamed.size()) return Break("more counted missed than passed unseen", nullptr, 0, text);
        for (auto it = unnamed.begin(); more > 0; ++it, --more) {
            auto [v, year] = it->second;
            In(*v, year).missed = true;
            if (it->first > oldestNamed + kSlack) {
                Break("a box of missed alerts left out a more recent one", v, it->first);
            }
        }
    }
    int LastPassed(Version& v, DateTime moment) {
        int year = DecodeDateTime(moment).year + 1;
        while (In(v, year).at > moment + kSlack) --year;
        return year;
    }
    // The version of a one-off that told another occurrence of it.
    const Version* ToldOther(const Version& v, int year) const {
        for (const Version& w : versions)
            for (const auto& [y, o] : w.years)
                if (v.once && w.event == v.event && y != year && o.told) return &w;
        return nullptr;
    }
    // A one-off whose description was corrected after its alert: told.
    bool ToldByEarlierVersion(const Version& v, int year) const {
        for (const Version& w : versions) {
            if (&w == &v || !v.once || w.event != v.event) continue;
            if (const auto o = w.years.find(year); o != w.years.end() && o->second.told) return true;
        }
        return false;
    }
    void Told(Version& v, int year) {
        In(v, year).told = true;
        if (const Version* other = ToldOther(v, year)) {
            Break(other == &v ? "a one-off told for a second occurrence"
                              : "a one-off told for a second occurrence after its description was corrected",
                  &v, In(v, year).at);
        }
    }
    void Break(const std::string& kind, const Version* v, DateTime at, std::string_view text = {}) {
        std::string what = v ? "'" + v->text + "' [" + v->labels + "], occurrence " + When(at) : std::string(text);
        const auto last = [&what](const std::vector<std::string>& lines, std::size_t n) {
            for (std::size_t i = lines.size() > n ? lines.size() - n : 0; i < lines.size(); ++i) {
                what.append("\n      ").append(lines[i]);
            }
        };
        if (v) last(v->boxes, 12);
        what += "\n    the life until then:";
        last(trace, 30);
        broken.emplace_back(kind, what);
    }
    static std::string Kind(const Version& v) {
        return std::string(v.every == 0 ? "at each start" : "periodic") + (v.once ? ", one-off" : ", yearly") +
               (v.lead == kFromLast ? ", \"Da adesso\"" : "");
    }

    std::vector<std::pair<Version*, int>> judging_;
    DateTime wallReached_ = 0;  // the latest the clock has shown at a look
};

// The program while it runs: its state and its scheduler, as the main
// window holds them.
struct Program {
    ProgramState state;
    UnreadableRows unreadable;
    Postponements postponed;
    AlertScheduler scheduler;
    Program(Clock& clock, AlertPorts& ports)
        : scheduler({state.list, state.settings.suono, state.avvioProgramma, state.aggiornatoDaTimer,
                     state.alertStamps, state.examinedUpTo, state.loadIncomplete, state.missedUnnamed, postponed},
                    clock, ports, unreadable, [](const std::string& text) { ADD_FAILURE() << text; }) {}
};

class Life final : public AlertPorts {
public:
    explicit Life(std::uint64_t seed) : rng_(seed) {
        registry_.keys[kSettingsKey]["Dati"] = std::wstring(L"/dati/Ricordex.psc");
        services_.recoveryFile = "/locale/Ricordex-recupero.psc";
    }
    Promise promise;

    void SetInterval(unsigned) override {}
    void SoundAlarm(const std::wstring&) override {}
    // The user answers at once or hours later; meanwhile the window's timer
    // fires at each hold-off, and the clock may be set.
    Postpone ShowAlert(std::string_view text) override {
        const DateTime opened = clock_.now;
        const double openedTrue = true_, r = Uniform(0, 1);
        const double wait = r < 0.55 ? Between(1, 20)
                            : r < 0.8 ? Between(20, 600)
                            : r < 0.92 ? Between(600, 7200) : Between(7200, 43200);
        for (double left = wait; left > 0; left -= kHoldOffInterval / 1000.0) {
            Pass(std::min(left, kHoldOffInterval / 1000.0));
            if (left > kHoldOffInterval / 1000.0) WindowTick();
            if (Uniform(0, 1) < 0.01) SetClock();
        }
        promise.Box(text, opened, openedTrue, clock_.now, true_);
        return Postpone::No;
    }

    // A life drawn from the seed: near a new year, a change of the hour or
    // the end of February; now and then the PC stays off for a year.
    void Live() {
        const int year = 2025 + Whole(0, 6), scenario = Whole(0, 3);
        clock_.now = scenario == 0 ? CivilDate(year, 12, Whole(20, 31)) : CivilDate(year, 2, Whole(22, 28));
        if (scenario == 1 || scenario == 2) {
            DateTime sunday = CivilDate(year, scenario == 1 ? 3 : 10, 31);
            while (static_cast<long long>(sunday) % 7 != 1) sunday -= 1;  // the last Sunday
            hourChange_ = {sunday + (scenario == 1 ? 2 : 3) / 24.0, (scenario == 1 ? 1 : -1) / 24.0};
            clock_.now = Uniform(0, 1) < 0.5 ? sunday : sunday - Whole(0, 2);
        }
        clock_.now += Uniform(0, hourChange_ && clock_.now == std::floor(hourChange_->first) ? 0.08 : 1);
        if (hourChange_ && clock_.now >= hourChange_->first) hourChange_.reset();
        DateTime ends = clock_.now + Whole(3, 21);
        Start();
        for (int rows = Whole(1, 6); rows > 0; --rows) Confirm(std::nullopt, NewFields());
        for (int turn = 0; clock_.now < ends && turn < 40; ++turn) {
            Run(Between(300, 6 * 3600));
            double off = Between(60, 3 * 86400);
            if (!yearGone_ && Uniform(0, 1) < 0.03) {
                yearGone_ = true;
                off = Uniform(355, 372) * 86400;
                ends += off * kSecond;
            }
            const double r = Uniform(0, 1);
            if (r < 0.4) {  // asleep: the next tick is a new run, within a second of waking
                Note("sleeps");
                RememberExamined(program_->state, services_);
                Pass(off);
                promise.NewRun();
                Note("wakes: run " + std::to_string(promise.run));
                BeginRunAtResume(program_->state, services_);
                program_->scheduler.ClockChanged();
                nextTick_ = kSoonInterval / 1000.0;
                continue;
            }
            r < 0.85 ? Close() : Crash();
            Pass(off);
            Start();
        }
        Close();
    }

    // Eleven events that pass while the PC is off, five minutes apart.
    void ElevenMissed() {
        clock_.now = EncodeDateTime({2030, 6, 10, 9, 0, 0});
        Start();
        for (int i = 0; i < 11; ++i) {
            const DateTime at = EncodeDateTime({2030, 6, 11, 8, 5 * i});
            Confirm(std::nullopt, {"Evento " + std::to_string(i), std::floor(at), at - std::floor(at), 0, 1, 0});
        }
        Run(60);
        Close();
        Pass(86400);
        Start();
        Run(60);
        Close();
    }

private:
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(rng_); }
    double Between(double low, double high) { return std::exp(Uniform(std::log(low), std::log(high))); }
    int Whole(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    void Note(const std::string& what) { promise.trace.push_back(When(clock_.now) + "  " + what); }

    // Time passes; on the night the hour changes, the clock jumps with it.
    void Pass(double seconds) {
        true_ += seconds;
        clock_.now += seconds * kSecond;
        if (hourChange_ && clock_.now >= hourChange_->first) {
            clock_.now += hourChange_->second;
            if (hourChange_->second < 0) promise.SetBack();
            Note(hourChange_->second > 0 ? "the clock goes on an hour" : "the clock goes back an hour");
            hourChange_.reset();
            if (program_) program_->scheduler.ClockChanged();
        }
    }
    // The clock is set: a time sync of a few minutes, or another time zone.
    void SetClock() {
        const bool zone = Uniform(0, 1) < 0.4;
        const double by = (zone ? Whole(1, 4) * 60 : Between(0.5, 5)) * (Whole(0, 1) ? 1 : -1);
        clock_.now += by * kMinute;
        if (by < 0) promise.SetBack();
        char what[64];
        std::snprintf(what, sizeof what, "%s: the clock moves by %+.1f minutes", zone ? "time zone" : "time sync", by);
        Note(what);
        program_->scheduler.ClockChanged();
    }
    void Start() {
        program_ = std::make_unique<Program>(clock_, *this);
        StartUp(program_->state, services_, [](const std::string& text) { ADD_FAILURE() << text; });
        promise.NewRun();
        nextTick_ = kNormalInterval / 1000.0;
        Note("starts: run " + std::to_string(promise.run));
        std::multiset<std::string> listed, left;
        const EventList& list = program_->state.list;
        for (std::size_t i = 0; i < list.Count(); ++i) listed.insert(AlertText(list.At(i)));
        for (const Promise::Version& v : promise.versions) if (v.exists) left.insert(v.text);
        EXPECT_EQ(listed, left) << "the list after a start is not the one left";
    }
    void Close() {
        Note("closes");
        SaveOnClose(program_->state, services_);
        program_.reset();
    }
    void Crash() {
        Note("crashes");
        program_.reset();  // the stamps given so far are in the recovery file
    }
    // The main window's tick.
    void WindowTick() {
        program_->scheduler.Timer1Timer();
        KeepRecovery(program_->state, services_);
        RememberExamined(program_->state, services_, true);
    }
    // The program runs for this long, its timer ticking.
    void Run(double seconds) {
        for (const double end = true_ + seconds; true_ < end;) {
            Pass(std::exchange(nextTick_, kNormalInterval / 1000.0));
            const DateTime wall = clock_.now;
            promise.LookStarts(wall);
            WindowTick();
            promise.LookEnds(wall);
            if (Uniform(0, 1) < 1.0 / 1500) Edit();
            if (Uniform(0, 1) < 1.0 / 2500) SetClock();
        }
    }

    // A new event: soon, in the next weeks, on the night the hour changes,
    // or on a day of its own (29/02, 31/12, 01/01, 28/02).
    EditorFields NewFields() {
        static const int leadWeights[19] = {4, 3, 3, 3, 4, 2, 2, 2, 2, 3, 1, 1, 1, 1, 1, 1, 1, 6, 1};
        EditorFields f;
        f.descrizione = "Evento " + std::to_string(++made_);
        f.inizio = std::discrete_distribution<int>(std::begin(leadWeights), std::end(leadWeights))(rng_);
        f.modalita = Whole(0, 8);
        f.ricorrenza = Whole(0, 1);
        const double r = Uniform(0, 1);
        DateTime at = clock_.now + (r < 0.4 ? Between(0.005, 1.5) : Uniform(-1, 20));
        if (r > (hourChange_ ? 0.7 : 0.85)) {
            at = (hourChange_ ? hourChange_->first : std::floor(at)) + Uniform(-0.05, 0.05);  // at night
        }
        if (r > 0.93) {
            const DateTime days[] = {CivilDate(2028, 2, 29), CivilDate(2030, 12, 31) + 0.99, CivilDate(2030, 1, 1),
                                     CivilDate(2030, 2, 28)};
            at = days[Whole(0, 3)];
        }
        f.data = std::floor(at);
        f.ora = std::floor((at - std::floor(at)) * 1440) * kMinute;
        return f;
    }
    // The editor: a new event; a one-off whose date passed, its description
    // corrected; or a row given a new date and time.
    void Edit() {
        const EventList& list = program_->state.list;
        if (list.Count() == 0 || Uniform(0, 1) < 0.25) return Confirm(std::nullopt, NewFields());
        const EventRow& row = list.At(Whole(0, static_cast<int>(list.Count()) - 1));
        Promise::Version* v = promise.Find(AlertText(row));
        if (!v) return ADD_FAILURE() << "a row that was never made: " << AlertText(row);
        EditorFields f = EditModeFields(row, DecodeDateTime(clock_.now).year);
        if (v->once && promise.In(*v, DecodeDateTime(clock_.now).year).at < clock_.now && Uniform(0, 1) < 0.7) {
            f.descrizione.resize(std::min(f.descrizione.size(), f.descrizione.find(" (")));
            f.descrizione += " (corretto " + std::to_string(++made_) + ")";
            return Confirm(row.Id(), f, v, true);
        }
        const EditorFields moved = NewFields();
        const auto text = [](std::string_view pattern, DateTime t) {
            return FormatDateTime(pattern, t, ProgramFormatSettings());
        };
        // The same day and time drawn again: the same one-off still.
        const bool same = text(kDatePattern, moved.data) == row.Text(kData) && text(kTimePattern, moved.ora) == row.Text(kOra);
        f.data = moved.data;
        f.ora = moved.ora;
        Confirm(row.Id(), f, v, v->once && same);
    }
    void Confirm(std::optional<RowId> editing, const EditorFields& f, Promise::Version* old = nullptr,
                 bool sameEvent = false) {
        if (old) old->exists = false;
        const RowId id = ConfirmEvent(program_->state, editing, f);
        const EventRow& row = program_->state.list.At(*program_->state.list.Find(id));
        EXPECT_EQ(row.Text(kInizio), kLeads[f.inizio].first);
        EXPECT_EQ(row.Text(kModalita), kEvery[f.modalita].first);
        const CivilDateTime date = DecodeDateTime(f.data), time = DecodeDateTime(f.ora);
        std::string labels(row.Text(kInizio));
        labels.append(", ").append(row.Text(kModalita)).append(", ").append(row.Text(kRicorrenza));
        promise.versions.emplace_back(Promise::Asked{AlertText(row), labels, date.month, date.day,
                                                     time.hour * 60 + time.minute, kLeads[f.inizio].second,
                                                     kEvery[f.modalita].second, f.ricorrenza == 1,
                                                     sameEvent ? old->event : ++events_});
        Note((old ? "edited into '" : "added '") + AlertText(row) + "' [" + labels + "]");
        KeepRecovery(program_->state, services_);
        nextTick_ = kSoonInterval / 1000.0;
    }

    std::mt19937_64 rng_;
    testing::FakeClock clock_;
    testing::FakeRegistry registry_;
    fuzzing::MemoryFiles files_;
    testing::FakeQuestions questions_;  // "Yes" to saving and to taking back what a crash left
    Services services_{registry_, files_, clock_, questions_, L"C:\\Ricordex\\"};
    std::unique_ptr<Program> program_;
    std::optional<std::pair<DateTime, DateTime>> hourChange_;  // when, and by how much
    double true_ = 0, nextTick_ = 0;
    int made_ = 0, events_ = 0;
    bool yearGone_ = false;
};

TEST(AlertPromise, EveryLifeKeepsThePromise) {
    const char* one = std::getenv("RICORDEX_PROMISE_SEED");
    const std::uint64_t first = one ? std::strtoull(one, nullptr, 10) : 1, last = one ? first : 500;
    std::map<std::string, std::vector<std::uint64_t>> seeds;
    std::map<std::string, std::string> example;
    std::map<std::string, std::pair<int, int>> checked;
    int runs = 0, setBack = 0;
    for (std::uint64_t seed = first; seed <= last; ++seed) {
        Life life(seed);
        life.Live();
        runs += life.promise.run;
        setBack += life.promise.setBack;
        for (const auto& [kind, counts] : life.promise.checked) {
            checked[kind].first += counts.first;
            checked[kind].second += counts.second;
        }
        if (one) for (const std::string& line : life.promise.trace) std::cout << "  " << line << "\n";
        for (const auto& [kind, what] : life.promise.broken) {
            if (seeds[kind].empty() || seeds[kind].back() != seed) seeds[kind].push_back(seed);
            example.try_emplace(kind, "seed " + std::to_string(seed) + ": " + what);
        }
    }
    std::cout << last - first + 1 << " lives, " << runs << " runs, the clock set back " << setBack
              << " times; occurrences checked (alerted in their window / named missed):\n";
    for (const auto& [kind, counts] : checked) {
        std::cout << "  " << kind << ": " << counts.first << " / " << counts.second << "\n";
    }
    for (const auto& [kind, found] : seeds) {
        std::string list;
        for (std::size_t i = 0; i < found.size() && i < 8; ++i) list.append(" ").append(std::to_string(found[i]));
        ADD_FAILURE() << kind << " (" << found.size() << " lives; seeds" << list << ")\n  " << example[kind];
    }
}

TEST(AlertPromise, ABoxTooShortForAllItsMissedAlertsNamesTheMostRecent) {
    Life life(0);
    life.ElevenMissed();
    for (const auto& [kind, what] : life.promise.broken) ADD_FAILURE() << kind << ": " << what;
}

}  // namespace
}  // namespace ricordex
