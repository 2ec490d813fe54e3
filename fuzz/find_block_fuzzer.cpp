// Arbitrary bytes as the tail of a recording: the block search and the decoding that
// opening a recording runs, then frame binding of whatever was decoded.
#include <cstdint>

#include "fuzz_file.h"
#include "telemetry/telemetry_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KeepTimeZoneFixed();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardelle::telemetry;
    if (!WriteFuzzInput(data, size)) {
        return 0;
    }
    TelemetryFile file;
    if (file.Open(FuzzScratchPath())) {
        file.set_frame_duration_ms(33.333332f);
        (void)file.BindToFrames(static_cast<std::int64_t>(size % 500) + 1);
    }
    return 0;
}
