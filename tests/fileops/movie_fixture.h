#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ardelle::testing {

// One track of a hand-made movie: its media header box decides what kind of track it is
// (vmhd picture, smhd sound, gmhd timecode, nmhd or sthd metadata and text).
struct TrackShape {
    std::string media_header = "vmhd";
    std::string handler = "vide";
    std::string sample_entry = "avc1";
    std::uint32_t time_scale = 30000;
    std::uint32_t samples = 30;
    std::uint32_t delta = 1000;
    std::uint32_t sample_size = 16;
    std::string dependency_flags;   // sdtp bytes, one per sample, when not empty
    std::string group_description;  // an sgpd payload, when not empty
    std::vector<std::pair<std::uint32_t, std::uint32_t>> group_runs;  // its sbgp runs
    std::string extra_tables;  // more boxes for the sample table box, as they are
};

// A movie of several tracks, each with its samples in one chunk, filled with fill + track
// number, so that a test can tell from the bytes at a chunk offset whose samples lie there.
struct MovieSpec {
    std::uint32_t movie_time_scale = 1000;
    std::uint32_t movie_duration = 1000;
    std::vector<TrackShape> tracks{TrackShape{}};
    char fill = 'a';
    bool movie_box_first = false;  // moov before mdat, as a streaming writer leaves it
};

std::string MultiTrackMovie(const MovieSpec& shape);

}  // namespace ardelle::testing
