#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileops/mp4_join.h"
#include "fileops/mp4_tables.h"
#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"
#include "telemetry/byte_order.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_block.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::fileops {
namespace {

using testing::Be32;
using testing::Box;
using testing::TempFolder;

// A one-track movie made byte by byte: frames of equal size in chunks of ten, a sync
// sample every 30 frames, and a telemetry block when records > 0. The frames (at a time
// scale of 30000) fill the movie's duration (in milliseconds).
struct MovieShape {
    std::uint32_t frames = 100;
    std::uint32_t movie_duration = 6000;
    std::uint32_t frame_size = 10;
    std::uint32_t records = 0;
    char fill = 'a';
};

std::string FullBox(const std::string& type, const std::string& body) {
    return Box(type, Be32(0) + body);
}

std::uint32_t FrameDelta(const MovieShape& shape) {
    return shape.movie_duration * 30 / shape.frames;
}

std::string HandMadeMovie(const MovieShape& shape) {
    const std::string ftyp = Box("ftyp", "isom" + Be32(0) + "isommp41");
    const std::uint32_t media_start = static_cast<std::uint32_t>(ftyp.size() + 8);
    std::string sizes;
    std::string chunks;
    std::string syncs;
    std::uint32_t chunk_count = 0;
    std::uint32_t sync_count = 0;
    for (std::uint32_t frame = 0; frame < shape.frames; ++frame) {
        sizes += Be32(shape.frame_size);
        if (frame % 10 == 0) {
            chunks += Be32(media_start + frame * shape.frame_size);
            ++chunk_count;
        }
        if (frame % 30 == 0) {
            syncs += Be32(frame + 1);
            ++sync_count;
        }
    }
    const std::string stbl =
        Box("stbl", FullBox("stsd", Be32(1) + Box("avc1", std::string(78, '\0'))) +
                        FullBox("stts", Be32(1) + Be32(shape.frames) + Be32(FrameDelta(shape))) +
                        FullBox("stss", Be32(sync_count) + syncs) +
                        FullBox("stsc", Be32(1) + Be32(1) + Be32(10) + Be32(1)) +
                        FullBox("stsz", Be32(0) + Be32(shape.frames) + sizes) +
                        FullBox("stco", Be32(chunk_count) + chunks));
    const std::string mdhd = FullBox(
        "mdhd", Be32(0) + Be32(0) + Be32(30000) + Be32(shape.movie_duration * 30) + Be32(0));
    const std::string tkhd =
        FullBox("tkhd", Be32(0) + Be32(0) + Be32(1) + Be32(0) + Be32(shape.movie_duration) +
                            std::string(60, '\0'));
    const std::string trak = Box("trak", tkhd + Box("mdia", mdhd + Box("minf", stbl)));
    std::string movie =
        ftyp + Box("mdat", std::string(shape.frames * shape.frame_size, shape.fill)) +
        Box("moov", Box("mvhd", testing::MvhdPayload(1000, shape.movie_duration)) + trak);
    if (shape.records > 0) {
        std::vector<std::string> records;
        for (std::uint32_t i = 0; i < shape.records; ++i) {
            testing::RecordFields fields;
            fields.aux = std::to_string(100 + i % 800).substr(0, 3);
            records.push_back(testing::Record(fields));
        }
        movie += testing::Block(testing::HeaderBody({}), static_cast<std::uint16_t>(shape.records),
                                records, shape.records);
    }
    return movie;
}

const TrackTables& OnlyTrack(const MovieTables& movie) {
    return movie.tracks.at(0);
}

TEST(CameraJoin, TablesDurationsAndTelemetryRunOn) {
    TempFolder folder;
    const std::string a = folder / "A___-230415-101500-000001F.MP4";
    const std::string b = folder / "A___-230415-101540-000002F.MP4";
    ASSERT_TRUE(testing::WriteFile(a, HandMadeMovie({1000, 60000, 1000, 600, 'a'})));
    ASSERT_TRUE(testing::WriteFile(b, HandMadeMovie({1200, 72000, 1000, 720, 'b'})));
    CameraJoin join;
    std::string error;
    ASSERT_TRUE(join.Begin(a, &error)) << error;
    ASSERT_TRUE(join.Append(b, &error)) << error;
    const std::string out = folder / "out/A___-230415-101500-000001F.MP4";
    std::filesystem::create_directories(folder / "out");
    ASSERT_TRUE(join.Write(out, false, nullptr, &error)) << error;

    const auto tree =
        telemetry::ReadTree(out, false, telemetry::TelemetryCarry::kFrontRecording, &error);
    ASSERT_TRUE(tree) << error;
    const auto tables = ReadMovieTables(*tree, 0, &error);
    ASSERT_TRUE(tables) << error;
    EXPECT_EQ(tables->movie_duration, 132000u);
    const TrackTables& track = OnlyTrack(*tables);
    EXPECT_EQ(track.time_to_sample,
              (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{2200, 1800}}));
    EXPECT_EQ(track.sample_count, 2200u);
    EXPECT_EQ(track.track_duration, 132000u);
    EXPECT_EQ(track.media_duration, 2200u * 1800u);
    ASSERT_EQ(track.sync_samples.size(), 34u + 40u);
    EXPECT_EQ(track.sync_samples[34], 1001u);     // the second recording's first frame
    EXPECT_EQ(track.sample_to_chunk.size(), 1u);  // one entry still describes every chunk
    ASSERT_EQ(track.chunks.size(), 100u + 120u);
    const std::uint64_t media_start = tree->Nodes("mdat").front()->payload_offset;
    EXPECT_EQ(track.chunks[0].offset, media_start);
    EXPECT_EQ(track.chunks[100].offset, media_start + 1000000);  // raised by A's media data

