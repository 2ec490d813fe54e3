#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "telemetry/samples.h"

namespace ardelle::graph {

// The graph's ten series: 0..2 the acceleration axes X, Y, Z, 3..9 the recorder's events.
inline constexpr int kSeriesCount = 10;
inline constexpr int kAxisCount = 3;
inline constexpr int kMarkKindCount = 14;
// The speeding series, whose marks come with a band and never hide another mark.
inline constexpr int kSpeedingSeries = 6;
inline constexpr int kSpeedingKind = 8;
// The sudden-steering support mark, drawn as a star instead of a text label.
inline constexpr int kStarKind = 11;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// How one kind of mark looks: its pen colour, its label and the label row below the grid.
struct MarkStyle {
    Rgb colour;
    std::string_view label;  // UTF-8; empty for the star
    int row = 0;
};

// Looks up the style of a kind; kinds outside 0..13 get the first kind's style.
const MarkStyle& StyleOfKind(int kind);

// The trace colour of an axis (0 X front-back, 1 Y left-right, 2 Z up-down).
Rgb AxisColour(int axis);

// The series whose switch governs a kind of mark (-1 for kinds outside 0..13).
int SeriesOfKind(int kind);

// The mark kind a series reads in a sample, or -1.
int ClassifySample(int series, const telemetry::SensorSample& sample);

// The graph and map switch of each series; every one is on when a graph is created.
struct SeriesSwitches {
    std::array<bool, kSeriesCount> graph;
    std::array<bool, kSeriesCount> map;

    SeriesSwitches() {
        graph.fill(true);
        map.fill(true);
    }
    // Sets both switches of a series; series outside 0..9 are ignored.
    void Set(int series, bool on);
};

// The main window's reaction to the info panel's axis message: switch k (0..2) is the series
// of that axis. False, and nothing changed, for other switches.
bool ApplyAxisSwitch(SeriesSwitches& switches, std::int64_t axis, std::int64_t state);

// The series an event group of the settings dialog switches (groups 0..5 -> 9, 4, 5, 6, 7, 8).
inline constexpr std::array<int, 6> kEventGroupSeries = {9, 4, 5, 6, 7, 8};

// The main window's reaction to the settings dialog's message: group 0..5; false, and nothing
// changed, for other groups.
bool ApplyEventGroupSwitch(SeriesSwitches& switches, std::int64_t group, std::int64_t state);

// What the graph reads of a recording's telemetry: the sensor list and the sensor index shown
// on each video frame (-1 none). The caller holds the owning player's lock while these are read.
struct GraphTelemetry {
    std::span<const telemetry::SensorSample> sensors;
    std::span<const std::int32_t> frame_map;
};

struct FrameClass {
    int kind = -1;
    bool is_new = false;  // the previous frame does not show the same kind for this series
    friend bool operator==(const FrameClass&, const FrameClass&) = default;
};

// The kind that a series reads on a frame; -1 when the frame or its sample lies outside the
// lists. A mark is new on frame 0 or when the previous frame classifies differently.
FrameClass ClassifyFrame(const GraphTelemetry& telemetry, std::int64_t frame, int series);

}  // namespace ardelle::graph
