#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "graph/mark_series.h"

namespace ardelle::graph {

// One event mark as the map and the mark jumps use it.
struct MarkRecord {
    std::int32_t sample_index = 0;  // position of the SensorSample in the sensor list
    std::int32_t reserved = 0;      // never set
    std::int32_t kind = -1;
    std::int32_t series = -1;
    std::int64_t frame = 0;  // the first frame that shows the mark

    friend bool operator==(const MarkRecord&, const MarkRecord&) = default;
};

// Whether a kind's own map switch lets a found mark onto the map: kinds 0..5 always, the
// event kinds through the switch of their series.
bool MapAllowsKind(const SeriesSwitches& switches, int kind);

// Appends the new map mark of one frame: the speeding series on its own, then the first other
// series (map switch on) that classifies the frame.
void CollectMapMarks(const GraphTelemetry& telemetry, const SeriesSwitches& switches,
                     std::int64_t frame, std::vector<MarkRecord>& out);

// The map's mark list of a whole recording, frame by frame.
std::vector<MarkRecord> CollectAllMapMarks(const GraphTelemetry& telemetry,
                                           const SeriesSwitches& switches);

// The frame of the next mark after the shown frame (wrapping to the first) and of the previous
// one before it (wrapping to the last) among marks whose series' graph switch is on; nothing
// when no such mark exists.
std::optional<std::int64_t> NextMarkFrame(const std::vector<MarkRecord>& marks,
                                          const SeriesSwitches& switches, std::int64_t shown);
std::optional<std::int64_t> PreviousMarkFrame(const std::vector<MarkRecord>& marks,
                                              const SeriesSwitches& switches, std::int64_t shown,
                                              std::int64_t duration);

}  // namespace ardelle::graph
