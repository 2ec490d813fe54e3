#pragma once

#include <optional>
#include <string>

#include "playback/player_types.h"

namespace ardelle::playback {

// What the media detector knows of a file's first video stream with a frame rate.
struct DetectedVideo {
    double frames_per_second = 0;
    MediaTime duration = 0;
};

// Asks GStreamer's discoverer; nothing when the file has no video stream with a frame rate
// or cannot be read as media.
std::optional<DetectedVideo> DetectVideoStream(const std::string& path);

}  // namespace ardelle::playback
