#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/mapped_file.h"
#include "telemetry/samples.h"
#include "telemetry/telemetry_block.h"

namespace ardelle::telemetry {

// The decoded telemetry of one recording and, once the video is open, its binding to
// video frames. Decoding, the block search and the box walks hold mutex(); the player
// lock of the owning player guards the lists against readers (see docs/architecture.md).
class TelemetryFile {
  public:
    TelemetryFile() = default;
    TelemetryFile(const TelemetryFile&) = delete;
    TelemetryFile& operator=(const TelemetryFile&) = delete;

    // Decodes the recording's block into the three lists and the header, then closes the
    // file. A file without a block opens with empty lists. On failure everything is
    // released and last_error() says why.
    bool Open(const std::string& path);

    // Frees the lists and zeroes the header.
    void Clear();

    // Takes over the other object's path, lists, header, last index and largest G value,
    // leaving it empty. True when any GPS sample came along.
    bool MoveFrom(TelemetryFile& other);

    // Turns sample times into frame indices, builds the per-frame map and the links
    // between the lists. Fails when frame_count <= 0, no lists exist, the frame duration
    // is 0, or (with last_error()) the count or the duration is beyond what a movie file
    // of this size can hold.
    bool BindToFrames(std::int64_t frame_count);

    const std::string& path() const { return path_; }
    std::uint64_t file_size() const { return file_size_; }
    const std::vector<GpsSample>& gps() const { return lists_.gps; }
    const std::vector<SensorSample>& sensors() const { return lists_.sensors; }
    const std::vector<VehicleSample>& vehicles() const { return lists_.vehicles; }
    const RecordingHeaderInfo& header() const { return header_; }
    float ms_per_record() const { return ms_per_record_; }
    float frame_duration_ms() const { return frame_duration_ms_; }
    void set_frame_duration_ms(float ms) { frame_duration_ms_ = ms; }
    // The sensor sample index shown on each video frame (-1: none).
    const std::vector<std::int32_t>& frame_map() const { return frame_map_; }
    double max_abs_g() const { return max_abs_g_; }
    std::int64_t last_index() const { return last_index_; }
    bool loaded() const { return loaded_; }
    const std::string& last_error() const { return last_error_; }

    // The walks of the MP4 box reader work on this object's mapping.
    bool OpenMapping(const std::string& path);
    void CloseMapping();
    platform::MappedFile& mapping() { return mapping_; }
    std::mutex& mutex() { return mutex_; }
    std::atomic<bool>& cancel_flag() { return cancel_; }
    void set_last_error(std::string error) { last_error_ = std::move(error); }

  private:
    void ConvertTimesToFrames();
    void BuildFrameMap(std::int64_t frame_count);
    void LinkSamples();

    std::string path_;
    std::uint64_t file_size_ = 0;
    platform::MappedFile mapping_;
    std::mutex mutex_;
    std::atomic<bool> cancel_{false};
    SampleLists lists_;
    bool has_lists_ = false;
    RecordingHeaderInfo header_;
    float ms_per_record_ = kMsPerRecordNormal;
    float frame_duration_ms_ = 0.0f;
    std::vector<std::int32_t> frame_map_;
    double max_abs_g_ = 0.0;
    std::int64_t last_index_ = -1;
    bool loaded_ = false;
    std::string last_error_;
};

// A light open that decodes only the block header into header. Fails when the file
// cannot be opened and mapped; a file without a block succeeds and leaves header as it was.
bool ReadHeaderInfo(const std::string& path, RecordingHeaderInfo& header);

// The GPS parts of several recordings appended to one list (indices restart at 0 for each
// recording, 100 ms per record). Recordings that cannot be opened are skipped; a
// recording that cannot be mapped ends the run with failure.
bool CollectTrack(const std::vector<std::string>& paths, std::vector<GpsSample>& track);

}  // namespace ardelle::telemetry
