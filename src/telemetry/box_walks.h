#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ardelle::telemetry {

class TelemetryFile;

// Reads the bytes of a view: data points at the wanted byte, available bytes follow.
using ViewConsumer = std::function<bool(const std::uint8_t* data, std::size_t available)>;

// Gets the header body of a found block (the byte after "CSMDAT"), the bytes that follow
// it up to the end of the file, and the file offset of the tag.
using BlockConsumer =
    std::function<bool(const std::uint8_t* body, std::size_t available, std::uint64_t tag_offset)>;

// Looks for the telemetry block: first at its full-size position 598068 bytes before the
// end, then backwards from the end in record steps over the last quarter of the file.
// Fails only when a view cannot be mapped; finding no block is a success.
bool FindTelemetryBlock(TelemetryFile& file, const BlockConsumer& consumer);

// Scans the file byte by byte for pattern, skipping media data by its box size, and
// hands the 1 MiB after the first match to the consumer. Fails on a bad media-data size,
// a cancel request, a failed view, or a consumer that fails; no match is a success.
struct ScanPattern {
    std::string_view bytes;
    std::size_t matched = 0;  // carried across calls
};
bool PatternScan(TelemetryFile& file, ScanPattern& pattern, const ViewConsumer& consumer,
                 bool* found = nullptr);

// Follows moov/trak/mdia/minf/stbl/stts, the first box of each type, and hands the stts
// payload to the consumer. Boxes that overrun their parent fail the walk.
bool BoxPathWalk(TelemetryFile& file, const ViewConsumer& consumer, bool* found = nullptr);

// The movie's timing as the player reads it before playback.
struct MovieTiming {
    float seconds = 0.0f;            // movie duration / time scale
    std::int64_t frame_count = 0;    // samples of the first track
    float frame_duration_ms = 0.0f;  // 1000 / (frames / seconds)
};

// Consumers: the movie duration in seconds from the bytes after "mvhd", and the sample
// count of an stts payload. Both fail on tables that do not fit their bytes.
std::optional<float> MovieSecondsFromMvhd(const std::uint8_t* data, std::size_t available);
std::optional<std::int64_t> SampleCountFromStts(const std::uint8_t* payload, std::size_t available);

// Runs both walks on a scratch object, as the player does when it opens a recording,
// and stores the frame duration in it.
std::optional<MovieTiming> ReadMovieTiming(TelemetryFile& scratch, const std::string& path);
// The same on the scratch object's open mapping (a file, or bytes opened as one), which
// it then closes; errors name the mapping's path.
std::optional<MovieTiming> ReadMovieTiming(TelemetryFile& scratch);

}  // namespace ardelle::telemetry
