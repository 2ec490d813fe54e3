#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fileops/movie_boxes.h"
#include "fileops/movie_fixture.h"
#include "fileops/mp4_join.h"
#include "fileops/mp4_tables.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

using testing::MovieSpec;
using testing::TempFolder;
using testing::TrackShape;

// Picture (30 frames of 1/30 s), sound, and a third track of the case's kind.
MovieSpec CameraSpec(const TrackShape& third, char fill) {
    MovieSpec shape;
    shape.fill = fill;
    TrackShape sound;
    sound.media_header = "smhd";
    sound.handler = "soun";
    sound.sample_entry = "mp4a";
    sound.time_scale = 48000;
    sound.samples = 46;
    sound.delta = 1024;  // 47104 of 48000: the sound ends 19 ms before the picture
    sound.sample_size = 6;
    shape.tracks = {TrackShape{}, sound, third};
    return shape;
}

struct Joined {
    std::unique_ptr<telemetry::Mp4Tree> tree;
    MovieTables tables;
    std::string bytes;
};

// Joins the recordings into out and reads the result back as the join reads its inputs.
Joined JoinAndRead(const std::vector<std::string>& inputs, const std::string& out) {
    Joined joined;
    CameraJoin join;
    std::string error;
    EXPECT_TRUE(join.Begin(inputs.front(), &error)) << error;
    for (std::size_t i = 1; i < inputs.size(); ++i) {
        EXPECT_TRUE(join.Append(inputs[i], &error)) << error;
    }
    if (!join.Write(out, true, nullptr, &error)) {
        ADD_FAILURE() << error;
        return joined;
    }
    joined.tree = telemetry::ReadTree(out, false, telemetry::TelemetryCarry::kNone, &error);
    for (telemetry::BoxNode& box : joined.tree->root.children) {
        if (box.type == "moov") {
            ExpandMovieBoxes(box);
        }
    }
    auto tables = ReadMovieTables(*joined.tree, 0, &error);
    EXPECT_TRUE(tables) << error;
    if (tables) {
        joined.tables = std::move(*tables);
    }
    joined.bytes = platform::ReadWholeFile(out).value_or("");
    return joined;
}

