#include <gtest/gtest.h>

#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::telemetry {
namespace {

using testing::Block;
using testing::HeaderBody;
using testing::Record;
using testing::RecordFields;

constexpr const char* kFrontName = "A___-230415-101500-000001F.MP4";

std::vector<std::string> Records(std::size_t count) {
    std::vector<std::string> records;
    for (std::size_t i = 0; i < count; ++i) {
        RecordFields fields;
        fields.x = i % 2 == 0 ? "-1250" : "00100";
        fields.y = "00500";
        fields.z = "00000";
        records.push_back(Record(fields));
    }
    return records;
}

std::string MovieWithBlock(std::size_t records, std::size_t media_bytes = 100000) {
    return testing::MinimalMovie(1000, 20000, 600, media_bytes) +
           Block(HeaderBody({}), static_cast<std::uint16_t>(records), Records(records),
                 static_cast<std::uint32_t>(records));
}

class TelemetryFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ / name;
        EXPECT_TRUE(testing::WriteFile(path, bytes));
        return path;
    }
    testing::TempFolder folder_;
};

TEST_F(TelemetryFileTest, FindsBlocksAtTheEndOrAtTheFullSizePosition) {
    const struct {
        std::size_t records;
        std::size_t media_bytes;
    } cases[] = {{10, 100000}, {1, 100000}, {kFullBlockRecords, 2000}, {300, 500000}};
    for (const auto& c : cases) {
        const std::string path = Write(kFrontName, MovieWithBlock(c.records, c.media_bytes));
        TelemetryFile file;
        ASSERT_TRUE(file.Open(path)) << file.last_error();
        EXPECT_EQ(file.sensors().size(), c.records);
        EXPECT_EQ(file.gps().size(), c.records);
        EXPECT_EQ(file.last_index(), static_cast<std::int64_t>(c.records) - 1);
        EXPECT_EQ(file.header().quality, 'H');
        EXPECT_TRUE(file.loaded());
        EXPECT_EQ(file.path(), path);
    }
}

TEST_F(TelemetryFileTest, FilesWithoutUsableBlocks) {
    TelemetryFile file;
    EXPECT_TRUE(file.Open(Write("none.MP4", testing::MinimalMovie(1000, 5000, 150))));
    EXPECT_TRUE(file.sensors().empty());
    EXPECT_EQ(file.last_index(), -1);

    EXPECT_FALSE(file.Open(Write("empty.MP4", "")));
    EXPECT_FALSE(file.Open(folder_ / "missing.MP4"));
    EXPECT_TRUE(file.path().empty());

    // A count larger than the records present, with a damaged trailer, fails with the
    // file and the offset.
    std::string lying =
        testing::MinimalMovie(1000, 5000, 150, 100000) + Block(HeaderBody({}), 50, Records(10), 10);
    lying.replace(lying.size() - 28, 3, "XXX");
    const std::string path = Write("lying.MP4", lying);
    EXPECT_FALSE(file.Open(path));
    EXPECT_NE(file.last_error().find(path), std::string::npos);
    EXPECT_NE(file.last_error().find("offset"), std::string::npos);
    EXPECT_TRUE(file.sensors().empty());
    EXPECT_FALSE(file.loaded());
}

TEST_F(TelemetryFileTest, EarlyEndRecordKeepsTheSamplesBeforeIt) {
    std::vector<std::string> records = Records(3);
    records[1] = testing::EndRecord();
    const std::string path = Write(kFrontName, testing::MinimalMovie(1000, 5000, 150, 100000) +
                                                   Block(HeaderBody({}), 3, records, 3));
    TelemetryFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.sensors().size(), 1u);
    EXPECT_EQ(file.gps().size(), 1u);
}

TEST_F(TelemetryFileTest, BindsTwentySecondsToSixHundredFrames) {
    TelemetryFile file;
    ASSERT_TRUE(file.Open(Write(kFrontName, MovieWithBlock(200))));
    file.set_frame_duration_ms(1000.0f / (600.0f / 20.0f));
    ASSERT_TRUE(file.BindToFrames(600));
    EXPECT_EQ(file.sensors()[1].time, 3);
    EXPECT_EQ(file.sensors()[2].time, 6);
    const auto& map = file.frame_map();
    ASSERT_EQ(map.size(), 600u);
    for (int frame : {0, 1, 2, 3})
        EXPECT_EQ(map[static_cast<size_t>(frame)], 0) << frame;
    for (int frame : {4, 5, 6})
        EXPECT_EQ(map[static_cast<size_t>(frame)], 1) << frame;
    EXPECT_EQ(map[7], 2);
    EXPECT_EQ(map[599], 199);
    // Positions lag five records behind the sensor.
    EXPECT_EQ(file.sensors()[7].gps_link, 3);
    for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(file.sensors()[static_cast<size_t>(k)].gps_link, 0);
    EXPECT_EQ(file.gps()[7].sensor_link, 7);
    EXPECT_DOUBLE_EQ(file.max_abs_g(), 1.25);
}

