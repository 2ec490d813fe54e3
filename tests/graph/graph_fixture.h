#pragma once

#include <cstdint>
#include <vector>

#include "graph/mark_series.h"
#include "telemetry/samples.h"

namespace ardelle::graph::testing {

// A hand-made recording: samples each shown on the same number of frames.
struct Track {
    std::vector<telemetry::SensorSample> sensors;
    std::vector<std::int32_t> frame_map;

    GraphTelemetry View() const { return {sensors, frame_map}; }
};

inline Track MakeTrack(std::vector<telemetry::SensorSample> samples, int frames_per_sample) {
    Track track;
    track.sensors = std::move(samples);
    for (std::size_t i = 0; i < track.sensors.size(); ++i) {
        track.sensors[i].index = static_cast<std::int32_t>(i);
        for (int f = 0; f < frames_per_sample; ++f) {
            track.frame_map.push_back(static_cast<std::int32_t>(i));
        }
    }
    return track;
}

// n quiet samples, ready to get events set.
inline std::vector<telemetry::SensorSample> Quiet(std::size_t n) {
    return std::vector<telemetry::SensorSample>(n);
}

}  // namespace ardelle::graph::testing
