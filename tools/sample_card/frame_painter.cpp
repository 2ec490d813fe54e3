#include "sample_card/frame_painter.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "sample_card/frame_code.h"

namespace ardelle::samplecard {
namespace {

// A 5x7 bitmap glyph: seven rows, the five low bits of each row, leftmost pixel highest.
struct Glyph {
    char ch;
    std::array<uint8_t, 7> rows;
};

constexpr std::array<Glyph, 21> kFont = {{
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
}};

const Glyph* FindGlyph(char ch) {
    for (const Glyph& g : kFont) {
        if (g.ch == ch) {
            return &g;
        }
    }
    return nullptr;
}

void FillLuma(const I420Planes& p, int x0, int y0, int w, int h, uint8_t value) {
    const int left = std::max(0, x0);
    const int right = std::min(p.width, x0 + w);
    if (left >= right) {
        return;
    }
    for (int y = std::max(0, y0); y < std::min(p.height, y0 + h); ++y) {
        uint8_t* row = p.y + static_cast<int64_t>(y) * p.y_stride;
        std::fill(row + left, row + right, value);
    }
}

// White text on a black box; scale is the size of one font pixel.
void DrawText(const I420Planes& p, int x0, int y0, int scale, const std::string& text) {
    const int advance = 6 * scale;
    FillLuma(p, x0 - scale, y0 - scale, advance * static_cast<int>(text.size()) + scale, 9 * scale,
             kCodeBlack);
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = FindGlyph(text[i]);
        if (glyph == nullptr) {
            continue;
        }
        const int gx = x0 + static_cast<int>(i) * advance;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if ((glyph->rows[static_cast<size_t>(row)] >> (4 - col)) & 1) {
                    FillLuma(p, gx + col * scale, y0 + row * scale, scale, scale, kCodeWhite);
                }
            }
        }
    }
}

void PaintBackground(const I420Planes& p, const FrameLabel& label) {
    const int shift = label.index * 3;
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = p.y + static_cast<int64_t>(y) * p.y_stride;
        for (int x = 0; x < p.width; ++x) {
            row[x] = static_cast<uint8_t>(48 + ((x + y / 2 + shift) / 8 % 16) * 6);
        }
    }
    const int size = p.height / 5;
    const int travel = std::max(1, p.width - size);
    const int bx = (label.index * 4) % travel;
    FillLuma(p, bx, p.height - size - p.height / 10, size, size, 200);
    const bool front = label.camera == Camera::kFront;
    for (int y = 0; y < p.height / 2; ++y) {
        const auto shade = static_cast<uint8_t>(y * 32 / std::max(1, p.height / 2));
        uint8_t* u = p.u + static_cast<int64_t>(y) * p.u_stride;
        uint8_t* v = p.v + static_cast<int64_t>(y) * p.v_stride;
        std::fill(u, u + p.width / 2, static_cast<uint8_t>(front ? 140 + shade / 2 : 112));
        std::fill(v, v + p.width / 2, static_cast<uint8_t>(front ? 120 : 136 + shade / 2));
    }
}

// Neutral chroma under the frame code keeps its cells pure black and white.
void ClearCodeChroma(const I420Planes& p) {
    const int rows = (FrameCodeBandHeight(p.height) + 1) / 2 + 1;
    for (int y = 0; y < std::min(rows, p.height / 2); ++y) {
        std::fill(p.u + static_cast<int64_t>(y) * p.u_stride,
                  p.u + static_cast<int64_t>(y) * p.u_stride + p.width / 2, uint8_t{128});
        std::fill(p.v + static_cast<int64_t>(y) * p.v_stride,
                  p.v + static_cast<int64_t>(y) * p.v_stride + p.width / 2, uint8_t{128});
    }
}

std::string ClockText(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

}  // namespace

void PaintFrame(const I420Planes& p, const FrameLabel& label) {
    PaintBackground(p, label);
    ClearCodeChroma(p);
    DrawFrameIndex(p.y, p.width, p.height, p.y_stride, label.index);
    const int scale = std::max(1, p.height / 120);
    const int top = FrameCodeBandHeight(p.height) + 3 * scale;
    char first[32];
    std::snprintf(first, sizeof first, "%s #%06d",
                  label.camera == Camera::kFront ? "FRONT" : "REAR", label.index);
    DrawText(p, 2 * scale, top, scale, first);
    DrawText(p, 2 * scale, top + 10 * scale, scale, ClockText(label.clock));
}

}  // namespace ardelle::samplecard
