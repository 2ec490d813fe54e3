#pragma once

#include <cstdint>
#include <optional>

#include "platform/mapped_file.h"

namespace ardelle::telemetry {

// Maps a view; a failed mapping shows the system's error text in a box titled
// "Error Message" (through the core's error reporter). No bytes to map fails silently.
std::optional<platform::FileView> MapViewReported(platform::MappedFile& file, std::uint64_t offset,
                                                  std::uint64_t length, std::uint64_t limit);

}  // namespace ardelle::telemetry
