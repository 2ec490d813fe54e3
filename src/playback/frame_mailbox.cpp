#include "playback/frame_mailbox.h"

namespace ardelle::playback {

bool FrameMailbox::Store(const SharedFrame& frame, const VideoRect& destination, bool mirrored) {
    SharedFrame replaced;
    std::lock_guard lock(mutex_);
    const bool new_frame = frame != picture_.frame;
    if (new_frame && frame != nullptr) {
        ++distinct_;
    }
    if (new_frame && repaint_pending_ && !newest_taken_ && picture_.frame != nullptr) {
        // Not painted yet: keep it back unless one is kept back already.
        if (kept_back_.present) {
            ++dropped_;
        } else {
            kept_back_ = picture_;
        }
    }
    // The previous frame is released after the lock is let go (declared before it).
    replaced = std::move(picture_.frame);
    newest_taken_ = false;
    picture_.frame = frame;
    picture_.destination = destination;
    picture_.mirrored = mirrored;
    picture_.present = true;
    ++stored_;
    const bool schedule = !repaint_pending_;
    repaint_pending_ = true;
    return schedule;
}

FrameMailbox::Picture FrameMailbox::Take() {
    Picture older;
    std::lock_guard lock(mutex_);
    ++taken_;
    if (kept_back_.present) {
        older = std::move(kept_back_);
        kept_back_ = Picture{};
        return older;
    }
    repaint_pending_ = false;
    newest_taken_ = true;
    return picture_;
}

bool FrameMailbox::repaint_pending() const {
    std::lock_guard lock(mutex_);
    return repaint_pending_;
}

FrameMailbox::Picture FrameMailbox::Peek() const {
    std::lock_guard lock(mutex_);
    return picture_;
}

void FrameMailbox::Clear() {
    Picture dropped;
    Picture dropped_older;
    {
        std::lock_guard lock(mutex_);
        dropped = std::move(picture_);
        dropped_older = std::move(kept_back_);
        picture_ = Picture{};
        kept_back_ = Picture{};
    }
}

void FrameMailbox::SetClient(const VideoRect& client) {
    std::lock_guard lock(mutex_);
    client_ = client;
}

VideoRect FrameMailbox::client() const {
    std::lock_guard lock(mutex_);
    return client_;
}

std::uint64_t FrameMailbox::stored_count() const {
    std::lock_guard lock(mutex_);
    return stored_;
}

std::uint64_t FrameMailbox::taken_count() const {
    std::lock_guard lock(mutex_);
    return taken_;
}

std::uint64_t FrameMailbox::distinct_count() const {
    std::lock_guard lock(mutex_);
    return distinct_;
}

std::uint64_t FrameMailbox::dropped_count() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace ardelle::playback
