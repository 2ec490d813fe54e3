// Huge-page blocks for picture buffers: size, placement and contents.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/large_memory.h"

namespace ardelle::platform {
namespace {

TEST(LargeMemory, BlocksStartOnAHugePageAndHoldWhatWasAskedFor) {
    const std::size_t sizes[] = {1, 4095, 4097, kHugePageBytes, 3'110'400, 8'294'400 + 123};
    for (const std::size_t bytes : sizes) {
        const std::optional<LargeBlock> block = MapLargeBlock(bytes);
        ASSERT_TRUE(block.has_value()) << bytes;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block->data) % kHugePageBytes, 0u) << bytes;
        EXPECT_GE(block->size, bytes);
        EXPECT_EQ(block->size % kHugePageBytes, 0u) << bytes;
        EXPECT_LT(block->size - bytes, kHugePageBytes) << "at most one huge page is partly spare";
        // Fresh memory reads as zero, and every byte of it can be written.
        EXPECT_EQ(block->data[0], 0);
        EXPECT_EQ(block->data[bytes - 1], 0);
        std::memset(block->data, 0x5a, block->size);
        EXPECT_EQ(block->data[block->size - 1], 0x5a);
        UnmapLargeBlock(*block);
    }
}

TEST(LargeMemory, ImpossibleSizesAreRefused) {
    EXPECT_FALSE(MapLargeBlock(0).has_value());
    EXPECT_FALSE(MapLargeBlock(SIZE_MAX).has_value());
    EXPECT_FALSE(MapLargeBlock(SIZE_MAX / 2 + 1).has_value());
}

}  // namespace
}  // namespace ardelle::platform
