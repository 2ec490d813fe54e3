#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"
#include "telemetry/box_walks.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::telemetry {
namespace {

using testing::Be32;
using testing::Box;

class BoxWalksTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& bytes) {
        const std::string path = folder_ / ("f" + std::to_string(++files_) + ".MP4");
        EXPECT_TRUE(testing::WriteFile(path, bytes));
        return path;
    }
    testing::TempFolder folder_;
    int files_ = 0;
};

TEST_F(BoxWalksTest, MovieTimingFromMvhdAndStts) {
    TelemetryFile probe;
    const auto timing =
        ReadMovieTiming(probe, Write(testing::MinimalMovie(1000, 20000, 600, 1024)));
    ASSERT_TRUE(timing.has_value());
    EXPECT_FLOAT_EQ(timing->seconds, 20.0f);
    EXPECT_EQ(timing->frame_count, 600);
    EXPECT_FLOAT_EQ(timing->frame_duration_ms, 33.333332f);
    EXPECT_FLOAT_EQ(probe.frame_duration_ms(), 33.333332f);
}

TEST_F(BoxWalksTest, SttsCountsEveryEntryOfTheFirstTrack) {
    const std::string stbl =
        Box("stbl", Box("stts", testing::SttsPayload({{100, 1}, {50, 2}, {3, 1}})));
    const std::string second = Box(
        "trak", Box("mdia", Box("minf", Box("stbl", Box("stts", testing::SttsPayload({{9, 1}}))))));
    const std::string movie =
        Box("ftyp", "isom") + Box("mdat", "xx") +
        Box("moov",
            Box("mvhd", testing::MvhdPayload(10, 100)) + Box("udta", "") +
                Box("trak", Box("tkhd", std::string(84, '\0')) + Box("mdia", Box("minf", stbl))) +
                second);
    TelemetryFile probe;
    const auto timing = ReadMovieTiming(probe, Write(movie));
    ASSERT_TRUE(timing.has_value());
    EXPECT_EQ(timing->frame_count, 153);
}

TEST_F(BoxWalksTest, MalformedBoxesFailTheWalks) {
    const std::string mvhd = Box("mvhd", testing::MvhdPayload(1000, 5000));
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"box of size 0", Box("ftyp", "isom") + Be32(0) + "free" + Box("moov", mvhd)},
        {"box smaller than its header", Box("ftyp", "isom") + Be32(4) + "free" + Box("moov", mvhd)},
        {"child past its parent", Box("ftyp", "isom") + Be32(20) + "moov" + Be32(500) + "trak"},
        {"media data as large as the file", Box("ftyp", "isom") + Be32(0x7FFFFFFF) + "mdat"},
        {"stts table larger than its box",
         Box("moov",
             mvhd + Box("trak",
                        Box("mdia", Box("minf", Box("stbl", Box("stts", Be32(0) + Be32(1000)))))))},
        {"mvhd with time scale 0", Box("moov", Box("mvhd", testing::MvhdPayload(0, 5000)))},
        {"no moov", Box("ftyp", "isom") + Box("free", "")},
        // Sample tables that claim more frames than bytes, or frames shorter than 1 ms.
        {"stts entry of 0xFFFFFFFF samples",
         Box("moov",
             mvhd +
                 Box("trak",
                     Box("mdia", Box("minf", Box("stbl", Box("stts", testing::SttsPayload(
                                                                         {{0xFFFFFFFFu, 1}})))))))},
        {"a frame interval of a microsecond", testing::MinimalMovie(1000000, 600, 600, 4096)},
    };
    for (const auto& c : cases) {
        TelemetryFile probe;
        EXPECT_FALSE(ReadMovieTiming(probe, Write(c.bytes)).has_value()) << c.name;
    }
    TelemetryFile probe;
    EXPECT_FALSE(ReadMovieTiming(probe, Write(cases[7].bytes)).has_value());
    EXPECT_NE(probe.last_error().find("more than the file can hold"), std::string::npos)
        << probe.last_error();
}

