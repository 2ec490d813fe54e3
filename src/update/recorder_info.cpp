#include "update/recorder_info.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/files.h"

namespace ardelle::update {
namespace {

constexpr std::size_t kModelOffset = 48;
constexpr std::size_t kModelSize = 8;
constexpr std::size_t kFirmwareOffset = 56;
constexpr std::size_t kGpsOffset = 62;
constexpr std::size_t kGpsSize = 6;

// The C library's decimal conversion of a few characters: leading blanks, a sign, digits up
// to the first other character; 0 without digits. At most six digits, so it fits an int.
int DecimalOf(std::span<const std::uint8_t> field) {
    char text[8] = {};
    std::copy_n(field.begin(), std::min<std::size_t>(field.size(), 7), text);
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

// One byte is one character of a single-byte code page (ISO 8859-1 here).
std::string SingleByteText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) {
            break;
        }
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

}  // namespace

bool ParseRecorderConfig(std::span<const std::uint8_t> bytes, RecorderInfo& info) {
    if (bytes.size() < kRecorderConfigMinSize) {
        return false;
    }
    char firmware[40];
    std::snprintf(firmware, sizeof firmware, "%d.%d.%d",
                  DecimalOf(bytes.subspan(kFirmwareOffset, 2)),
                  DecimalOf(bytes.subspan(kFirmwareOffset + 2, 2)),
                  DecimalOf(bytes.subspan(kFirmwareOffset + 4, 2)));
    const auto gps = bytes.subspan(kGpsOffset, kGpsSize);
    std::string gps_version;
    if (!std::all_of(gps.begin(), gps.end(), [](std::uint8_t b) { return b == ' '; })) {
        char text[16];
        std::snprintf(text, sizeof text, "%06d", DecimalOf(gps));
        gps_version = text;
    }
    info.firmware_version = firmware;
    info.gps_data_version = std::move(gps_version);
    info.model_code = SingleByteText(bytes.subspan(kModelOffset, kModelSize));
    return true;
}

bool ReadRecorderInfo(const std::string& folder, RecorderInfo& info) {
    const auto bytes =
        platform::ReadFileStart(folder + "/" + kRecorderConfigFileName, kRecorderConfigMinSize);
    if (!bytes) {
        return false;
    }
    return ParseRecorderConfig(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()), info);
}

}  // namespace ardelle::update
