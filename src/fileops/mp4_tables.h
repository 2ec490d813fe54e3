#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "telemetry/mp4_tree.h"

namespace ardelle::fileops {

// Where one chunk of samples lies: in which input file's media data, at which file offset.
struct ChunkPlace {
    std::uint32_t input = 0;
    std::uint64_t offset = 0;
};

// One sbgp table: the fields before its entry count, then runs of samples and the group
// description each run belongs to (0: none).
struct SampleGroups {
    std::vector<std::uint8_t> head;  // version, flags, grouping type (and parameter)
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;
};

// The sample tables of one track, decoded so that tracks of consecutive recordings can be
// placed end to end whatever their tables look like.
struct TrackTables {
    std::vector<std::uint8_t> sample_descriptions;  // stsd, byte for byte
    std::uint32_t media_time_scale = 0;
    std::uint64_t media_duration = 0;        // mdhd
    std::uint64_t track_duration = 0;        // tkhd, movie time scale
    std::uint64_t first_track_duration = 0;  // before anything was appended
    std::vector<std::pair<std::uint32_t, std::uint32_t>> time_to_sample;  // count, delta
    std::vector<std::pair<std::uint32_t, std::int32_t>> composition;      // count, offset
    bool has_composition = false;
    bool composition_signed = false;
    std::vector<std::array<std::uint32_t, 3>> sample_to_chunk;  // first chunk, samples, desc
    std::uint32_t constant_size = 0;                            // 0: sizes below
    std::vector<std::uint32_t> sizes;
    std::uint64_t sample_count = 0;
    std::vector<ChunkPlace> chunks;
    bool has_sync_table = false;  // without one every sample is a sync sample
    std::vector<std::uint32_t> sync_samples;
    // sdtp: one byte of dependency flags per sample (0 means nothing is known).
    bool has_dependency_flags = false;
    std::vector<std::uint8_t> dependency_flags;
    // sgpd payloads, byte for byte, and the sbgp tables that point into them. They are kept
    // only while every recording describes its groups alike; otherwise both are dropped.
    std::vector<std::vector<std::uint8_t>> group_descriptions;
    std::vector<SampleGroups> sample_groups;
};

// The parts of a movie that change when recordings are joined.
struct MovieTables {
    std::uint32_t movie_time_scale = 0;
    std::uint64_t movie_duration = 0;
    std::vector<TrackTables> tracks;
};

// Reads the tables of every track of tree (input number input); error names the problem.
std::optional<MovieTables> ReadMovieTables(const telemetry::Mp4Tree& tree, std::uint32_t input,
                                           std::string* error);

// Appends next after base: samples, chunks and durations follow on, and every track of next
// starts where next starts in the movie (a track that ended early holds its last sample
// longer). Fails (base unchanged) when the recordings cannot be placed end to end: other
// tracks, sample descriptions or time scales.
bool AppendMovieTables(MovieTables& base, const MovieTables& next, std::string* error);

// The payloads of the rewritten boxes of one track.
struct TrackPayloads {
    std::vector<std::uint8_t> stts, ctts, stsc, stsz, chunk_offsets, stss, sdtp;
    std::vector<std::vector<std::uint8_t>> sbgp;
    bool chunk_offsets_64 = false;
};

// Encodes a track's tables; chunk_offset maps a chunk's place to its output file offset.
template <class OffsetOf>
TrackPayloads EncodeTrack(const TrackTables& track, bool offsets_64, OffsetOf chunk_offset);

namespace detail {
void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t value);
void PutBe64(std::vector<std::uint8_t>& out, std::uint64_t value);
TrackPayloads EncodeTrackWithoutOffsets(const TrackTables& track);
}  // namespace detail

template <class OffsetOf>
TrackPayloads EncodeTrack(const TrackTables& track, bool offsets_64, OffsetOf chunk_offset) {
    TrackPayloads payloads = detail::EncodeTrackWithoutOffsets(track);
    payloads.chunk_offsets_64 = offsets_64;
    auto& out = payloads.chunk_offsets;
    detail::PutBe32(out, 0);
    detail::PutBe32(out, static_cast<std::uint32_t>(track.chunks.size()));
    for (const ChunkPlace& chunk : track.chunks) {
        const std::uint64_t offset = chunk_offset(chunk);
        if (offsets_64) {
            detail::PutBe64(out, offset);
        } else {
            detail::PutBe32(out, static_cast<std::uint32_t>(offset));
        }
    }
    return payloads;
}

}  // namespace ardelle::fileops
