#pragma once
// A lock left behind by a program that stopped (see core/archive_lock.h) is
// taken over by the write that found it. That is no error: it is told once
// the write is done, as information, with the write's outcome. A write that
// fails tells it with its failure, which follows.

#include <exception>
#include <string>
#include <utility>

#include "app/program_state.h"

namespace ricordex {

class LockTakeoverNote {
public:
    explicit LockTakeoverNote(const Services& services) : services_(services) {}
    LockTakeoverNote(const LockTakeoverNote&) = delete;
    LockTakeoverNote& operator=(const LockTakeoverNote&) = delete;
    ~LockTakeoverNote() {
        if (text_.empty()) return;
        const ErrorReport& tell =
            std::uncaught_exceptions() > failures_ || !services_.inform ? services_.report : services_.inform;
        try {
            if (tell) tell(saved_ ? text_ + " L'archivio \xE8 stato salvato." : text_);
        } catch (...) {
            // Out of memory: the note is lost, not the program.
        }
    }

    // The write went through.
    void Saved() { saved_ = true; }

    // What LockArchive reports.
    ErrorReport Taker() {
        return [this](const std::string& text) { text_ = text; };
    }

private:
    const Services& services_;
    const int failures_ = std::uncaught_exceptions();
    std::string text_;
    bool saved_ = false;
};

}  // namespace ricordex
