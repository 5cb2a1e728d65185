#include "app/archive_watch.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>

namespace ricordex {

struct ArchiveWatch::Shared {
    std::mutex mutex;
    bool looking = false;
    std::optional<ArchiveLook> result;
    std::function<void()> looked;  // emptied when the watch goes
};

ArchiveWatch::ArchiveWatch(ArchiveFiles& files, std::function<void()> looked)
    : files_(files), shared_(std::make_shared<Shared>()) {
    shared_->looked = std::move(looked);
}

ArchiveWatch::~ArchiveWatch() {
    const std::lock_guard lock(shared_->mutex);
    shared_->looked = nullptr;
}

bool ArchiveWatch::Looking() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->looking || shared_->result.has_value();
}

bool ArchiveWatch::Look(const ArchiveLookRequest& request, Moment now) {
    if (now < notBefore_ || Looking()) return false;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->looking = true;
    }
    started_ = now;
    // The thread holds what it needs: the watch may be gone when it ends.
    std::thread([shared = shared_, &files = files_, request] {
        ArchiveLook look{request, {}, std::nullopt};
        try {
            look = LookAtArchive(files, request);
        } catch (...) {
            // Out of memory, say: taken as a folder out of reach.
        }
        // Told under the lock, so never after the watch has gone; telling
        // only posts a message.
        const std::lock_guard lock(shared->mutex);
        shared->result = std::move(look);
        shared->looking = false;
        if (shared->looked) shared->looked();
    }).detach();
    return true;
}

std::optional<ArchiveLook> ArchiveWatch::TakeResult(Moment now) {
    std::optional<ArchiveLook> look;
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->looking) return std::nullopt;
        look = std::exchange(shared_->result, std::nullopt);
    }
    if (!look) return look;
    // Not reached, or reached only after a wait: the folder is left alone
    // for a while, longer each time. One miss may be a file being replaced.
    const bool answered = look->sight.stamp.has_value() && now - started_ < kSlowLook;
    if (answered) {
        unanswered_ = 0;
        pause_ = std::chrono::seconds{0};
    } else if (++unanswered_ >= 2) {
        pause_ = pause_.count() == 0 ? kFirstPause : std::min(pause_ * 2, kLongestPause);
    }
    notBefore_ = now + pause_;
    return look;
}

}  // namespace ricordex