    ASSERT_TRUE(tree->telemetry);
    EXPECT_EQ(tree->telemetry->header_count, 1320);
    EXPECT_EQ(tree->telemetry->trailer_count, 1320u);
    EXPECT_EQ(std::filesystem::file_size(out), tree->trailing_offset + 68 + 130 * 1320);
    // The media bytes of both recordings, in order.
    const std::string bytes = platform::ReadWholeFile(out).value();
    EXPECT_EQ(bytes.substr(media_start, 1000000), std::string(1000000, 'a'));
    EXPECT_EQ(bytes.substr(media_start + 1000000, 1200000), std::string(1200000, 'b'));
    // The viewer finds the block of a joined file as it finds a recording's.
    telemetry::TelemetryFile decoded;
    ASSERT_TRUE(decoded.Open(out));
    EXPECT_EQ(decoded.gps().size(), 1320u);
}

TEST(CameraJoin, RefusesWhatCannotBePlacedEndToEnd) {
    TempFolder folder;
    const std::string a = folder / "a.MP4";
    ASSERT_TRUE(testing::WriteFile(a, HandMadeMovie({})));
    std::string other_format = HandMadeMovie({});
    const std::string avc = "avc1" + std::string(78, '\0');
    other_format.replace(other_format.find(avc) + 4 + 24, 2, "\x01\x40");  // another width
    const struct {
        const char* label;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"another picture format", other_format, "sample descriptions differ"},
        {"no movie box", testing::MinimalMovie(1000, 3000, 90).substr(0, 48), "past"},
        {"not an MP4", "hello", ""},
    };
    for (const auto& c : cases) {
        const std::string b = folder / "b.MP4";
        ASSERT_TRUE(testing::WriteFile(b, c.bytes));
        CameraJoin join;
        std::string error;
        ASSERT_TRUE(join.Begin(a, &error)) << error;
        EXPECT_FALSE(join.Append(b, &error)) << c.label;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.label << ": " << error;
        EXPECT_EQ(join.recordings(), 1u) << c.label;  // the join goes on without it
    }
}

TEST(CameraJoin, FailedOrStoppedWriteLeavesNothing) {
    TempFolder folder;
    const std::string a = folder / "A___-230415-101500-000001F.MP4";
    ASSERT_TRUE(testing::WriteFile(a, HandMadeMovie({300, 10000, 1000, 0, 'a'})));
    CameraJoin join;
    std::string error;
    ASSERT_TRUE(join.Begin(a, &error));
    ASSERT_TRUE(join.Append(a, &error));
    std::filesystem::create_directories(folder / "out");
    const std::string out = folder / "out/joined.MP4";
    EXPECT_FALSE(join.Write(
        out, false, [](std::uint64_t, std::uint64_t) { return false; }, &error));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "out"));
    EXPECT_FALSE(join.Write(folder / "missing/joined.MP4", false, nullptr, &error));
    // An existing file is replaced only when asked to.
    ASSERT_TRUE(testing::WriteFile(out, "keep"));
    EXPECT_FALSE(join.Write(out, false, nullptr, &error));
    EXPECT_EQ(platform::ReadWholeFile(out), "keep");
    EXPECT_TRUE(join.Write(out, true, nullptr, &error)) << error;
    EXPECT_GT(std::filesystem::file_size(out), 600000u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "out"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(JoinedTelemetry, CountsEveryRecordAlsoPastTheSixteenBitCount) {
    telemetry::TelemetryBlockCopy first;
    std::memcpy(first.header.data(), "CSMDAT", 6);
    std::memcpy(first.trailer.data(), "CSMEND", 6);
    const struct {
        std::uint64_t count;
        std::uint16_t header_count;
        std::uint32_t trailer_count;
    } cases[] = {
        {1320, 1320, 1320}, {65534, 65534, 65534}, {65535, 0xFFFF, 65536}, {70000, 0xFFFF, 70001}};
    for (const auto& c : cases) {
        const std::string record = testing::Record({});
        std::vector<std::uint8_t> records;
        for (std::uint64_t i = 0; i < c.count; ++i) {
            records.insert(records.end(), record.begin(), record.end());
        }
        const std::string block = JoinedTelemetryBlock(first, records);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
        EXPECT_EQ(telemetry::ReadBe16(bytes + 38), c.header_count) << c.count;
        EXPECT_EQ(telemetry::ReadBe32(bytes + block.size() - 28 + 16), c.trailer_count) << c.count;
        EXPECT_EQ(block.size(), 68 + 130 * std::uint64_t{c.trailer_count}) << c.count;
        telemetry::SampleLists lists;
        const auto decoded = telemetry::DecodeRecords(bytes + 6, block.size() - 6, "x", 100.0f,
                                                      telemetry::DecodeParts::kGpsOnly, lists);
        EXPECT_EQ(decoded.records, c.count) << c.count;
    }
    // An input whose open count ends at an end record gives only its real records.
    telemetry::TelemetryBlockCopy open = first;
    open.header_count = telemetry::kOpenCount;
    const std::string record = testing::Record({});
    open.records.assign(record.begin(), record.end());
    std::string end(130, '\0');
    std::memcpy(end.data(), "CSMEND", 6);
    open.records.insert(open.records.end(), end.begin(), end.end());
    EXPECT_EQ(RealTelemetryRecords(open).size(), 130u);
}

}  // namespace
}  // namespace ardelle::fileops
