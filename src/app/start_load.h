#pragma once
// The start's reading of the settings and of the archive. The settings are
// read at once: the start needs them to choose between the window and the
// notification area. The archive is read on a thread of its own while the
// windows are made and shown, and what the load had to tell waits for them.

#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/program_state.h"

namespace ricordex {

class StartLoad {
public:
    // Reads the settings, then starts reading the archive. Until Finish,
    // the state's list, base, start stamp and "loaded whole" flag are the
    // reading's alone.
    StartLoad(ProgramState& state, Services& services);
    ~StartLoad();  // waits for the reading
    StartLoad(const StartLoad&) = delete;
    StartLoad& operator=(const StartLoad&) = delete;

    bool ShowMainWindow() const { return showMainWindow_; }
    // What the settings had to tell (a value that could not be read), once.
    void TellSettings(const ErrorReport& report);
    // Whether the archive has been read (or its reading failed).
    bool Done() const;
    // Waits for the archive; may wait on a network folder. Any thread, any
    // number of times at once.
    void Wait();
    // After Wait, once: what the load had to tell, then its failure raised
    // as LoadArchiveAtStart raises it.
    void Finish(const ErrorReport& report);

private:
    std::vector<std::string> settingsReports_;
    std::vector<std::string> loadReports_;  // the reading's until it ends
    std::exception_ptr failure_;
    bool showMainWindow_ = false;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread reading_;
};

}  // namespace ricordex
