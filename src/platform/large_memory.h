#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ardelle::platform {

// The size of a transparent huge page on the systems Ardelle runs on.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Zero-filled anonymous memory for picture buffers, placed on a huge-page boundary and marked
// for transparent huge pages: a 1080p frame then costs a handful of page faults instead of
// two thousand. Where the system has no huge pages it is ordinary memory.
struct LargeBlock {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;  // the mapped length, a whole number of huge pages
};

// A block of at least `bytes` bytes, or nothing when the system has no memory left.
std::optional<LargeBlock> MapLargeBlock(std::size_t bytes);
void UnmapLargeBlock(const LargeBlock& block);

}  // namespace ardelle::platform
