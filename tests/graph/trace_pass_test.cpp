// The graph model on hand-made recordings: scale modes, layout, trace heights and flat runs,
// mark precedence and switches, bands, the window and the whole-recording strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "graph/graph_layout.h"
#include "graph/map_marks.h"
#include "graph/trace_pass.h"
#include "graph_fixture.h"

namespace ardelle::graph {
namespace {

using testing::MakeTrack;
using testing::Quiet;

TEST(GraphScale, ModeFollowsTheLargestAcceleration) {
    const struct {
        double g;
        int mode;
    } cases[] = {{0.0, 0},  {0.49, 0}, {0.5, 1},
                 {0.99, 1}, {1.0, 2},  {1.49, 2},
                 {1.5, 3},  {3.0, 3},  {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScaleModeFor(c.g), c.mode) << c.g;
    }
    EXPECT_EQ(AxisLabelsFor(0).positive, " 0.5G");
    EXPECT_EQ(AxisLabelsFor(3).negative, "  -2G");
    EXPECT_EQ(AxisLabelsFor(7).positive, "   1G");  // unknown modes label as mode 1
}

TEST(GraphLayout, LengthsAtTheDesignScale) {
    const GraphLayout layout(654, 142, 1.0, 1.0);
    EXPECT_EQ(layout.LeftMargin(), 40);
    EXPECT_EQ(layout.TileWidth(), 593);
    EXPECT_EQ(layout.PlotWidth(), 613);
    EXPECT_EQ(layout.ZeroY(), 60);
    EXPECT_EQ(layout.PixelsPerG(1), 57);
    EXPECT_EQ(layout.PixelsPerG(3), 28);
    EXPECT_EQ(layout.TraceLimit(), 55);
    EXPECT_EQ(layout.MarkBottom(), 142);
    EXPECT_EQ(layout.LabelTop(0), 115);
    EXPECT_EQ(layout.GridTilePositions(), (std::vector<int>{610, 20, 0}));
    // A client height of 120 puts the band on rows 91..119.
    EXPECT_EQ(GraphLayout(654, 120, 1.0, 1.0).BandBox(50, 3), (Rect{50, 91, 3, 29}));
    // Nothing to tile in a window narrower than its label column.
    EXPECT_TRUE(GraphLayout(30, 142, 1.0, 1.0).GridTilePositions().size() <= 2);
    EXPECT_TRUE(GraphLayout(0, 0, 1.0, 1.0).GridTilePositions().empty());
    EXPECT_EQ(GraphLayout(654, 0, 1.0, 1.0).MarkBottom(), 15);  // empty client area: no stretch
}

TEST(GraphLayout, CursorColumn) {
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const struct {
        std::int64_t frame, frames;
        int x;
    } cases[] = {
        {0, 90, 40},
        {45, 90, 40 + static_cast<int>(45 * (614.0f / 90.0f))},
        {89, 90, 40 + static_cast<int>(89 * (614.0f / 90.0f))},
        {5000, 90, 653},  // a stale position stays inside the window
        {10, 0, 40},      // no recording: no division by zero
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layout.CursorX(c.frame, c.frames), c.x) << c.frame << "/" << c.frames;
    }
}

// The y of the trace's first point for a sample value.
int TraceRow(double value, int mode, int axis = 1) {
    auto samples = Quiet(4);
    for (auto& s : samples) {
        (axis == 0 ? s.x : axis == 1 ? s.y : s.z) = value;
    }
    const auto track = MakeTrack(samples, 1);
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const TracePass pass =
        RunTracePass(track.View(), layout, WindowPlan(layout, 4, 0), mode, SeriesSwitches());
    const auto& segments = pass.segments[static_cast<std::size_t>(axis)];
    EXPECT_FALSE(segments.empty());
    return segments.empty() ? -1 : segments.back().y1;
}

TEST(TracePass, HeightsAreClampedToThePlot) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double g;
        int mode, row;
    } cases[] = {
        {0.3, 1, 60 - 17},                      // int(57 x 0.3) above the zero line
        {-0.3, 1, 60 + 17}, {3.0, 1, 5},        // a spike stops at the top clamp y0 - int(5 s)
        {-3.0, 1, 115},     {3.0, 3, 60 - 55},  // 2 G x 28 is beyond the clamp too
        {1.0, 3, 60 - 28},  {1e300, 0, 5},
        {-inf, 0, 115},     {nan, 2, 60},  // not a number: drawn on the zero line
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TraceRow(c.g, c.mode), c.row) << c.g << " mode " << c.mode;
    }
}

