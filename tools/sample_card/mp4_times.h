#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ardelle::samplecard {

// Sets the creation and modification times of the movie header and of every track and
// media header to mp4_seconds (seconds since 1904-01-01 UTC). The muxer stamps the time
// of encoding there, which would make every run differ. Returns the headers changed.
int PatchMovieTimes(std::vector<uint8_t>& file, uint64_t mp4_seconds);

// Types of the top-level boxes in file order ("ftyp", "free", ...); stops at a malformed box.
std::vector<std::string> TopLevelBoxes(const std::vector<uint8_t>& file);

}  // namespace ardelle::samplecard
