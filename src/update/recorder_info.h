#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ardelle::update {

inline constexpr const char* kRecorderConfigFileName = "DRFormatConfig.dfc";
// Bytes the fields need: model code at 48 (8), firmware at 56 (6), GPS data at 62 (6).
inline constexpr std::size_t kRecorderConfigMinSize = 68;

// The recorder's versions as its format-configuration file on the card states them.
struct RecorderInfo {
    std::string firmware_version;  // "major.minor.revision"
    std::string gps_data_version;  // "%06d" of YYMMDD, empty when the card holds no GPS data
    std::string model_code;        // up to 8 characters

    friend bool operator==(const RecorderInfo&, const RecorderInfo&) = default;
};

// Replaces info from the file's first bytes when they are at least kRecorderConfigMinSize
// long; false (info untouched) when they are shorter.
bool ParseRecorderConfig(std::span<const std::uint8_t> bytes, RecorderInfo& info);

// Reads kRecorderConfigFileName in folder (only its first bytes, whatever its size). False,
// info untouched, when the file is missing, not a regular file, unreadable or too short.
bool ReadRecorderInfo(const std::string& folder, RecorderInfo& info);

}  // namespace ardelle::update
