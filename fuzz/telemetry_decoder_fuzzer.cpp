// Arbitrary bytes as a telemetry block body (the bytes after "CSMDAT"): the header and
// record decoders must stay inside the bytes they are given.
#include <cstdint>
#include <vector>

#include "fuzz_file.h"
#include "telemetry/telemetry_block.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KeepTimeZoneFixed();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardelle::telemetry;
    // Copy to an exactly sized buffer so that any read past the end is caught.
    const std::vector<std::uint8_t> body(data, data + size);
    const char* names[] = {"A___-230415-101500-000001F.MP4", "P___-230415-101500-000001F.MP4",
                           "T___-230415-101500-000001F.MP4"};
    const char* name = names[size % 3];
    (void)DecodeHeader(body.data(), body.size(), name);
    SampleLists lists;
    (void)DecodeRecords(body.data(), body.size(), name, MsPerRecordFor(name),
                        size % 2 == 0 ? DecodeParts::kAll : DecodeParts::kGpsOnly, lists);
    return 0;
}
