#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/messages.h"
#include "playback/player_types.h"

namespace ardelle::playback {

// One decoded picture as 32-bit BGRx rows, top row first. The pixels stay valid for as
// long as any holder keeps the frame.
struct VideoFrame {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
    const std::uint8_t* pixels = nullptr;
    std::int64_t stream_time_ns = -1;  // position of the picture in the file
    std::int64_t duration_ns = -1;
};

using SharedFrame = std::shared_ptr<const VideoFrame>;

// A 32-bit BGRx picture the caller owns (snapshots).
struct VideoImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * 4 bytes a row, top row first
};

// Where a player's pictures are drawn; the viewer's video surface implements it. The engine
// calls PresentFrame on a media streaming thread, or on the caller's thread for repaints;
// it must not block on the UI thread: store the frame and schedule a repaint.
class FrameTarget {
  public:
    virtual ~FrameTarget() = default;
    // The drawable client area in pixels, top-left at (0, 0).
    virtual VideoRect ClientRect() const = 0;
    // Draws frame scaled into destination (client coordinates), flipped left to right when
    // mirrored, and the rest of the client area black. A null frame draws black only.
    virtual void PresentFrame(const SharedFrame& frame, const VideoRect& destination,
                              bool mirrored) = 0;
};

// The video surface of one player as the engine sees it: its pictures go to frames, its
// notifications (kPlayerReady, kPlayerEnded; wparam 0, lparam 0) to notifications.
struct VideoWindow {
    FrameTarget* frames = nullptr;
    MessageSink* notifications = nullptr;
};

// Display flags that outlive one file: the presenter restores them when it starts and the
// player stores them back when it closes the file.
struct SavedDisplayFlags {
    bool mirrored = false;
    bool second = false;  // carried along with the mirror flag; nothing draws from it
};

}  // namespace ardelle::playback
