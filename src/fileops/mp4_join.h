#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fileops/mp4_tables.h"
#include "platform/file_copy.h"
#include "telemetry/mp4_tree.h"

namespace ardelle::fileops {

// Called while media data is written with the bytes written so far; false stops.
using WriteProgress = std::function<bool(std::uint64_t written, std::uint64_t total)>;

// Joins consecutive recordings of one camera into one MP4 file: the first recording's
// boxes, every recording's media data one after the other, sample tables and durations
// that run on, and for front recordings one telemetry block with every record. Media data
// is copied file to file and never held in memory.
class CameraJoin {
  public:
    CameraJoin();
    ~CameraJoin();
    CameraJoin(CameraJoin&&) noexcept;
    CameraJoin& operator=(CameraJoin&&) noexcept;

    // Reads the first recording; false with error when it cannot be joined.
    bool Begin(const std::string& path, std::string* error);
    // Reads the next recording and places it after the ones before; false (nothing
    // changed) when it cannot be read or does not fit.
    bool Append(const std::string& path, std::string* error);
    // Writes the joined file to output_path through a temporary file; an existing file is
    // replaced only when replace is set. Nothing is left behind when this fails.
    bool Write(const std::string& output_path, bool replace, const WriteProgress& progress,
               std::string* error) const;

    // Writes the joined file into out, created beside output_path, without committing it;
    // the caller commits (or abandons) it, so that several outputs can be flushed together.
    bool WritePending(const std::string& output_path, const WriteProgress& progress,
                      platform::PendingFile& out, std::string* error) const;

    std::size_t recordings() const;
    std::uint64_t media_bytes() const;
    std::uint64_t telemetry_records() const;

  private:
    struct Input;
    bool AddInput(const std::string& path, std::string* error);
    std::vector<std::unique_ptr<Input>> inputs_;
    MovieTables joined_;
};

// The records of a telemetry block, up to its end record or its count.
std::vector<std::uint8_t> RealTelemetryRecords(const telemetry::TelemetryBlockCopy& block);

// The telemetry block of count records: its header and trailer taken from the first
// recording, counts set so that a reader finds every record (an open count closed by an
// end record once the 16-bit count cannot hold the number).
std::string JoinedTelemetryBlock(const telemetry::TelemetryBlockCopy& first,
                                 const std::vector<std::uint8_t>& records);

}  // namespace ardelle::fileops
