#pragma once

#include <optional>
#include <string>

#include "playback/frame_target.h"

namespace ardelle::playback {

// Snapshots are saved at this JPEG quality: high enough that the picture shows no visible
// blocks, about a sixth of the size of quality 100.
inline constexpr int kSnapshotJpegQuality = 90;

// The picture as a baseline JPEG file (4:2:0); nothing for an empty picture.
std::optional<std::string> EncodeJpeg(const VideoImage& image, int quality);

// Encodes and writes the picture through a temporary file renamed into place.
bool SaveJpeg(const VideoImage& image, const std::string& path, int quality);

// The same for a frame as the presenter holds it, read in place (flipped left to right when
// mirrored): a 1080p picture is not copied once more before it is encoded.
std::optional<std::string> EncodeJpeg(const VideoFrame& frame, bool mirrored, int quality);
bool SaveJpeg(const VideoFrame& frame, bool mirrored, const std::string& path, int quality);

}  // namespace ardelle::playback
