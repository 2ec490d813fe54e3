#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "playback/frame_gate.h"
#include "playback/frame_target.h"

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

namespace ardelle::playback {

struct PresenterCallbacks;

// Receives decoded frames from the video sink, lets them through the frame gate, keeps the
// last one and hands it with its destination rectangle and the mirror flag to the frame
// target. Its sink converts every frame to 32-bit BGRx and hands it over at its
// presentation time, so the sink's clock wait is the scheduler.
class CustomPresenter {
  public:
    CustomPresenter(FrameTarget* target, const SavedDisplayFlags& saved);
    ~CustomPresenter();
    CustomPresenter(const CustomPresenter&) = delete;
    CustomPresenter& operator=(const CustomPresenter&) = delete;

    // The video sink element (a bin); nullptr when the elements cannot be made. The
    // presenter keeps a reference of its own.
    GstElement* sink() const { return bin_; }

    // Frame-gate hints of the media session (frame_gate.h).
    void SetRunningHints();
    void SetSingleFrameHints(std::uint32_t seek_seqnum);
    void ClearSingleFrameHints();
    void ClockStarted();

    // Destination of the picture in client coordinates; the whole client area until set.
    void SetVideoPosition(const VideoRect& destination);
    void SetAspectRatioMode(DisplayMode mode);
    DisplayMode aspect_ratio_mode() const;
    // The size of the decoded pictures; false before the first frame was negotiated.
    bool NativeVideoSize(int& width, int& height) const;

    // Hands the last frame to the target again (nothing while a single frame is on its way).
    void Repaint();
    // Flips the picture left to right; the new mirror flag.
    bool ToggleMirror();
    SavedDisplayFlags display_flags() const;

    // The last frame, and whether the screen shows it mirrored. When a single-frame seek is
    // still on its way, waits up to wait for that frame first. The frame stays valid while
    // it is held, so a snapshot reads it in place instead of copying it.
    SharedFrame CurrentFrame(std::chrono::milliseconds wait, bool& mirrored);

    SharedFrame last_frame() const;
    // Frames handed to the target (repaints not counted).
    std::uint64_t presented_count() const;

  private:
    friend struct PresenterCallbacks;
    bool BuildSink();
    void OnSegment(std::uint32_t seqnum);
    void OnSample(GstSample* sample, FrameGate::Arrival arrival);
    void PresentLocked(const SharedFrame& frame);

    FrameTarget* target_;
    GstElement* bin_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable single_frame_done_;
    FrameGate gate_;
    SavedDisplayFlags flags_;
    std::optional<VideoRect> destination_;
    DisplayMode aspect_mode_ = DisplayMode::kKeepAspect;
    int native_width_ = 0;
    int native_height_ = 0;
    std::uint32_t segment_seqnum_ = 0;
    bool fresh_segment_ = false;
    SharedFrame last_frame_;
    const void* last_buffer_ = nullptr;
    std::int64_t last_pts_ = -1;
    std::uint64_t presented_ = 0;
};

}  // namespace ardelle::playback