TEST(TracePass, FlatRunsAreOneSegmentPerSevenColumnsAndEndInASlope) {
    // 20 samples on one frame each, a plot wide enough for 10 px a frame: 10 flat samples,
    // then a step to 1 G.
    auto samples = Quiet(20);
    for (std::size_t i = 10; i < samples.size(); ++i) {
        samples[i].x = 1.0;
    }
    const auto track = MakeTrack(samples, 1);
    const GraphLayout layout(241, 142, 1.0, 1.0);  // plot width 200 -> 10 px per frame
    const TracePass pass =
        RunTracePass(track.View(), layout, WindowPlan(layout, 20, 0), 1, SeriesSwitches());
    const int left = 40, zero = 60, up = 60 - 55;  // 1 G at mode 1 is clamped to 55
    const std::vector<TraceSegment> expected = {
        {left + 0, zero, left + 60, zero},  // seventh flat column
        {left + 0, zero, left + 90, zero},  // the run up to the pending point
        {left + 90, zero, left + 100, up},  // the step
        {left + 100, up, left + 170, up},   // seven more columns
        {left + 100, up, left + 200, up},   // the final point at the plot width
    };
    EXPECT_EQ(pass.segments[0], expected);
    // Y and Z stay on the zero line and are drawn as flat pieces only.
    for (const TraceSegment& s : pass.segments[1]) {
        EXPECT_EQ(s.y0, zero);
        EXPECT_EQ(s.y1, zero);
    }
}

TEST(TracePass, OneMarkPerEventWithPrecedenceAndSwitches) {
    // Sample 2 (frames 6..8): shock X together with support "sudden acceleration" and speeding.
    auto samples = Quiet(6);
    samples[2].shock_axis = 1;
    samples[2].event_kind = 12;
    samples[2].secondary = 8;
    const auto track = MakeTrack(samples, 3);
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const PassPlan plan = WindowPlan(layout, 18, 0);
    const int x = 40 + static_cast<int>(6 * plan.column_width);

    const struct {
        const char* what;
        std::vector<int> off;
        std::vector<GraphMark> marks;
    } cases[] = {
        {"all on: X wins over support, speeding beside it", {}, {{x, 0, 0, 6}, {x, 8, 6, 6}}},
        {"X off: the support mark shows", {0}, {{x, 8, 6, 6}, {x, 12, 9, 6}}},
        {"X and support off", {0, 9}, {{x, 8, 6, 6}}},
        {"speeding off", {6}, {{x, 0, 0, 6}}},
        {"all off", {0, 6, 9}, {}},
    };
    for (const auto& c : cases) {
        SeriesSwitches switches;
        for (int series : c.off) {
            switches.Set(series, false);
        }
        const TracePass pass = RunTracePass(track.View(), layout, plan, 1, switches);
        EXPECT_EQ(pass.marks, c.marks) << c.what;
        const bool band = switches.graph[kSpeedingSeries];
        EXPECT_EQ(pass.bands.empty(), !band) << c.what;
        // The same precedence gives the map's marks.
        // The same precedence gives the map's marks (the speeding mark comes first there).
        std::vector<int> graph_kinds, map_kinds;
        for (const GraphMark& m : c.marks) {
            graph_kinds.push_back(m.kind);
        }
        for (const MarkRecord& m : CollectAllMapMarks(track.View(), switches)) {
            map_kinds.push_back(m.kind);
            EXPECT_EQ(m.frame, 6) << c.what;
            EXPECT_EQ(m.sample_index, 2) << c.what;
        }
        std::sort(map_kinds.begin(), map_kinds.end());
        EXPECT_EQ(map_kinds, graph_kinds) << c.what;
    }
}

