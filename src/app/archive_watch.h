#pragma once
// The looks at the archive, taken one at a time on a thread of their own:
// a network folder that stopped answering keeps that thread waiting for its
// time-outs, never the window. A folder that does not answer is looked at
// again after a pause that grows with each unanswered look.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "app/archive_follow.h"

namespace ricordex {

class ArchiveWatch {
public:
    using Moment = std::chrono::steady_clock::time_point;

    // `looked` is called on the look's thread once its result can be taken
    // (the window posts itself a message); `files` must outlive every look,
    // also one still waiting when the watch is gone.
    ArchiveWatch(ArchiveFiles& files, std::function<void()> looked);
    // Does not wait for a look still under way: it ends on its own.
    ~ArchiveWatch();
    ArchiveWatch(const ArchiveWatch&) = delete;
    ArchiveWatch& operator=(const ArchiveWatch&) = delete;

    // Starts a look, unless one is under way or the pause after an
    // unanswered one has not passed. Returns whether it started.
    bool Look(const ArchiveLookRequest& request, Moment now);
    // The result of the look that ended, once.
    std::optional<ArchiveLook> TakeResult(Moment now);
    bool Looking() const;

    // A look slower than this is taken for a folder that does not answer.
    static constexpr std::chrono::milliseconds kSlowLook{2000};
    static constexpr std::chrono::seconds kFirstPause{20};
    static constexpr std::chrono::seconds kLongestPause{300};

private:
    struct Shared;
    ArchiveFiles& files_;
    std::shared_ptr<Shared> shared_;
    Moment started_{};
    Moment notBefore_{};
    std::chrono::seconds pause_{0};
    int unanswered_ = 0;
};

}  // namespace ricordex
