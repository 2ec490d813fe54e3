#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "graph/graph_layout.h"
#include "graph/mark_series.h"

namespace ardelle::graph {

// One straight piece of an axis trace, in pass coordinates.
struct TraceSegment {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    friend bool operator==(const TraceSegment&, const TraceSegment&) = default;
};

// One event mark: its column, kind and the series that found it.
struct GraphMark {
    int x = 0;
    int kind = -1;
    int series = -1;
    std::int64_t frame = 0;
    friend bool operator==(const GraphMark&, const GraphMark&) = default;
};

// Columns [x0, x1) covered by the speeding band.
struct BandSpan {
    int x0 = 0, x1 = 0;
    friend bool operator==(const BandSpan&, const BandSpan&) = default;
};

// How the frames of a recording are spread over the columns of a pass.
struct PassPlan {
    double start_frame = 0;    // frame of column 0
    double column_width = 1;   // pixels per frame, at least 1
    std::int64_t columns = 0;  // frames visited: i < plot width / column width
    int plot_width = 0;        // where the final point of each trace lies
    int x_offset = 0;          // added to every x (the label column)
};

// The plan of the graph as the window shows it: every frame when they fit, else one frame
// per pixel starting where the current frame keeps the cursor on its own column.
PassPlan WindowPlan(const GraphLayout& layout, std::int64_t map_frames, std::int64_t current_frame);

// The same pass over the whole recording at once, without the label column: equal to the
// window's plan when every frame fits, else one column per frame. A window then shows the
// strip's columns from WindowStartColumn on.
PassPlan StripPlan(const GraphLayout& layout, std::int64_t map_frames);
std::int64_t WindowStartColumn(const GraphLayout& layout, std::int64_t map_frames,
                               std::int64_t current_frame);

// Everything one trace pass draws, in drawing order.
struct TracePass {
    std::array<std::vector<TraceSegment>, kAxisCount> segments;  // y in window rows
    std::vector<BandSpan> bands;                                 // merged, ascending
    std::vector<GraphMark> marks;  // series 0..9, each in column order
    int width = 0;                 // columns the pass covers, x_offset included
};

// Runs the trace pass of a plan: one trace point per distinct sample, flat runs as one segment
// per seven columns, values beyond 2 G (or not numbers) held at the plot's edge, and the marks
// of the switched-on series with their precedence. Empty when the telemetry has no samples or
// the frame map does not reach the current frame.
TracePass RunTracePass(const GraphTelemetry& telemetry, const GraphLayout& layout,
                       const PassPlan& plan, int scale_mode, const SeriesSwitches& switches);
// The same into a pass whose lists are reused (a repeated pass allocates nothing).
void RunTracePass(const GraphTelemetry& telemetry, const GraphLayout& layout, const PassPlan& plan,
                  int scale_mode, const SeriesSwitches& switches, TracePass& pass);

// The order in which a column's marks are looked for (the speeding series comes first and
// never hides the others).
inline constexpr std::array<int, kSeriesCount - 1> kMarkPrecedence = {0, 1, 2, 3, 4, 5, 7, 8, 9};

}  // namespace ardelle::graph
