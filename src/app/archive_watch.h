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

    // Whether the archive's folder answers at once (a local disk): its
    // stamp is then taken right where the look is asked for, and a thread
    // is started only to read a file that changed. A thread costs the
    // process memory of its own (under Wine, a megabyte that stays after it
    // ends) at every look of a program that mostly sits in the tray.
    using AnswersAtOnce = std::function<bool(const std::filesystem::path& archive)>;

    // `looked` is called once the look's result can be taken, on the look's
    // thread or within Look (the window posts itself a message); `files`
    // must outlive every look, also one still waiting when the watch is gone.
    // Without `answersAtOnce` every look runs on a thread.
    ArchiveWatch(ArchiveFiles& files, std::function<void()> looked, AnswersAtOnce answersAtOnce = {});
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
    // The stamp taken here; false when the file changed and must be read.
    bool LookedHere(const ArchiveLookRequest& request);

    ArchiveFiles& files_;
    AnswersAtOnce answersAtOnce_;
    std::shared_ptr<Shared> shared_;
    Moment started_{};
    Moment notBefore_{};
    std::chrono::seconds pause_{0};
    int unanswered_ = 0;
};

}  // namespace ricordex
