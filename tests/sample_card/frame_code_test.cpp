#include "sample_card/frame_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ardelle::samplecard {
namespace {

// A gray picture with the code drawn at the top and a busy pattern below it.
struct Picture {
    int width;
    int height;
    int stride;
    std::vector<uint8_t> luma;

    Picture(int w, int h, int padding) : width(w), height(h), stride(w + padding) {
        luma.assign(static_cast<size_t>(stride) * static_cast<size_t>(h), 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < stride; ++x) {
                luma[Offset(x, y)] = static_cast<uint8_t>((x * 7 + y * 13) % 256);
            }
        }
    }
    size_t Offset(int x, int y) const { return static_cast<size_t>(y * stride + x); }
    std::optional<int> Read() const { return ReadFrameIndex(luma.data(), width, height, stride); }
};

struct SizeCase {
    int width;
    int height;
    int padding;  // stride beyond the width
};

class FrameCodeTest : public ::testing::TestWithParam<SizeCase> {};

const std::vector<int> kIndices = {0, 1, 2, 89, 299, 12345, kMaxFrameIndex};

TEST_P(FrameCodeTest, CleanAndNoisyCodesReadBack) {
    const SizeCase c = GetParam();
    for (const int index : kIndices) {
        Picture p(c.width, c.height, c.padding);
        DrawFrameIndex(p.luma.data(), p.width, p.height, p.stride, index);
        EXPECT_EQ(p.Read(), index) << "clean, index " << index;
        uint32_t state = 12345u + static_cast<uint32_t>(index);
        for (uint8_t& v : p.luma) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>((state >> 16) % 61) - 30;
            v = static_cast<uint8_t>(std::clamp(v + noise, 0, 255));
        }
        EXPECT_EQ(p.Read(), index) << "noisy, index " << index;
    }
}

TEST_P(FrameCodeTest, MisreadCellGivesNothing) {
    const SizeCase c = GetParam();
    const int cell = c.width / kCodeCells;
    const int band = FrameCodeBandHeight(c.height);
    // Every single data or check cell inverted must be caught by the check value.
    for (int flipped = 2; flipped < kCodeCells - 2; ++flipped) {
        Picture p(c.width, c.height, c.padding);
        DrawFrameIndex(p.luma.data(), p.width, p.height, p.stride, 4242);
        for (int y = 0; y < band; ++y) {
            for (int x = flipped * cell; x < (flipped + 1) * cell; ++x) {
                uint8_t& v = p.luma[p.Offset(x, y)];
                v = v == kCodeWhite ? kCodeBlack : kCodeWhite;
            }
        }
        EXPECT_EQ(p.Read(), std::nullopt) << "cell " << flipped;
    }
}

TEST_P(FrameCodeTest, PictureWithoutCodeGivesNothing) {
    const SizeCase c = GetParam();
    Picture busy(c.width, c.height, c.padding);
    EXPECT_EQ(busy.Read(), std::nullopt);
    Picture flat(c.width, c.height, c.padding);
    std::fill(flat.luma.begin(), flat.luma.end(), uint8_t{128});
    EXPECT_EQ(flat.Read(), std::nullopt);
}

TEST_P(FrameCodeTest, PackedFramesReadLikeGrayOnes) {
    const SizeCase c = GetParam();
    Picture p(c.width, c.height, 0);
    DrawFrameIndex(p.luma.data(), p.width, p.height, p.stride, 777);
    const int stride = 4 * c.width + 4 * c.padding;
    std::vector<uint8_t> packed(static_cast<size_t>(stride) * static_cast<size_t>(c.height), 0);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            uint8_t* px = &packed[static_cast<size_t>(y * stride + 4 * x)];
            const uint8_t v = p.luma[p.Offset(x, y)];
            px[0] = v;
            px[1] = v;
            px[2] = v;
            px[3] = 0xFF;
        }
    }
    EXPECT_EQ(ReadFrameIndexPacked32(packed.data(), c.width, c.height, stride), 777);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameCodeTest,
                         ::testing::Values(SizeCase{96, 48, 0}, SizeCase{160, 90, 0},
                                           SizeCase{320, 180, 32}, SizeCase{642, 362, 14},
                                           SizeCase{1280, 720, 0}, SizeCase{1920, 1080, 64}));

TEST(FrameCode, TooSmallPictureGivesNothing) {
    std::vector<uint8_t> luma(64 * 32, 128);
    EXPECT_EQ(ReadFrameIndex(luma.data(), 64, 32, 64), std::nullopt);
}

}  // namespace
}  // namespace ardelle::samplecard
