// Arbitrary bytes as an MP4 file: the tree reader, the expected length and the two
// walks the player runs must fail cleanly, never crash or read out of bounds.
#include <cstdint>

#include "fuzz_file.h"
#include "platform/mapped_file.h"
#include "telemetry/box_walks.h"
#include "telemetry/mp4_tree.h"
#include "telemetry/telemetry_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KeepTimeZoneFixed();
    return 0;
}

// The readers see the input itself, opened as a file: no system call per read, so the
// time goes to the reading and not to the kernel.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardelle::telemetry;
    ardelle::platform::MappedFile file;
    if (!file.OpenBytes(data, size, "fuzz-input.MP4")) {
        return 0;
    }
    std::string error;
    (void)ReadTree(file, data[0] & 1, TelemetryCarry::kFrontRecording, &error);
    (void)ExpectedLength(file);
    TelemetryFile probe;
    if (probe.mapping().OpenBytes(data, size, file.path())) {
        (void)ReadMovieTiming(probe);
    }
    return 0;
}
