// Arbitrary bytes as an MP4 file: the tree reader, the expected length and the two
// walks the player runs must fail cleanly, never crash or read out of bounds.
#include <cstdint>

#include "fuzz_file.h"
#include "telemetry/box_walks.h"
#include "telemetry/mp4_tree.h"
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
    const std::string& path = FuzzScratchPath();
    std::string error;
    (void)ReadTree(path, size > 0 && data[0] & 1, TelemetryCarry::kFrontRecording, &error);
    (void)ExpectedLength(path);
    TelemetryFile probe;
    (void)ReadMovieTiming(probe, path);
    return 0;
}
