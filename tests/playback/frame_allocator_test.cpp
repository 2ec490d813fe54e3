// GStreamer's default allocator once the engine has started: large blocks on huge pages that
// honour the allocation parameters and can be shared and copied like any other memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "playback/frame_allocator.h"
#include "playback/gst_support.h"

namespace ardelle::playback::gst {
namespace {

class FrameAllocatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureInitialised());
        allocator_ = DefaultAllocator();
        ASSERT_NE(allocator_, nullptr);
    }
    void TearDown() override {
        if (allocator_ != nullptr) {
            gst_object_unref(allocator_);
        }
    }
    GstAllocator* allocator_ = nullptr;
};

TEST_F(FrameAllocatorTest, TheEngineInstallsItAsTheDefault) {
    EXPECT_STREQ(G_OBJECT_TYPE_NAME(allocator_), "ArdelleFrameAllocator");
}

TEST_F(FrameAllocatorTest, BlocksHonourPrefixPaddingAndAlignment) {
    struct Case {
        gsize size;
        gsize prefix, padding, align;
        bool huge;  // placed on a huge page
    };
    const Case cases[] = {
        {1000, 0, 0, 0, false},
        {kLargeFrameBytes - 64, 32, 0, 15, false},
        {kLargeFrameBytes - 64, 32, 32, 15, true},
        {3'110'400, 0, 0, 0, true},
        {3'110'400, 64, 64, 127, true},  // a decoder's aligned, padded picture
        {8'294'400, 0, 0, 63, true},     // 1080p BGRx
    };
    for (const Case& c : cases) {
        GstAllocationParams params;
        gst_allocation_params_init(&params);
        params.prefix = c.prefix;
        params.padding = c.padding;
        params.align = c.align;
        params.flags = static_cast<GstMemoryFlags>(GST_MEMORY_FLAG_ZERO_PREFIXED |
                                                   GST_MEMORY_FLAG_ZERO_PADDED);
        GstMemory* memory = gst_allocator_alloc(allocator_, c.size, &params);
        ASSERT_NE(memory, nullptr) << c.size;
        gsize offset = 0;
        gsize maxsize = 0;
        EXPECT_EQ(gst_memory_get_sizes(memory, &offset, &maxsize), c.size);
        EXPECT_EQ(offset, c.prefix);
        EXPECT_GE(maxsize, c.prefix + c.size + c.padding);
        GstMapInfo map;
        ASSERT_TRUE(gst_memory_map(memory, &map, GST_MAP_READWRITE));
        const auto start = reinterpret_cast<std::uintptr_t>(map.data) - c.prefix;
        EXPECT_EQ(start & c.align, 0u) << c.size << " align " << c.align;
        EXPECT_EQ(start % kLargeFrameBytes == 0, c.huge) << c.size;
        EXPECT_EQ(map.size, c.size);
        if (c.prefix > 0) {
            EXPECT_EQ(map.data[-1], 0) << "the prefix is zeroed";
        }
        std::memset(map.data, 0x3c, map.size);
        gst_memory_unmap(memory, &map);
        gst_memory_unref(memory);
    }
}

TEST_F(FrameAllocatorTest, LargeBlocksCanBeSharedAndCopied) {
    const gsize size = 3'110'400;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
    ASSERT_NE(buffer, nullptr);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_WRITE));
    for (gsize i = 0; i < size; ++i) {
        map.data[i] = static_cast<guint8>(i * 7);
    }
    gst_buffer_unmap(buffer, &map);

    GstBuffer* part = gst_buffer_copy_region(buffer, GST_BUFFER_COPY_MEMORY, 1000, 5000);
    GstBuffer* deep = gst_buffer_copy_deep(buffer);
    gst_buffer_unref(buffer);  // the shared part keeps the block alive
    ASSERT_TRUE(gst_buffer_map(part, &map, GST_MAP_READ));
    EXPECT_EQ(map.size, 5000u);
    EXPECT_EQ(map.data[0], static_cast<guint8>(1000 * 7));
    EXPECT_EQ(map.data[4999], static_cast<guint8>(5999 * 7));
    gst_buffer_unmap(part, &map);
    ASSERT_TRUE(gst_buffer_map(deep, &map, GST_MAP_READ));
    EXPECT_EQ(map.size, size);
    EXPECT_EQ(map.data[size - 1], static_cast<guint8>((size - 1) * 7));
    gst_buffer_unmap(deep, &map);
    gst_buffer_unref(part);
    gst_buffer_unref(deep);
}

}  // namespace
}  // namespace ardelle::playback::gst
