#include "sample_card/frame_code.h"

#include <array>

namespace ardelle::samplecard {
namespace {

using Cells = std::array<bool, kCodeCells>;

Cells Encode(int index) {
    Cells cells{};
    cells[0] = true;
    cells[kCodeCells - 1] = true;
    for (int bit = 0; bit < kIndexBits; ++bit) {
        cells[static_cast<size_t>(2 + bit)] = ((index >> (kIndexBits - 1 - bit)) & 1) != 0;
    }
    const uint8_t check = FrameCodeCheck(index);
    for (int bit = 0; bit < kCheckBits; ++bit) {
        cells[static_cast<size_t>(2 + kIndexBits + bit)] =
            ((check >> (kCheckBits - 1 - bit)) & 1) != 0;
    }
    return cells;
}

std::optional<int> Decode(const Cells& cells) {
    if (!cells[0] || cells[1] || cells[kCodeCells - 2] || !cells[kCodeCells - 1]) {
        return std::nullopt;
    }
    int index = 0;
    for (int bit = 0; bit < kIndexBits; ++bit) {
        index = (index << 1) | (cells[static_cast<size_t>(2 + bit)] ? 1 : 0);
    }
    int check = 0;
    for (int bit = 0; bit < kCheckBits; ++bit) {
        check = (check << 1) | (cells[static_cast<size_t>(2 + kIndexBits + bit)] ? 1 : 0);
    }
    if (check != FrameCodeCheck(index)) {
        return std::nullopt;
    }
    return index;
}

// Mean brightness of the central half of every cell, so that ringing at cell edges
// (compression, chroma bleeding) does not count.
template <typename LumaAt>
std::optional<int> ReadCells(int width, int height, LumaAt luma_at) {
    if (width < kMinCodeWidth || height < kMinCodeHeight) {
        return std::nullopt;
    }
    const int cell = width / kCodeCells;
    const int band = FrameCodeBandHeight(height);
    std::array<int, kCodeCells> mean{};
    for (int c = 0; c < kCodeCells; ++c) {
        int64_t sum = 0;
        int64_t n = 0;
        for (int y = band / 4; y < band - band / 4; ++y) {
            for (int x = c * cell + cell / 4; x < c * cell + cell - cell / 4; ++x) {
                sum += luma_at(x, y);
                ++n;
            }
        }
        mean[static_cast<size_t>(c)] = static_cast<int>(sum / n);
    }
    const int white = (mean[0] + mean[kCodeCells - 1]) / 2;
    const int black = (mean[1] + mean[kCodeCells - 2]) / 2;
    if (white - black < 80) {
        return std::nullopt;
    }
    const int threshold = (white + black) / 2;
    const int margin = (white - black) / 5;
    Cells cells{};
    for (size_t c = 0; c < cells.size(); ++c) {
        if (mean[c] > threshold - margin && mean[c] < threshold + margin) {
            return std::nullopt;  // neither clearly black nor clearly white
        }
        cells[c] = mean[c] >= threshold;
    }
    return Decode(cells);
}

}  // namespace

int FrameCodeBandHeight(int height) {
    return height / 8 < 8 ? 8 : height / 8;
}

uint8_t FrameCodeCheck(int index) {
    // CRC-8 (polynomial 0x07) over the three bytes of the index.
    uint8_t crc = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        crc = static_cast<uint8_t>(crc ^ ((index >> shift) & 0xFF));
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
        }
    }
    return crc;
}

void DrawFrameIndex(uint8_t* luma, int width, int height, int stride, int index) {
    const Cells cells = Encode(index & kMaxFrameIndex);
    const int cell = width / kCodeCells;
    const int band = FrameCodeBandHeight(height);
    for (int y = 0; y < band && y < height; ++y) {
        uint8_t* row = luma + static_cast<int64_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const int c = x / cell;
            row[x] = c < kCodeCells && cells[static_cast<size_t>(c)] ? kCodeWhite : kCodeBlack;
        }
    }
}

std::optional<int> ReadFrameIndex(const uint8_t* luma, int width, int height, int stride) {
    return ReadCells(width, height, [&](int x, int y) {
        return static_cast<int>(luma[static_cast<int64_t>(y) * stride + x]);
    });
}

std::optional<int> ReadFrameIndexPacked32(const uint8_t* pixels, int width, int height,
                                          int stride) {
    return ReadCells(width, height, [&](int x, int y) {
        const uint8_t* p = pixels + static_cast<int64_t>(y) * stride + 4 * x;
        return (p[0] + p[1] + p[2]) / 3;
    });
}

}  // namespace ardelle::samplecard
