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
        done_ = true;
    });
}

StartLoad::~StartLoad() { Wait(); }

void StartLoad::TellSettings(const ErrorReport& report) {
    for (const std::string& text : std::exchange(settingsReports_, {})) report(text);
}

void StartLoad::Wait() {
    if (reading_.joinable()) reading_.join();
}

void StartLoad::Finish(const ErrorReport& report) {
    Wait();
    for (const std::string& text : std::exchange(loadReports_, {})) report(text);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

}  // namespace ricordex
