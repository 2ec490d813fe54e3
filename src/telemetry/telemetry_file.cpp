#include "telemetry/telemetry_file.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "telemetry/box_walks.h"

namespace ardelle::telemetry {
namespace {

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string TruncatedBlockError(const std::string& path, std::uint64_t offset) {
    return path +
           ": the telemetry block's records run past the end of the file (record at offset " +
           std::to_string(offset) + ")";
}

}  // namespace

bool TelemetryFile::OpenMapping(const std::string& path) {
    mapping_.Close();
    if (!mapping_.Open(path)) {
        last_error_ = path + ": cannot be opened";
        return false;
    }
    return true;
}

void TelemetryFile::CloseMapping() {
    mapping_.Close();
}

bool TelemetryFile::Open(const std::string& path) {
    Clear();
    loaded_ = false;
    last_error_.clear();
    if (!OpenMapping(path)) {
        path_.clear();
        return false;
    }
    const std::string_view name = FileNameOf(path);
    ms_per_record_ = MsPerRecordFor(name);
    SampleLists decoded;
    RecordingHeaderInfo header;
    header.rate = IsTimeLapseName(name) ? 'T' : 'N';
    std::optional<std::uint64_t> truncated_at;
    bool decoded_a_block = false;
    const bool searched = FindTelemetryBlock(
        *this, [&](const std::uint8_t* body, std::size_t available, std::uint64_t tag_offset) {
            SampleLists lists;
            const BlockDecode result =
                DecodeRecords(body, available, name, ms_per_record_, DecodeParts::kAll, lists);
            if (result.status == BlockDecode::Status::kTruncated) {
                truncated_at = tag_offset + kBlockTagSize + result.problem_offset;
                return false;
            }
            header = DecodeHeader(body, available, name);
            decoded = std::move(lists);
            decoded_a_block = true;
            return result.status == BlockDecode::Status::kComplete;
        });
    file_size_ = mapping_.size();
    CloseMapping();
    if (!searched || (truncated_at && !decoded_a_block)) {
        if (searched) {
            last_error_ = TruncatedBlockError(path, *truncated_at);
        } else if (last_error_.empty()) {
            last_error_ = path + ": the telemetry block cannot be read";
        }
        Clear();
        path_.clear();
        return false;
    }
    path_ = path;
    lists_ = std::move(decoded);
    has_lists_ = true;
    header_ = header;
    last_index_ = static_cast<std::int64_t>(lists_.sensors.size()) - 1;
    loaded_ = true;
    return true;
}

void TelemetryFile::Clear() {
    lists_ = SampleLists{};
    has_lists_ = false;
    header_ = RecordingHeaderInfo{};
    frame_map_.clear();
    max_abs_g_ = 0.0;
    last_index_ = -1;
}

bool TelemetryFile::MoveFrom(TelemetryFile& other) {
    if (&other == this) {
        return !lists_.gps.empty();
    }
    path_ = std::move(other.path_);
    file_size_ = other.file_size_;
    lists_ = std::move(other.lists_);
    has_lists_ = other.has_lists_;
    header_ = other.header_;
    ms_per_record_ = other.ms_per_record_;
    last_index_ = other.last_index_;
    max_abs_g_ = other.max_abs_g_;
    loaded_ = other.loaded_;
    frame_map_.clear();
    other.Clear();
    other.path_.clear();
    other.loaded_ = false;
    return !lists_.gps.empty();
}

bool TelemetryFile::BindToFrames(std::int64_t frame_count) {
    if (frame_count <= 0 || !has_lists_) {
        return false;
    }
    // Every frame takes at least a byte of the file; a count beyond that comes from a
    // corrupt sample table and must not size the frame map.
    if (static_cast<std::uint64_t>(frame_count) > file_size_) {
        last_error_ = path_ + ": " + std::to_string(frame_count) + " frames cannot fit a file of " +
                      std::to_string(file_size_) + " bytes";
        return false;
    }
    frame_map_.assign(static_cast<std::size_t>(frame_count), -1);
    if (frame_duration_ms_ == 0.0f) {
        return false;
    }
    if (!(frame_duration_ms_ >= kShortestFrameIntervalMs)) {
        last_error_ = path_ + ": a frame interval of " + std::to_string(frame_duration_ms_) +
                      " ms is no video";
        return false;
    }
    ConvertTimesToFrames();
    BuildFrameMap(frame_count);
    LinkSamples();
    return true;
}

void TelemetryFile::ConvertTimesToFrames() {
    const auto to_frame = [this](std::int32_t ms) {
        const double frame =
            std::trunc(static_cast<double>(static_cast<float>(ms) / frame_duration_ms_));
        return static_cast<std::int32_t>(std::clamp(frame, double{INT32_MIN}, double{INT32_MAX}));
    };
    for (GpsSample& gps : lists_.gps) {
        gps.time = to_frame(gps.time);
    }
    for (SensorSample& sensor : lists_.sensors) {
        sensor.time = to_frame(sensor.time);
    }
}

void TelemetryFile::BuildFrameMap(std::int64_t frame_count) {
    const auto& sensors = lists_.sensors;
    if (sensors.empty()) {
        return;
    }
    // A sample becomes current on the frame after its own frame index; the pointer moves
    // at most one sample per frame.
    std::size_t j = 0;
    for (std::int64_t frame = 0; frame < frame_count; ++frame) {
        frame_map_[static_cast<std::size_t>(frame)] = static_cast<std::int32_t>(j);
        if (j + 1 < sensors.size() && sensors[j + 1].time <= frame) {
            ++j;
        }
    }
}

void TelemetryFile::LinkSamples() {
    auto& gps = lists_.gps;
    auto& sensors = lists_.sensors;
    double max_x = 0.0, max_y = 0.0, max_z = 0.0;
    std::size_t g = 0;
    for (std::size_t k = 0; k < sensors.size(); ++k) {
        SensorSample& sensor = sensors[k];
        max_x = std::max(max_x, std::fabs(sensor.x));
        max_y = std::max(max_y, std::fabs(sensor.y));
        max_z = std::max(max_z, std::fabs(sensor.z));
        if (gps.empty()) {
            continue;
        }
        if (gps[g].time <= sensor.time) {
            gps[g].sensor_link = static_cast<std::int32_t>(k);
            gps[g].vehicle_link = static_cast<std::int32_t>(k);
            if (g + 1 < gps.size()) {
                ++g;
            }
        }
        // Positions lag the sensor by five records.
        const std::int32_t link = g < 5 ? 0 : static_cast<std::int32_t>(g - 5);
        sensor.gps_link = link;
        sensor.vehicle_link = link;
    }
    max_abs_g_ = (gps.empty() || sensors.empty()) ? 0.0 : std::max({max_x, max_y, max_z});
}

bool ReadHeaderInfo(const std::string& path, RecordingHeaderInfo& header) {
    TelemetryFile scratch;
    if (!scratch.OpenMapping(path)) {
        return false;
    }
    const std::string_view name = FileNameOf(path);
    const bool searched = FindTelemetryBlock(
        scratch, [&](const std::uint8_t* body, std::size_t available, std::uint64_t) {
            header = DecodeHeader(body, available, name);
            return true;
        });
    scratch.CloseMapping();
    return searched;
}

bool CollectTrack(const std::vector<std::string>& paths, std::vector<GpsSample>& track) {
    for (const std::string& path : paths) {
        TelemetryFile scratch;
        if (!scratch.OpenMapping(path)) {
            continue;
        }
        SampleLists lists;
        const std::string_view name = FileNameOf(path);
        const bool searched = FindTelemetryBlock(
            scratch, [&](const std::uint8_t* body, std::size_t available, std::uint64_t) {
                lists = SampleLists{};
                const BlockDecode result = DecodeRecords(body, available, name, kMsPerRecordNormal,
                                                         DecodeParts::kGpsOnly, lists);
                return result.status == BlockDecode::Status::kComplete;
            });
        scratch.CloseMapping();
        if (!searched) {
            return false;
        }
        track.insert(track.end(), lists.gps.begin(), lists.gps.end());
    }
    return true;
}

}  // namespace ardelle::telemetry