TEST_F(BoxWalksTest, PatternScanSkipsMediaDataOfASparseTwoGigabyteFile) {
    const std::uint64_t media = 2'000'000'000;
    const std::string head =
        Box("ftyp", "isom") + Be32(static_cast<std::uint32_t>(media + 8)) + "mdat";
    const std::string moov = Box("moov", Box("mvhd", testing::MvhdPayload(1000, 60000)));
    const std::string path = folder_ / "sparse.MP4";
    ASSERT_TRUE(testing::WriteSparseFile(path, head, head.size() + media, moov));
    TelemetryFile probe;
    ASSERT_TRUE(probe.OpenMapping(path));
    ScanPattern pattern{"mvhd"};
    float seconds = 0;
    bool found = false;
    ASSERT_TRUE(PatternScan(
        probe, pattern,
        [&](const std::uint8_t* data, std::size_t available) {
            seconds = MovieSecondsFromMvhd(data, available).value_or(0);
            return true;
        },
        &found));
    EXPECT_TRUE(found);
    EXPECT_FLOAT_EQ(seconds, 60.0f);
    // The ftyp window, the mdat header, the window of moov and the consumer's bytes: no
    // more than a few small windows of the 2 GB of media.
    EXPECT_LT(probe.mapping().bytes_read(), 64u << 10);
}

// A card pulled out or a file cut short after it was opened: every walk fails with a
// report instead of touching bytes that are gone.
TEST_F(BoxWalksTest, FileCutShortAfterOpeningFailsEveryWalk) {
    const auto search = [](TelemetryFile& file) {
        return FindTelemetryBlock(
            file, [](const std::uint8_t*, std::size_t, std::uint64_t) { return true; });
    };
    const struct {
        const char* walk;
        std::size_t media_bytes;
        std::function<bool(TelemetryFile&)> run;
    } cases[] = {
        {"block search at the full-size position", 700000, search},
        {"block search backwards", 100000, search},
        {"pattern scan", 100000,
         [](TelemetryFile& file) {
             ScanPattern pattern{"mvhd"};
             return PatternScan(file, pattern,
                                [](const std::uint8_t*, std::size_t) { return true; });
         }},
        {"path walk", 100000,
         [](TelemetryFile& file) {
             return BoxPathWalk(file, [](const std::uint8_t*, std::size_t) { return true; });
         }},
    };
    for (const auto& c : cases) {
        const std::string path = Write(testing::MinimalMovie(1000, 5000, 150, c.media_bytes) +
                                       testing::Block(testing::HeaderBody({}), 0, {}, 0));
        TelemetryFile file;
        ASSERT_TRUE(file.OpenMapping(path));
        ASSERT_EQ(::truncate(path.c_str(), 100), 0);
        EXPECT_FALSE(c.run(file)) << c.walk;
    }
}

TEST_F(BoxWalksTest, CancelStopsAScanAndIsCleared) {
    TelemetryFile probe;
    ASSERT_TRUE(probe.OpenMapping(Write(testing::MinimalMovie(1000, 5000, 150))));
    probe.cancel_flag() = true;
    ScanPattern pattern{"mvhd"};
    EXPECT_FALSE(
        PatternScan(probe, pattern, [](const std::uint8_t*, std::size_t) { return true; }));
    EXPECT_FALSE(probe.cancel_flag());
    EXPECT_TRUE(PatternScan(probe, pattern, [](const std::uint8_t*, std::size_t) { return true; }));
}

TEST_F(BoxWalksTest, BlockSearchWithoutBlockNeverCallsTheConsumer) {
    TelemetryFile file;
    ASSERT_TRUE(file.OpenMapping(Write(testing::MinimalMovie(1000, 5000, 150, 300000))));
    int calls = 0;
    EXPECT_TRUE(FindTelemetryBlock(file, [&](const std::uint8_t*, std::size_t, std::uint64_t) {
        ++calls;
        return true;
    }));
    EXPECT_EQ(calls, 0);
}

TEST_F(BoxWalksTest, BlockSearchFindsTenRecordsAtTheTenthCandidate) {
    const std::string movie = testing::MinimalMovie(1000, 5000, 150, 300000);
    std::vector<std::string> records(10, testing::Record({}));
    const std::string path =
        Write(movie + testing::Block(testing::HeaderBody({}), 10, records, 10));
    TelemetryFile file;
    ASSERT_TRUE(file.OpenMapping(path));
    std::uint64_t found_at = 0;
    EXPECT_TRUE(FindTelemetryBlock(file, [&](const std::uint8_t*, std::size_t, std::uint64_t at) {
        found_at = at;
        return true;
    }));
    EXPECT_EQ(found_at, movie.size());
    EXPECT_EQ(file.mapping().size() - found_at, 68u + 130u * 10u);
}

}  // namespace
}  // namespace ardelle::telemetry
