// Recorder file names and the few bytes the catalogue reads from recordings: arbitrary
// names (any bytes, not only valid UTF-8) through every name rule, and the input as a
// movie's box headers and trailer and as a still's trailer.
#include <cstdint>
#include <string>

#include "catalogue/name_units.h"
#include "catalogue/recording_entry.h"
#include "catalogue/recording_names.h"
#include "catalogue/recording_order.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KeepTimeZoneFixed();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardelle::catalogue;
    const std::string name(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
    int flags = 0;
    AddTriggerFlags(name, flags);
    AddStillTriggerFlags(name, flags);
    const bool named = IsMovieName(name) || IsStillName(name) || TriggerClassOf(name) >= 0;
    (void)TriggerLabelOf(name);
    (void)PairOf("/card/Normal/Front/" + name);
    (void)PairOfStill("/card/JPG/Rear/" + name);
    (void)detail::Utf16Less(name, name.substr(name.size() / 2));
    (void)detail::UnitsUntil(name, 5, '-');
    RecordingEntry entry;
    entry.rear_name = name;
    (void)PassesMovieFilter(entry, kAllTriggersOn);
    (void)named;

    if (!WriteFuzzInput(data, size)) {
        return 0;
    }
    (void)MovieDataSize(FuzzScratchPath());
    StillTrailer trailer;
    (void)ReadStillTrailer(FuzzScratchPath(), trailer);
    return 0;
}