// The first box of a type anywhere below node.
const telemetry::BoxNode* FindBox(const telemetry::BoxNode& node, std::string_view type) {
    for (const telemetry::BoxNode& child : node.children) {
        if (child.type == type) {
            return &child;
        }
        if (const auto* found = FindBox(child, type)) {
            return found;
        }
    }
    return nullptr;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(JoinTracks, EveryTrackRunsOnWhateverItsMediaHeader) {
    const struct {
        const char* header;
        const char* handler;
        const char* entry;
    } kinds[] = {
        {"gmhd", "tmcd", "tmcd"},  // timecode, header of a kind the box reader does not know
        {"nmhd", "meta", "mett"},  // timed metadata
        {"sthd", "subt", "stpp"},  // subtitles
        {"vmhd", "vide", "avc1"},  // a second picture
    };
    for (const auto& kind : kinds) {
        TempFolder folder;
        TrackShape third;
        third.media_header = kind.header;
        third.handler = kind.handler;
        third.sample_entry = kind.entry;
        third.samples = 1;
        third.delta = 30000;  // one sample for the whole recording, as a timecode has
        third.sample_size = 4;
        const std::string a = folder / "a.MOV";
        const std::string b = folder / "b.MOV";
        ASSERT_TRUE(testing::WriteFile(a, testing::MultiTrackMovie(CameraSpec(third, 'a'))));
        ASSERT_TRUE(testing::WriteFile(b, testing::MultiTrackMovie(CameraSpec(third, 'k'))));
        const Joined joined = JoinAndRead({a, b, a}, folder / "joined.MOV");
        ASSERT_EQ(joined.tables.tracks.size(), 3u) << kind.header;
        EXPECT_EQ(joined.tables.movie_duration, 3000u) << kind.header;
        for (std::size_t t = 0; t < 3; ++t) {
            const TrackTables& track = joined.tables.tracks[t];
            ASSERT_EQ(track.chunks.size(), 3u) << kind.header << " track " << t;
            // Each chunk holds its own recording's samples of this very track.
            for (std::size_t chunk = 0; chunk < 3; ++chunk) {
                const char fill = static_cast<char>((chunk == 1 ? 'k' : 'a') + t);
                EXPECT_EQ(joined.bytes.at(track.chunks[chunk].offset), fill)
                    << kind.header << " track " << t << " chunk " << chunk;
            }
            EXPECT_EQ(track.track_duration, 3000u) << kind.header << " track " << t;
        }
        EXPECT_EQ(joined.tables.tracks[2].sample_count, 3u) << kind.header;
        // The sound starts anew with each recording: its last sample of the first two is held
        // until the picture's end (48000 - 45 x 1024 = 1920), none drifts.
        const TrackTables& sound = joined.tables.tracks[1];
        const std::vector<std::pair<std::uint32_t, std::uint32_t>> sound_times = {
            {45, 1024}, {1, 1920}, {45, 1024}, {1, 1920}, {46, 1024}};
        EXPECT_EQ(sound.time_to_sample, sound_times) << kind.header;
        // The timecode's own boxes stay as they were.
        ASSERT_NE(FindBox(joined.tree->root, "tref"), nullptr) << kind.header;
        ASSERT_NE(FindBox(joined.tree->root, kind.header), nullptr) << kind.header;
    }
}

TEST(JoinTracks, PerSampleTablesRunOnAndTablesOfTheFirstRecordingAloneGo) {
    TempFolder folder;
    const std::string roll = testing::Be32(0x01000000) + "roll" + testing::Be32(2) +
                             testing::Be32(1) + testing::Be16(0xFFFF);  // one roll distance
    const auto recording = [&](char fill, const std::string& flags, const std::string& groups) {
        MovieSpec shape;
        shape.fill = fill;
        TrackShape& picture = shape.tracks.front();
        picture.dependency_flags = flags;
        picture.group_description = groups;
        picture.group_runs = {{10, 1}};  // the rest of the 30 samples belongs to no group
        picture.extra_tables = testing::Box("cslg", std::string(24, '\0')) +
                               testing::Box("stps", testing::Be32(0) + testing::Be32(0));
        return testing::MultiTrackMovie(shape);
    };
    const std::string a = folder / "a.MP4";
    const std::string b = folder / "b.MP4";
    const std::string c = folder / "c.MP4";
    ASSERT_TRUE(testing::WriteFile(a, recording('a', std::string(30, '\x20'), roll)));
    ASSERT_TRUE(testing::WriteFile(b, recording('k', std::string(30, '\x10'), roll)));
    // Another group description, and no dependency flags at all.
    std::string other_roll = roll;
    other_roll.back() = '\xFE';
    ASSERT_TRUE(testing::WriteFile(c, recording('u', "", other_roll)));

    const Joined ab = JoinAndRead({a, b}, folder / "ab.MP4");
    const TrackTables& track = ab.tables.tracks.at(0);
    EXPECT_EQ(track.dependency_flags, Bytes(std::string(30, '\x20') + std::string(30, '\x10')));
    ASSERT_EQ(track.sample_groups.size(), 1u);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> runs = {{10, 1}, {20, 0}, {10, 1}};
    EXPECT_EQ(track.sample_groups[0].runs, runs);
    EXPECT_EQ(track.group_descriptions.size(), 1u);
    EXPECT_EQ(FindBox(ab.tree->root, "cslg"), nullptr);
    EXPECT_EQ(FindBox(ab.tree->root, "stps"), nullptr);

    const Joined ac = JoinAndRead({a, c}, folder / "ac.MP4");
    const TrackTables& mixed = ac.tables.tracks.at(0);
    // Flags unknown for the recording without them; groups described otherwise are dropped.
    EXPECT_EQ(mixed.dependency_flags, Bytes(std::string(30, '\x20') + std::string(30, '\0')));
    EXPECT_TRUE(mixed.sample_groups.empty());
    EXPECT_EQ(FindBox(ac.tree->root, "sgpd"), nullptr);
    EXPECT_EQ(FindBox(ac.tree->root, "sbgp"), nullptr);
}

TEST(JoinTracks, MovieBoxBeforeTheMediaDataInEitherRecording) {
    const struct {
        const char* label;
        bool first_moov_first, second_moov_first;
    } cases[] = {
        {"both", true, true},
        {"the first only", true, false},
        {"the second only", false, true},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        MovieSpec first = CameraSpec(TrackShape{}, 'a');
        first.movie_box_first = c.first_moov_first;
        MovieSpec second = CameraSpec(TrackShape{}, 'k');
        second.movie_box_first = c.second_moov_first;
        const std::string a = folder / "a.MP4";
        const std::string b = folder / "b.MP4";
        ASSERT_TRUE(testing::WriteFile(a, testing::MultiTrackMovie(first)));
        ASSERT_TRUE(testing::WriteFile(b, testing::MultiTrackMovie(second)));
        const Joined joined = JoinAndRead({a, b}, folder / "joined.MP4");
        ASSERT_EQ(joined.tables.tracks.size(), 3u) << c.label;
        // The output keeps the first recording's order of boxes.
        std::vector<std::string> top;
        for (const telemetry::BoxNode& box : joined.tree->root.children) {
            top.push_back(box.type);
        }
        const std::vector<std::string> moov_first = {"ftyp", "moov", "mdat"};
        const std::vector<std::string> mdat_first = {"ftyp", "mdat", "moov"};
        EXPECT_EQ(top, c.first_moov_first ? moov_first : mdat_first) << c.label;
        for (std::size_t t = 0; t < 3; ++t) {
            const auto& chunks = joined.tables.tracks[t].chunks;
            ASSERT_EQ(chunks.size(), 2u) << c.label;
            EXPECT_EQ(joined.bytes.at(chunks[0].offset), static_cast<char>('a' + t)) << c.label;
            EXPECT_EQ(joined.bytes.at(chunks[1].offset), static_cast<char>('k' + t)) << c.label;
        }
    }
}

}  // namespace
}  // namespace ardelle::fileops
