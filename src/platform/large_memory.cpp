#include "platform/large_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace ardelle::platform {
namespace {

std::size_t RoundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

}  // namespace

std::optional<LargeBlock> MapLargeBlock(std::size_t bytes) {
    const long page_size = ::sysconf(_SC_PAGESIZE);
    const std::size_t page = page_size > 0 ? static_cast<std::size_t>(page_size) : 4096;
    if (bytes == 0 || bytes > SIZE_MAX / 2) {
        return std::nullopt;
    }
    // Whole huge pages: a partly covered last one would be left to small pages, and for a
    // 1080p BGRx frame that is almost 2 MiB of them.
    const std::size_t length = RoundUp(bytes, kHugePageBytes);
    // Reserved with room to slide the start onto a huge-page boundary; the slack either side
    // is handed back at once.
    const std::size_t reserved = length + kHugePageBytes - page;
    void* mapped =
        ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return std::nullopt;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = RoundUp(start, kHugePageBytes);
    if (aligned > start) {
        ::munmap(mapped, aligned - start);
    }
    const std::uintptr_t end = start + reserved;
    if (end > aligned + length) {
        ::munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    }
    auto* data = reinterpret_cast<std::uint8_t*>(aligned);
    // Only advice: a system without transparent huge pages refuses it and keeps small pages.
    ::madvise(data, length, MADV_HUGEPAGE);
    return LargeBlock{data, length};
}

void UnmapLargeBlock(const LargeBlock& block) {
    if (block.data != nullptr && block.size != 0) {
        ::munmap(block.data, block.size);
    }
}

}  // namespace ardelle::platform