TEST(TracePass, RepeatedEventSamplesGiveOneMarkAndTheBandCoversTheRun) {
    // Samples 3..5 all report speeding and a shock on Z: one mark each, at the first column.
    auto samples = Quiet(10);
    for (std::size_t i = 3; i <= 5; ++i) {
        samples[i].secondary = 8;
        samples[i].shock_axis = 3;
    }
    const auto track = MakeTrack(samples, 3);
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const PassPlan plan = WindowPlan(layout, 30, 0);  // 613 / 30 = 20.43 px a frame
    const TracePass pass = RunTracePass(track.View(), layout, plan, 1, SeriesSwitches());
    const int x9 = 40 + static_cast<int>(9 * plan.column_width);
    EXPECT_EQ(pass.marks, (std::vector<GraphMark>{{x9, 3, 2, 9}, {x9, 8, 6, 9}}));
    // The band lies under exactly the columns of the speeding samples (frames 9..17).
    const int x18 = 40 + static_cast<int>(18 * plan.column_width);
    EXPECT_EQ(pass.bands, (std::vector<BandSpan>{{x9, x18}}));
}

TEST(TracePass, AMarkOnTheLastSampleIsDrawnOnce) {
    for (const int frames_per_sample : {1, 3, 200}) {  // more, as many and fewer pixels
        auto samples = Quiet(6);
        samples[5].event_kind = 7;
        const auto track = MakeTrack(samples, frames_per_sample);
        const GraphLayout layout(654, 142, 1.0, 1.0);
        const auto frames = static_cast<std::int64_t>(track.frame_map.size());
        const TracePass pass = RunTracePass(
            track.View(), layout, WindowPlan(layout, frames, frames - 1), 1, SeriesSwitches());
        ASSERT_EQ(pass.marks.size(), 1u) << frames_per_sample;
        EXPECT_EQ(pass.marks[0].frame, 5 * frames_per_sample);
    }
}

TEST(TracePass, WithoutSamplesNothingIsTraced) {
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const struct {
        const char* what;
        testing::Track track;
        std::int64_t current;
    } cases[] = {
        {"no telemetry block: a map of empty frames", {{}, std::vector<std::int32_t>(90, -1)}, 0},
        {"no frames at all", {}, 0},
        {"frame map shorter than the position", MakeTrack(Quiet(3), 3), 20},
        {"map pointing past the samples", {Quiet(2), {0, 1, 7, 7}}, 0},
    };
    for (const auto& c : cases) {
        const auto frames = static_cast<std::int64_t>(c.track.frame_map.size());
        const TracePass pass = RunTracePass(
            c.track.View(), layout, WindowPlan(layout, frames, c.current), 1, SeriesSwitches());
        EXPECT_TRUE(pass.marks.empty()) << c.what;
        EXPECT_TRUE(pass.bands.empty()) << c.what;
        if (c.track.sensors.empty() || c.current >= frames) {
            for (const auto& axis : pass.segments) {
                EXPECT_TRUE(axis.empty()) << c.what;
            }
        }
    }
    // The corrupt map stops the pass at its first bad entry instead of reading beyond the list.
    const testing::Track bad{Quiet(2), {0, 1, 7, 7}};
    EXPECT_EQ(ClassifyFrame(bad.View(), 2, 0).kind, -1);
    EXPECT_EQ(ClassifyFrame(bad.View(), -1, 0).kind, -1);
    EXPECT_EQ(ClassifyFrame(bad.View(), 99, 0).kind, -1);
}

