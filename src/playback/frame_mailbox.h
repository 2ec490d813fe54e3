#pragma once

#include <cstdint>
#include <mutex>

#include "playback/frame_target.h"

namespace ardelle::playback {

// The hand-over between a streaming thread that presents pictures and the UI thread that
// paints them: the newest frame with its destination and mirror flag, kept under one small
// lock. Store reports whether a repaint must be scheduled (none is pending yet), so a burst
// of frames schedules one paint; Take hands the newest frame to the painter.
class FrameMailbox {
  public:
    struct Picture {
        SharedFrame frame;
        VideoRect destination;
        bool mirrored = false;
        bool present = false;  // a frame (or an explicit black picture) was stored
    };

    // Any thread. True when the caller must schedule a repaint.
    bool Store(const SharedFrame& frame, const VideoRect& destination, bool mirrored);
    // The painter's thread: the newest picture; clears the pending repaint.
    Picture Take();
    // The newest picture without clearing anything.
    Picture Peek() const;
    // Drops the picture (the surface shows its background again).
    void Clear();

    void SetClient(const VideoRect& client);
    VideoRect client() const;

    std::uint64_t stored_count() const;
    std::uint64_t taken_count() const;

  private:
    mutable std::mutex mutex_;
    Picture picture_;
    VideoRect client_;
    bool repaint_pending_ = false;
    std::uint64_t stored_ = 0;
    std::uint64_t taken_ = 0;
};

}  // namespace ardelle::playback
