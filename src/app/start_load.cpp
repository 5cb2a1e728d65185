#include "app/start_load.h"

#include <utility>

namespace ricordex {

StartLoad::StartLoad(ProgramState& state, Services& services) {
    showMainWindow_ = ReadSettingsAtStart(state, services,
                                          [this](const std::string& text) { settingsReports_.push_back(text); });
    reading_ = std::thread([this, &state, &services] {
        try {
            LoadArchiveAtStart(state, services, [this](const std::string& text) { loadReports_.push_back(text); });
        } catch (...) {
            failure_ = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
    });
}

StartLoad::~StartLoad() {
    if (reading_.joinable()) reading_.join();
}

bool StartLoad::Done() const {
    const std::lock_guard lock(mutex_);
    return done_;
}

void StartLoad::TellSettings(const ErrorReport& report) {
    for (const std::string& text : std::exchange(settingsReports_, {})) report(text);
}

void StartLoad::Wait() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return done_; });
}

void StartLoad::Finish(const ErrorReport& report) {
    if (reading_.joinable()) reading_.join();
    for (const std::string& text : std::exchange(loadReports_, {})) report(text);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

}  // namespace ricordex
