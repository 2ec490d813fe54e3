// The recorder's format-configuration file: any bytes, any length.
#include <cstdint>
#include <span>

#include "update/recorder_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ardelle::update::RecorderInfo info;
    if (ardelle::update::ParseRecorderConfig(std::span(data, size), info)) {
        // Whatever the bytes, the texts stay within their fields' reach.
        if (info.model_code.size() > 16 || info.gps_data_version.size() > 7 ||
            info.firmware_version.size() > 11) {
            __builtin_trap();
        }
    }
    return 0;
}