// Links are indices into the other lists or -1; a parking recording's blank positions must
// not carry blank bytes where an index is read.
TEST_F(TelemetryFileTest, BoundLinksAreIndicesOrNone) {
    for (const char* name : {kFrontName, "P___-230415-101500-000002F.MP4"}) {
        TelemetryFile file;
        ASSERT_TRUE(file.Open(Write(name, MovieWithBlock(200))));
        file.set_frame_duration_ms(1000.0f / 30.0f);
        ASSERT_TRUE(file.BindToFrames(600));
        const auto sensors = static_cast<std::int32_t>(file.sensors().size());
        for (const GpsSample& gps : file.gps()) {
            for (const std::int32_t link : {gps.sensor_link, gps.vehicle_link}) {
                EXPECT_TRUE(link == -1 || (link >= 0 && link < sensors))
                    << name << " sample " << gps.index << " link " << link;
            }
        }
    }
}

TEST_F(TelemetryFileTest, BindingFailures) {
    TelemetryFile unopened;
    unopened.set_frame_duration_ms(33.3f);
    EXPECT_FALSE(unopened.BindToFrames(10));  // no lists

    TelemetryFile file;
    ASSERT_TRUE(file.Open(Write(kFrontName, MovieWithBlock(20))));
    EXPECT_FALSE(file.BindToFrames(0));
    EXPECT_FALSE(file.BindToFrames(-4));
    EXPECT_TRUE(file.frame_map().empty());
    EXPECT_FALSE(file.BindToFrames(60));  // frame duration 0
    EXPECT_EQ(file.frame_map().size(), 60u);
    EXPECT_EQ(file.sensors()[1].time, 100);  // still milliseconds

    // Counts and intervals no file of this size can hold fail with a reason instead of
    // sizing the frame map by them or overflowing the conversion to frames.
    file.set_frame_duration_ms(33.3f);
    EXPECT_FALSE(file.BindToFrames(std::int64_t{1} << 34));
    EXPECT_NE(file.last_error().find("frames cannot fit"), std::string::npos);
    file.set_frame_duration_ms(1e-6f);
    EXPECT_FALSE(file.BindToFrames(60));
    EXPECT_NE(file.last_error().find("is no video"), std::string::npos);
    EXPECT_EQ(file.sensors()[1].time, 100);  // still milliseconds

    TelemetryFile empty;
    ASSERT_TRUE(empty.Open(Write("none.MP4", testing::MinimalMovie(1000, 5000, 150))));
    empty.set_frame_duration_ms(33.3f);
    EXPECT_TRUE(empty.BindToFrames(150));
    EXPECT_EQ(empty.frame_map()[0], -1);
    EXPECT_EQ(empty.max_abs_g(), 0.0);
}

TEST_F(TelemetryFileTest, MoveFromAndClear) {
    TelemetryFile spare;
    ASSERT_TRUE(spare.Open(Write(kFrontName, MovieWithBlock(20))));
    TelemetryFile reader;
    EXPECT_TRUE(reader.MoveFrom(spare));
    EXPECT_EQ(reader.sensors().size(), 20u);
    EXPECT_TRUE(spare.sensors().empty());
    EXPECT_TRUE(spare.path().empty());
    TelemetryFile other;
    EXPECT_FALSE(other.MoveFrom(spare));  // nothing came along
    reader.Clear();
    EXPECT_TRUE(reader.gps().empty());
    EXPECT_EQ(reader.header(), RecordingHeaderInfo{});
}

TEST_F(TelemetryFileTest, HeaderOnlyReadAndTrackCollection) {
    const std::string front = Write(kFrontName, MovieWithBlock(20));
    const std::string parking = Write("P___-230415-101500-000002F.MP4", MovieWithBlock(5));
    RecordingHeaderInfo header;
    ASSERT_TRUE(ReadHeaderInfo(front, header));
    EXPECT_EQ(header.quality, 'H');
    RecordingHeaderInfo untouched;
    untouched.quality = 'Q';
    ASSERT_TRUE(
        ReadHeaderInfo(Write("none.MP4", testing::MinimalMovie(1000, 5000, 150)), untouched));
    EXPECT_EQ(untouched.quality, 'Q');
    EXPECT_FALSE(ReadHeaderInfo(folder_ / "missing.MP4", header));

    std::vector<GpsSample> track;
    ASSERT_TRUE(CollectTrack({front, folder_ / "missing.MP4", parking}, track));
    ASSERT_EQ(track.size(), 25u);
    EXPECT_EQ(track[19].index, 19);
    EXPECT_EQ(track[20].index, 0);  // restarts for every recording
    EXPECT_EQ(track[21].time, 100);
    EXPECT_EQ(track[21].valid, 1);  // parking positions are decoded for the track
}

}  // namespace
}  // namespace ardelle::telemetry
