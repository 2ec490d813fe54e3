#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sample_card/card_plan.h"
#include "telemetry/box_walks.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::testing {

// The plan's first recording with these trigger characters, or null.
inline const samplecard::Recording* FindRecording(const samplecard::CardPlan& plan,
                                                  std::string_view trigger) {
    const auto found = std::find_if(plan.recordings.begin(), plan.recordings.end(),
                                    [trigger](const auto& r) { return r.trigger == trigger; });
    return found == plan.recordings.end() ? nullptr : &*found;
}

// Opens a card recording's front telemetry and binds it to the movie's frames as the player
// does; the movie's frame count, or nothing when that fails.
inline std::optional<std::int64_t> LoadBoundFront(const std::string& card_root,
                                                  const samplecard::Recording& recording,
                                                  telemetry::TelemetryFile& file) {
    const std::string path = card_root + "/" + recording.RelativePath(samplecard::Camera::kFront);
    telemetry::TelemetryFile probe;
    const auto timing = telemetry::ReadMovieTiming(probe, path);
    if (!timing || !file.Open(path)) {
        return std::nullopt;
    }
    file.set_frame_duration_ms(timing->frame_duration_ms);
    if (!file.BindToFrames(timing->frame_count)) {
        return std::nullopt;
    }
    return timing->frame_count;
}

}  // namespace ardelle::testing
