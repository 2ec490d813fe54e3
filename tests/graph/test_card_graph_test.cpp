// The graph model on the generated test card, whose recordings carry events at known records:
// each event gives one mark of its kind at the column of the first frame that shows its record,
// on the graph and in the map's list.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

#include "bound_telemetry.h"
#include "graph/map_marks.h"
#include "graph/trace_pass.h"

namespace ardelle::graph {
namespace {

namespace fs = std::filesystem;
using samplecard::Camera;
using samplecard::Recording;

// The mark kind the graph should read from a planned event byte.
int ExpectedKind(const samplecard::RecordMark& mark) {
    namespace o = samplecard::record_offset;
    switch (mark.offset) {
        case o::kShockAxis:
            return mark.value == 'X' ? 0 : mark.value == 'Y' ? 2 : 3;
        case o::kManual:
            return 5;
        case o::kEmergencyStop:
            return 6;
        case o::kParkingWatch:
            return 7;
        case o::kSpeeding:
            return 8;
        case o::kStatusNibbles:
            return 9;
        case o::kApproach:
            return 10;
        case o::kDrivingSupport:
            return mark.value == 'H' ? 11 : mark.value == 'A' ? 12 : 13;
        default:
            return -1;
    }
}

class TestCardGraph : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(root_)) {
            GTEST_SKIP() << "no test card at " << root_;
        }
    }
    bool Load(const Recording& r, telemetry::TelemetryFile& file) const {
        return ardelle::testing::LoadBoundFront(root_, r, file).has_value();
    }

    std::string root_ = ARDELLE_TEST_CARD_DIR;
    samplecard::CardPlan plan_ = samplecard::MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1});
};

TEST_F(TestCardGraph, EveryPlannedEventIsOneMarkAtItsColumn) {
    const GraphLayout layout(654, 142, 1.0, 1.0);
    int checked = 0;
    for (const Recording& r : plan_.recordings) {
        if (!r.has_front || r.deleted || r.marks.empty()) {
            continue;
        }
        telemetry::TelemetryFile file;
        ASSERT_TRUE(Load(r, file)) << r.FileName(Camera::kFront);
        const GraphTelemetry view{file.sensors(), file.frame_map()};
        const auto frames = static_cast<std::int64_t>(file.frame_map().size());

        // Each planned event: its kind at the first frame that shows its record.
        std::set<std::tuple<std::int64_t, int>> expected;
        for (const samplecard::RecordMark& mark : r.marks) {
            const auto first =
                std::find(file.frame_map().begin(), file.frame_map().end(), mark.record);
            if (mark.record >= r.SampleCount() || first == file.frame_map().end()) {
                continue;
            }
            expected.insert({first - file.frame_map().begin(), ExpectedKind(mark)});
        }
        ASSERT_FALSE(expected.empty()) << r.FileName(Camera::kFront);

        // Every frame fits at this width: marks at int(frame x pixels per frame).
        const PassPlan plan = WindowPlan(layout, frames, 0);
        ASSERT_GT(plan.column_width, 1.0);
        const TracePass pass = RunTracePass(view, layout, plan, 1, SeriesSwitches());
        std::set<std::tuple<std::int64_t, int>> graph_found, map_found;
        for (const GraphMark& m : pass.marks) {
            EXPECT_EQ(m.x, 40 + static_cast<int>(static_cast<double>(m.frame) * plan.column_width));
            EXPECT_EQ(m.series, SeriesOfKind(m.kind));
            graph_found.insert({m.frame, m.kind});
        }
        EXPECT_EQ(pass.marks.size(), graph_found.size()) << "a mark repeated";
        EXPECT_EQ(graph_found, expected) << r.FileName(Camera::kFront);

        const std::vector<MarkRecord> map = CollectAllMapMarks(view, SeriesSwitches());
        for (const MarkRecord& m : map) {
            map_found.insert({m.frame, m.kind});
            EXPECT_EQ(file.frame_map()[static_cast<std::size_t>(m.frame)], m.sample_index);
        }
        EXPECT_EQ(map.size(), map_found.size());
        EXPECT_EQ(map_found, expected) << r.FileName(Camera::kFront);

        // The speeding record lies on the band.
        for (const auto& [frame, kind] : expected) {
            if (kind != kSpeedingKind) {
                continue;
            }
            const int x = 40 + static_cast<int>(static_cast<double>(frame) * plan.column_width);
            ASSERT_EQ(pass.bands.size(), 1u);
            EXPECT_LE(pass.bands[0].x0, x);
            EXPECT_GT(pass.bands[0].x1, x);
        }
        ++checked;
    }
    EXPECT_GE(checked, 6);  // shock, manual, support, approach, speeding/camera, parking, ...
}

TEST_F(TestCardGraph, SwitchingASeriesOffRemovesOnlyItsMarks) {
    const Recording* speeding = ardelle::testing::FindRecording(plan_, "A_O_");
    ASSERT_NE(speeding, nullptr);
    telemetry::TelemetryFile file;
    ASSERT_TRUE(Load(*speeding, file));
    const GraphTelemetry view{file.sensors(), file.frame_map()};
    const GraphLayout layout(654, 142, 1.0, 1.0);
    const PassPlan plan = WindowPlan(layout, static_cast<std::int64_t>(file.frame_map().size()), 0);

    SeriesSwitches switches;
    ASSERT_TRUE(ApplyEventGroupSwitch(switches, 3, 0));  // the settings dialog's "speeding"
    const TracePass pass = RunTracePass(view, layout, plan, 1, switches);
    ASSERT_EQ(pass.marks.size(), 1u);
    EXPECT_EQ(pass.marks[0].kind, 9);  // the speed camera stays
    EXPECT_TRUE(pass.bands.empty());
    const auto map = CollectAllMapMarks(view, switches);
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].kind, 9);

    ASSERT_TRUE(ApplyEventGroupSwitch(switches, 3, 1));
    EXPECT_EQ(RunTracePass(view, layout, plan, 1, switches).marks.size(), 2u);
    EXPECT_EQ(CollectAllMapMarks(view, switches).size(), 2u);
}

TEST_F(TestCardGraph, ShockRecordingScaleAndTracesStayInThePlot) {
    for (const Recording& r : plan_.recordings) {
        if (!r.has_front || r.deleted || r.trigger[1] != 'G') {
            continue;
        }
        telemetry::TelemetryFile file;
        ASSERT_TRUE(Load(r, file));
        const int mode = ScaleModeFor(file.max_abs_g());
        const GraphTelemetry view{file.sensors(), file.frame_map()};
        for (const int width : {654, 160, 1920}) {
            const GraphLayout layout(width, 142, 1.0, 1.0);
            const auto frames = static_cast<std::int64_t>(file.frame_map().size());
            const TracePass pass = RunTracePass(
                view, layout, WindowPlan(layout, frames, frames / 2), mode, SeriesSwitches());
            for (const auto& axis : pass.segments) {
                ASSERT_FALSE(axis.empty());
                for (const TraceSegment& s : axis) {
                    for (const int y : {s.y0, s.y1}) {
                        EXPECT_GE(y, 5);
                        EXPECT_LE(y, 115);
                    }
                    for (const int x : {s.x0, s.x1}) {
                        EXPECT_GE(x, 40);
                        EXPECT_LE(x, width);
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace ardelle::graph
