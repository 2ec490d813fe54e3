#pragma once

#include <cstdint>

namespace ardelle::playback {

// What a player instance is doing with its file.
enum class PlayerState : int { kClosed = 0, kStopped = 1, kPlaying = 2, kPaused = 3 };

// Which player an operation of the pair facade addresses.
enum class PlayerTarget : int { kFront = 0, kRear = 1, kBoth = 2 };

// Playback speed codes; the rate each stands for depends on the back-end (speed_ladder.h).
using SpeedCode = int;
inline constexpr SpeedCode kSpeedX1 = 1;
inline constexpr SpeedCode kSpeedX2 = 2;
inline constexpr SpeedCode kSpeedX4 = 4;
inline constexpr SpeedCode kSpeedHalf = -2;
inline constexpr SpeedCode kSpeedQuarter = -4;
inline constexpr SpeedCode kSpeedToggle = -1;  // resolved by SetSpeed

// A rectangle in client coordinates of a video window (right and bottom exclusive).
struct VideoRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const VideoRect&, const VideoRect&) = default;
};

// The zoom the main window keeps for one player and hands to SetZoom.
struct ZoomSpec {
    int zoom_x = 0;
    int zoom_y = 0;
    int zoom_offset_x = 0;
    int zoom_offset_y = 0;
    float zoom_factor = 1.0f;
};

// How the picture fills the video window.
enum class DisplayMode : int { kStretch = 0, kKeepAspect = 1 };

// Media time in 100-nanosecond units, the unit frame numbers are converted to.
using MediaTime = std::int64_t;
inline constexpr MediaTime kMediaTimePerMs = 10000;

// Frame n starts at trunc(n * interval * 10000) in single precision; a time maps back to
// trunc(time / (interval * 10000)). On a frame boundary the result may come out one frame
// lower, which the playback tick's look-ahead absorbs.
MediaTime FramesToMediaTime(std::int64_t frame, float frame_interval_ms);
std::int64_t MediaTimeToFrames(MediaTime time, float frame_interval_ms);

// Where a seek for frame n aims: a quarter frame into the frame, so that the frame whose
// span holds the time is the one shown, never its predecessor.
MediaTime SeekTimeOfFrame(std::int64_t frame, float frame_interval_ms);

}  // namespace ardelle::playback
