// A join whose output passes 4 GiB: 64-bit chunk offsets and media data size. The inputs
// are sparse, but the output is written in full: this test writes some 4.6 GB and reports
// how long the join took (a benchmark-labelled test, not a timed assertion).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fileops/mp4_join.h"
#include "fileops/mp4_tables.h"
#include "platform/file_copy.h"
#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::fileops {
namespace {

using testing::Be32;
using testing::Box;

// 2.25 GiB of media data per recording: two make more than 4 GiB.
constexpr std::uint64_t kMediaBytes = (std::uint64_t{9} << 30) / 4;
constexpr std::uint32_t kSampleSize = 16;

std::string FullBox(const std::string& type, const std::string& body) {
    return Box(type, Be32(0) + body);
}

// Where the marked samples lie in the media data: its start, middle and end.
std::vector<std::uint64_t> SamplePlaces() {
    return {0, kMediaBytes / 2, kMediaBytes - kSampleSize};
}

std::string Marker(char recording, std::size_t sample) {
    return std::string(kSampleSize, static_cast<char>(recording + sample));
}

// ftyp, mdat (sparse but for three marked samples), moov, telemetry block.
bool WriteSparseRecording(const std::string& path, char recording) {
    const std::string ftyp = Box("ftyp", "isom" + Be32(0) + "isommp41");
    const std::uint64_t media_start = ftyp.size() + 8;
    std::string offsets;
    for (const std::uint64_t place : SamplePlaces()) {
        offsets += Be32(static_cast<std::uint32_t>(media_start + place));
    }
    const std::string stbl =
        Box("stbl", FullBox("stsd", Be32(1) + Box("avc1", std::string(78, '\0'))) +
                        FullBox("stts", Be32(1) + Be32(3) + Be32(1000)) +
                        FullBox("stsc", Be32(1) + Be32(1) + Be32(1) + Be32(1)) +
                        FullBox("stsz", Be32(kSampleSize) + Be32(3)) +
                        FullBox("stco", Be32(3) + offsets));
    const std::string trak = Box(
        "trak",
        FullBox("tkhd", Be32(0) + Be32(0) + Be32(1) + Be32(0) + Be32(100) + std::string(60, '\0')) +
            Box("mdia", FullBox("mdhd", Be32(0) + Be32(0) + Be32(30000) + Be32(3000) + Be32(0)) +
                            Box("minf", FullBox("vmhd", std::string(8, '\0')) + stbl)));
    const std::string moov = Box("moov", Box("mvhd", testing::MvhdPayload(1000, 100)) + trak);
    std::vector<std::string> records(3, testing::Record({}));
    const std::string tail = moov + testing::Block(testing::HeaderBody({}), 3, records, 3);
    const std::string head = ftyp + Be32(static_cast<std::uint32_t>(8 + kMediaBytes)) + "mdat";
    if (!testing::WriteSparseFile(path, head, media_start + kMediaBytes, tail)) {
        return false;
    }
    // The marked samples go into the hole in place.
    const auto places = SamplePlaces();
    FILE* file = std::fopen(path.c_str(), "r+b");
    bool ok = file != nullptr;
    for (std::size_t i = 0; ok && i < places.size(); ++i) {
        const std::string marker = Marker(recording, i);
        ok = ::fseeko(file, static_cast<off_t>(media_start + places[i]), SEEK_SET) == 0 &&
             std::fwrite(marker.data(), 1, marker.size(), file) == marker.size();
    }
    return file != nullptr && std::fclose(file) == 0 && ok;
}

TEST(LargeJoinBenchmark, OutputPastFourGibibytesUses64BitOffsetsAndSize) {
    testing::TempFolder folder;
    const std::string a = folder / "A___-230415-101500-000001F.MP4";
    const std::string b = folder / "A___-230415-101600-000002F.MP4";
    ASSERT_TRUE(WriteSparseRecording(a, 'a'));
    ASSERT_TRUE(WriteSparseRecording(b, 'k'));
    std::filesystem::create_directories(folder / "out");
    const std::string out = folder / "out/A___-230415-101500-000001F.MP4";

    const auto start = std::chrono::steady_clock::now();
    CameraJoin join;
    std::string error;
    ASSERT_TRUE(join.Begin(a, &error)) << error;
    ASSERT_TRUE(join.Append(b, &error)) << error;
    ASSERT_TRUE(join.Write(out, false, nullptr, &error)) << error;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double gigabytes = static_cast<double>(std::filesystem::file_size(out)) / 1e9;
    std::printf("joined %.2f GB in %.1f s (%.0f MB/s)\n", gigabytes, took.count(),
                gigabytes * 1000 / took.count());
    RecordProperty("seconds", std::to_string(took.count()));

    const auto tree =
        telemetry::ReadTree(out, false, telemetry::TelemetryCarry::kFrontRecording, &error);
    ASSERT_TRUE(tree) << error;
    const telemetry::BoxNode* mdat = tree->Nodes("mdat").front();
    EXPECT_EQ(mdat->header_size, 16u) << "the 64-bit size form";
    EXPECT_EQ(mdat->payload_size, 2 * kMediaBytes);
    ASSERT_EQ(tree->Nodes("stco").size(), 0u);
    const auto tables = ReadMovieTables(*tree, 0, &error);
    ASSERT_TRUE(tables) << error;
    const TrackTables& track = tables->tracks.at(0);
    ASSERT_EQ(track.chunks.size(), 6u);
    EXPECT_GT(track.chunks.back().offset, std::uint64_t{1} << 32);
    // Every marked sample is where the joined table says.
    platform::ReadOnlyFile joined;
    ASSERT_TRUE(joined.Open(out, &error)) << error;
    for (std::size_t chunk = 0; chunk < 6; ++chunk) {
        std::string bytes(kSampleSize, '\0');
        ASSERT_TRUE(joined.ReadExactly(track.chunks[chunk].offset, bytes.data(), bytes.size()));
        EXPECT_EQ(bytes, Marker(chunk < 3 ? 'a' : 'k', chunk % 3)) << "chunk " << chunk;
    }
    // The telemetry of both recordings follows the boxes.
    ASSERT_TRUE(tree->telemetry);
    EXPECT_EQ(tree->telemetry->header_count, 6);
    telemetry::TelemetryFile decoded;
    ASSERT_TRUE(decoded.Open(out));
    EXPECT_EQ(decoded.gps().size(), 6u);
}

}  // namespace
}  // namespace ardelle::fileops
