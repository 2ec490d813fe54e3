#pragma once

#include <cstdint>
#include <mutex>

#include "playback/frame_target.h"

namespace ardelle::playback {

// The hand-over between a streaming thread that presents pictures and the UI thread that
// paints them: the newest frame with its destination and mirror flag, kept under one small
// lock. Store reports whether a repaint must be scheduled (none is pending yet), so a burst
// of frames schedules one paint. A frame that is replaced before it was painted (the UI
// thread was late by a frame interval) is kept back as the one older picture: Take hands it
// over first and leaves the repaint pending, so the painter paints it and then the newest
// at once instead of skipping it. Only a frame replaced while one is already kept back is
// dropped.
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
    // The painter's thread: the kept-back picture when there is one (the repaint stays
    // pending), else the newest (the pending repaint is cleared).
    Picture Take();
    // A repaint was asked for and not all stored pictures were taken yet.
    bool repaint_pending() const;
    // The newest picture without clearing anything.
    Picture Peek() const;
    // Drops the picture (the surface shows its background again).
    void Clear();

    void SetClient(const VideoRect& client);
    VideoRect client() const;

    std::uint64_t stored_count() const;
    std::uint64_t taken_count() const;
    // Distinct frames stored and distinct frames replaced before anyone took them.
    std::uint64_t distinct_count() const;
    std::uint64_t dropped_count() const;

  private:
    mutable std::mutex mutex_;
    Picture picture_;
    Picture kept_back_;
    bool newest_taken_ = false;
    VideoRect client_;
    bool repaint_pending_ = false;
    std::uint64_t stored_ = 0;
    std::uint64_t taken_ = 0;
    std::uint64_t distinct_ = 0;
    std::uint64_t dropped_ = 0;
};

}  // namespace ardelle::playback
