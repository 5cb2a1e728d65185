#pragma once
// A scheduler over a list the test fills, a clock it sets and message boxes
// it answers.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "alerts/scheduler.h"
#include "support/alerted_values.h"
#include "support/fakes.h"
#include "support/moments.h"

namespace ricordex {

using testing::FakeClock;

class FakePorts final : public AlertPorts {
public:
    std::vector<unsigned> intervals;
    std::vector<std::wstring> sounds;
    std::vector<std::string> messages;
    std::function<void()> whileOpen;

    void SetInterval(unsigned ms) override { intervals.push_back(ms); }
    void SoundAlarm(const std::wstring& sound) override { sounds.push_back(sound); }
    std::vector<Postpone> answers;  // one for each box in turn; then OK
    bool mustWait = false;

    Postpone ShowAlert(std::string_view text) override {
        messages.emplace_back(text);
        if (whileOpen) whileOpen();
        if (answers.empty()) return Postpone::No;
        const Postpone answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    bool AlertsMustWait() override { return mustWait; }
};

using testing::At;

class Scheduler : public ::testing::Test {
protected:
    Scheduler() {
        state_.suono = L"C:\\Ricordex\\Suoni\\1.wav";
        state_.avvioProgramma = "07/12/2026 09.00";
    }

    RowId Add(std::string_view description, std::string_view date, std::string_view time, std::string_view lead,
              std::string_view frequency, std::string_view stamp = kInitialStamp) {
        return state_.list.AggiungiRiga({description, lead, date, time, frequency, "Annuale", stamp}, 0);
    }
    std::string Stamp(RowId id) { return std::string(state_.list.At(*state_.list.Find(id)).Text(kUltimoAvviso)); }
    void Tick() { scheduler_.Timer1Timer(); }
    // A tick at each of these moments.
    void TickAt(std::initializer_list<DateTime> moments) {
        for (DateTime t : moments) {
            clock_.now = t;
            Tick();
        }
    }

    using Values = testing::AlertedValues;
    Values state_;
    FakeClock clock_;
    FakePorts ports_;
    UnreadableRows unreadable_;
    std::vector<std::string> reported_;
    AlertScheduler scheduler_{state_.Target(), clock_, ports_, unreadable_,
                              [this](const std::string& text) { reported_.push_back(text); }};
};

}  // namespace ricordex
