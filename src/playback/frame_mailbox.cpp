#include "playback/frame_mailbox.h"

namespace ardelle::playback {

bool FrameMailbox::Store(const SharedFrame& frame, const VideoRect& destination, bool mirrored) {
    SharedFrame replaced;
    std::lock_guard lock(mutex_);
    // The previous frame is released after the lock is let go (declared before it).
    replaced = std::move(picture_.frame);
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
    std::lock_guard lock(mutex_);
    repaint_pending_ = false;
    ++taken_;
    return picture_;
}

FrameMailbox::Picture FrameMailbox::Peek() const {
    std::lock_guard lock(mutex_);
    return picture_;
}

void FrameMailbox::Clear() {
    Picture dropped;
    {
        std::lock_guard lock(mutex_);
        dropped = std::move(picture_);
        picture_ = Picture{};
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

}  // namespace ardelle::playback