TEST(TracePass, TheWindowShowsTheStripFromItsStartColumn) {
    // 600 frames on a 200-pixel plot: one frame per pixel, the window follows the position.
    auto samples = Quiet(200);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i].x = std::sin(static_cast<double>(i) / 7.0);
        if (i % 23 == 5) {
            samples[i].event_kind = 5;
        }
    }
    const auto track = MakeTrack(samples, 3);
    const GraphLayout layout(241, 142, 1.0, 1.0);
    const TracePass strip =
        RunTracePass(track.View(), layout, StripPlan(layout, 600), 1, SeriesSwitches());
    EXPECT_EQ(strip.width, 601);
    for (const std::int64_t current : {0, 1, 150, 299, 598, 599}) {
        const PassPlan plan = WindowPlan(layout, 600, current);
        ASSERT_EQ(plan.column_width, 1.0);
        const std::int64_t start = WindowStartColumn(layout, 600, current);
        const TracePass window = RunTracePass(track.View(), layout, plan, 1, SeriesSwitches());
        std::vector<GraphMark> expected;
        for (const GraphMark& m : strip.marks) {
            if (m.x >= start && m.x < start + plan.columns) {
                expected.push_back({m.x - static_cast<int>(start) + 40, m.kind, m.series, m.frame});
            }
        }
        EXPECT_EQ(window.marks, expected) << "frame " << current;
        // The cursor stands over the column that shows its own frame (within the margin).
        const int cursor = layout.CursorX(current, 600) - 40;
        EXPECT_NEAR(static_cast<double>(start + cursor), static_cast<double>(current), 2.0);
    }
}

TEST(MarkJumps, NextAndPreviousWrapAndFollowTheSwitches) {
    const std::vector<MarkRecord> marks = {{1, 0, 0, 0, 10}, {4, 0, 8, 6, 40}, {7, 0, 12, 9, 70}};
    SeriesSwitches support_off;
    support_off.Set(9, false);
    const struct {
        const SeriesSwitches switches;
        std::int64_t shown;
        std::optional<std::int64_t> next, previous;
    } cases[] = {
        {SeriesSwitches(), 40, 70, 10}, {SeriesSwitches(), 75, 10, 70},
        {SeriesSwitches(), 5, 10, 70},  {support_off, 40, 10, 10},
        {support_off, 75, 10, 40},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextMarkFrame(marks, c.switches, c.shown), c.next) << c.shown;
        EXPECT_EQ(PreviousMarkFrame(marks, c.switches, c.shown, 90), c.previous) << c.shown;
    }
    EXPECT_EQ(NextMarkFrame({}, SeriesSwitches(), 0), std::nullopt);
    EXPECT_EQ(PreviousMarkFrame({}, SeriesSwitches(), 0, 90), std::nullopt);
}

TEST(SeriesSwitches, MessagesSwitchTheirSeriesAndIgnoreOthers) {
    SeriesSwitches switches;
    EXPECT_TRUE(ApplyEventGroupSwitch(switches, 3, 0));  // speeding
    EXPECT_FALSE(switches.graph[6]);
    EXPECT_FALSE(switches.map[6]);
    EXPECT_TRUE(ApplyEventGroupSwitch(switches, 0, 0));  // driving support
    EXPECT_FALSE(switches.graph[9]);
    EXPECT_TRUE(ApplyEventGroupSwitch(switches, 3, 1));
    EXPECT_TRUE(switches.graph[6]);
    EXPECT_TRUE(ApplyAxisSwitch(switches, 1, 0));
    EXPECT_FALSE(switches.graph[1]);
    const SeriesSwitches before = switches;
    for (const std::int64_t bad :
         {std::int64_t{-1}, std::int64_t{6}, std::int64_t{32975}, std::int64_t{1} << 40}) {
        EXPECT_FALSE(ApplyEventGroupSwitch(switches, bad, 0)) << bad;
    }
    EXPECT_FALSE(ApplyAxisSwitch(switches, 3, 0));
    EXPECT_EQ(switches.graph, before.graph);
    EXPECT_EQ(switches.map, before.map);
}

}  // namespace
}  // namespace ardelle::graph
