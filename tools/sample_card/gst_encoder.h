#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_card/card_plan.h"

namespace ardelle::samplecard {

// One movie file to encode.
struct ClipSettings {
    Camera camera = Camera::kFront;
    int width = 0;
    int height = 0;
    int fps = 30;
    int frames = 0;
    double seconds = 0;
    bool audio = false;
    CivilTime start;  // shown in the overlay
};

// Must run once before any encoding (and before worker threads start).
void InitGStreamer();

// Encodes H.264 (and AAC when clip.audio) into an MP4 file at path; throws
// std::runtime_error with GStreamer's message on failure.
void EncodeClip(const ClipSettings& clip, const std::string& path);

// One JPEG picture of the given size showing the camera and the time.
std::vector<uint8_t> EncodeJpeg(Camera camera, int width, int height, const CivilTime& time);

}  // namespace ardelle::samplecard
