// Reads every movie of the generated test card with the box reader and the telemetry
// decoder, and checks what they find against the card plan and against ffprobe.
#include <gtest/gtest.h>

#include <filesystem>

#include "sample_card/card_plan.h"
#include "support/run_command.h"
#include "telemetry/box_walks.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::telemetry {
namespace {

namespace fs = std::filesystem;
using samplecard::Camera;
using samplecard::CountStyle;
using samplecard::Recording;

class TestCardTelemetry : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(root_)) {
            GTEST_SKIP() << "no test card at " << root_;
        }
    }
    std::string PathOf(const Recording& r, Camera camera) const {
        return root_ + "/" + r.RelativePath(camera);
    }
    // The recordings whose movie of that camera exists on the card.
    std::vector<const Recording*> WithFile(Camera camera) const {
        std::vector<const Recording*> found;
        for (const Recording& r : plan_.recordings) {
            if (r.HasFile(camera) && !r.deleted) {
                found.push_back(&r);
            }
        }
        return found;
    }

    std::string root_ = ARDELLE_TEST_CARD_DIR;
    samplecard::CardPlan plan_ = samplecard::MakeCardPlan({ARDELLE_TEST_CARD_SECONDS, 0, 1});
};

TEST_F(TestCardTelemetry, TreesLengthsAndTimingAgreeWithFfprobe) {
    for (const Camera camera : {Camera::kFront, Camera::kRear}) {
        for (const Recording* r : WithFile(camera)) {
            const std::string path = PathOf(*r, camera);
            std::string error;
            const auto tree = ReadTree(
                path, false,
                camera == Camera::kFront ? TelemetryCarry::kFrontRecording : TelemetryCarry::kNone,
                &error);
            ASSERT_NE(tree, nullptr) << error;
            ASSERT_EQ(tree->root.children.size(), 4u) << path;
            EXPECT_EQ(tree->root.children[3].type, "moov") << path;
            EXPECT_EQ(tree->telemetry.has_value(), camera == Camera::kFront) << path;
            if (tree->telemetry) {
                EXPECT_EQ(tree->telemetry->trailer_count,
                          static_cast<std::uint32_t>(r->SlotCount()));
                EXPECT_EQ(tree->telemetry->header_count,
                          r->count_style == CountStyle::kOpen ? 0xFFFF : r->SlotCount());
            }
            EXPECT_EQ(ExpectedLength(path).length, fs::file_size(path)) << path;

            TelemetryFile probe;
            const auto timing = ReadMovieTiming(probe, path);
            ASSERT_TRUE(timing.has_value()) << path;
            const auto probed = testing::RunCommand(
                "ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                "stream=nb_read_packets:format=duration -of csv=p=0 " +
                testing::ShellQuoted(path));
            ASSERT_EQ(probed.exit_code, 0) << path;
            long long packets = 0;
            double duration = 0;
            ASSERT_EQ(std::sscanf(probed.output.c_str(), "%lld %lf", &packets, &duration), 2)
                << probed.output;
            EXPECT_EQ(timing->frame_count, packets) << path;
            EXPECT_EQ(timing->frame_count, r->FrameCount(camera)) << path;
            EXPECT_NEAR(timing->seconds, duration, 0.002) << path;
        }
    }
}

TEST_F(TestCardTelemetry, FrontBlocksDecodeAsPlanned) {
    for (const Recording* r : WithFile(Camera::kFront)) {
        const std::string path = PathOf(*r, Camera::kFront);
        TelemetryFile file;
        ASSERT_TRUE(file.Open(path)) << file.last_error();
        ASSERT_EQ(file.sensors().size(), static_cast<std::size_t>(r->SampleCount())) << path;
        EXPECT_EQ(file.header().quality, r->header.quality) << path;
        EXPECT_EQ(file.header().mode, r->header.mode) << path;
        EXPECT_EQ(file.header().speed_display != 0, r->header.speed_display) << path;
        EXPECT_EQ(file.header().gps_display != 0, r->header.gps_display) << path;
        EXPECT_EQ(file.header().rate, r->IsTimeLapse() ? 'T' : 'N') << path;
        for (int i = 0; i < r->SampleCount(); ++i) {
            const GpsSample& gps = file.gps()[static_cast<std::size_t>(i)];
            if (r->IsParking()) {
                EXPECT_EQ(gps.valid, 0);
                continue;
            }
            const samplecard::CivilTime t = r->RecordTime(i);
            const platform::CalendarTime& got = gps.local_time;
            EXPECT_EQ((std::array{got.year, got.month, got.day, got.hour, got.minute, got.second}),
                      (std::array{t.year, t.month, t.day, t.hour, t.minute, t.second}))
                << path << " record " << i;
            const bool no_fix = i >= r->no_fix_first && i <= r->no_fix_last;
            EXPECT_EQ(gps.valid, no_fix ? 0 : 1) << path << " record " << i;
        }
        for (const samplecard::RecordMark& mark : r->marks) {
            if (mark.record >= r->SampleCount()) {
                continue;
            }
            const SensorSample& s = file.sensors()[static_cast<std::size_t>(mark.record)];
            switch (mark.offset) {
                case samplecard::record_offset::kShockAxis:
                    EXPECT_EQ(s.shock_axis, mark.value - 'X' + 1) << path << " " << mark.what;
                    break;
                case samplecard::record_offset::kSpeeding:
                    EXPECT_EQ(s.secondary, 8) << path;
                    break;
                case samplecard::record_offset::kApproach:
                    EXPECT_EQ(s.tertiary, 10) << path;
                    break;
                case samplecard::record_offset::kStatusNibbles:
                    EXPECT_EQ(s.high_nibble * 16 + s.low_nibble, mark.value) << path;
                    break;
                default:
                    EXPECT_NE(s.event_kind, -1) << path << " " << mark.what;
            }
        }
    }
}

TEST_F(TestCardTelemetry, BindingCoversEveryFrame) {
    for (const Recording* r : WithFile(Camera::kFront)) {
        const std::string path = PathOf(*r, Camera::kFront);
        TelemetryFile probe;
        const auto timing = ReadMovieTiming(probe, path);
        ASSERT_TRUE(timing.has_value());
        TelemetryFile file;
        ASSERT_TRUE(file.Open(path));
        file.set_frame_duration_ms(timing->frame_duration_ms);
        ASSERT_TRUE(file.BindToFrames(timing->frame_count));
        ASSERT_EQ(file.frame_map().size(), static_cast<std::size_t>(timing->frame_count));
        EXPECT_EQ(file.frame_map().front(), 0);
        // The last frames show one of the last samples.
        EXPECT_GE(file.frame_map().back(), static_cast<std::int32_t>(file.sensors().size()) - 2);
        EXPECT_GT(file.max_abs_g(), 0.0);
    }
}

}  // namespace
}  // namespace ardelle::telemetry
