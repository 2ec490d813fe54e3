#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "telemetry/samples.h"

namespace ardelle::telemetry {

// Layout of the recorder's telemetry block: "CSMDAT", a 32-byte header body, a 16-bit
// record count, 130-byte records and a 28-byte trailer that begins "CSMEND".
inline constexpr std::size_t kBlockTagSize = 6;
inline constexpr std::size_t kHeaderBodySize = 32;
inline constexpr std::size_t kBlockHeaderSize = 40;  // tag, header body, count
inline constexpr std::size_t kRecordSize = 130;
inline constexpr std::size_t kTrailerSize = 28;
inline constexpr std::size_t kBlockOverhead = kBlockHeaderSize + kTrailerSize;  // 68
inline constexpr std::size_t kFullBlockRecords = 4600;
inline constexpr std::size_t kFullBlockSize = kBlockOverhead + kRecordSize * kFullBlockRecords;
inline constexpr std::uint16_t kOpenCount = 0xFFFF;

// True when the six bytes are the block tag or the end tag.
bool IsBlockTag(const std::uint8_t* p);
bool IsEndTag(const std::uint8_t* p);

// Record period of a recording, from its file name: time-lapse names (first or third
// character 'T') carry 15 records per second.
bool IsTimeLapseName(std::string_view file_name);
float MsPerRecordFor(std::string_view file_name);

// Decodes the header body (body points at the byte after "CSMDAT"; available bytes
// follow it), following chained header entries that start with "@CS" and a letter.
RecordingHeaderInfo DecodeHeader(const std::uint8_t* body, std::size_t available,
                                 std::string_view file_name);

// What a block decode produced.
struct BlockDecode {
    enum class Status {
        kComplete,    // every record the count promised
        kEndedEarly,  // an end record came before the explicit count; the samples before it stay
        kTruncated,   // the records run past the bytes present; nothing is kept
    };
    Status status = Status::kComplete;
    std::size_t records = 0;
    std::uint64_t problem_offset = 0;  // offset from the header body of the record that failed
};

// The decoded sample lists of one block.
struct SampleLists {
    std::vector<GpsSample> gps;
    std::vector<SensorSample> sensors;
    std::vector<VehicleSample> vehicles;
};

// Which parts of each record a decode fills.
enum class DecodeParts { kAll, kGpsOnly };

// Decodes the records of a block (body as for DecodeHeader) and appends their samples to
// lists. Parking recordings (names beginning 'P') get blank GPS samples unless only GPS
// parts are wanted. A truncated block appends nothing.
BlockDecode DecodeRecords(const std::uint8_t* body, std::size_t available,
                          std::string_view file_name, float ms_per_record, DecodeParts parts,
                          SampleLists& lists);

// The single record decoders, for tests and the fuzzer.
GpsSample DecodeGps(const std::uint8_t* record, std::int32_t index, float ms_per_record);
GpsSample BlankGpsSample(std::int32_t index);
SensorSample DecodeSensor(const std::uint8_t* record, std::int32_t index, float ms_per_record);
VehicleSample DecodeVehicle(const std::uint8_t* record, std::int32_t index);

// Milliseconds of a record index: trunc(index x ms_per_record) in single precision.
std::int32_t RecordTimeMs(std::int32_t index, float ms_per_record);

}  // namespace ardelle::telemetry
