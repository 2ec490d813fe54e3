#pragma once

#include <cstdint>
#include <optional>

namespace ardelle::samplecard {

// The machine-readable frame index drawn along the top edge of every generated frame:
// one row of kCodeCells equal cells, white = 1, black = 0, left to right
//   [1][0] | 20 index bits, most significant first | 8 check bits (CRC-8 of the index) | [0][1]
// The band is FrameCodeBandHeight(height) rows tall and spans the full width
// (cell width = width / kCodeCells; the remaining columns on the right are black).
constexpr int kCodeCells = 32;
constexpr int kIndexBits = 20;
constexpr int kCheckBits = 8;
constexpr int kMaxFrameIndex = (1 << kIndexBits) - 1;
constexpr uint8_t kCodeBlack = 16;
constexpr uint8_t kCodeWhite = 235;
// Smallest frame the code is laid out for.
constexpr int kMinCodeWidth = 96;
constexpr int kMinCodeHeight = 48;

int FrameCodeBandHeight(int height);
uint8_t FrameCodeCheck(int index);

// Draws the code for index into an 8-bit luma plane.
void DrawFrameIndex(uint8_t* luma, int width, int height, int stride, int index);

// Reads the index back from a decoded gray (Y) plane; nothing when the code is absent,
// unreadable or fails its check.
std::optional<int> ReadFrameIndex(const uint8_t* luma, int width, int height, int stride);

// The same for packed 32-bit frames (BGRx, RGBx and the like: the code is gray, so the
// channel order does not matter; the fourth byte is ignored).
std::optional<int> ReadFrameIndexPacked32(const uint8_t* pixels, int width, int height, int stride);

}  // namespace ardelle::samplecard
