#include "graph/graph_layout.h"

#include <algorithm>
#include <cmath>

#include "base/screen_scale.h"

namespace ardelle::graph {

int ScaleModeFor(double max_abs_g) {
    if (max_abs_g >= 1.5) {
        return 3;
    }
    if (max_abs_g >= 1.0) {
        return 2;
    }
    return max_abs_g >= 0.5 ? 1 : 0;
}

AxisLabels AxisLabelsFor(int scale_mode) {
    switch (scale_mode) {
        case 0:
            return {" 0.5G", "   0G", "-0.5G"};
        case 2:
            return {" 1.5G", "   0G", "-1.5G"};
        case 3:
            return {"   2G", "   0G", "  -2G"};
        default:
            return {"   1G", "   0G", "  -1G"};
    }
}

GraphLayout::GraphLayout(int width, int height, double scale, double font_scale)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      scale_(std::isfinite(scale) && scale > 0 ? scale : 1.0),
      font_scale_(std::isfinite(font_scale) && font_scale > 0 ? font_scale : 1.0) {}

int GraphLayout::Scaled(double units) const {
    return base::ScaledLength(units, scale_);
}

int GraphLayout::LeftMargin() const {
    return Scaled(40);
}

int GraphLayout::TileWidth() const {
    return Scaled(640) - Scaled(7) - LeftMargin();
}

int GraphLayout::GridTileWidth() const {
    return Scaled(640);
}

int GraphLayout::GridHeight() const {
    return Scaled(120);
}

int GraphLayout::PlotWidth() const {
    return width_ - Scaled(1) - LeftMargin();
}

int GraphLayout::PixelsPerG(int scale_mode) const {
    const int mode = scale_mode >= 0 && scale_mode < kScaleModeCount ? scale_mode : 1;
    return (GridHeight() - 6) / (mode + 1);
}

int GraphLayout::TraceLimit() const {
    return std::max(0, ZeroY() - Scaled(5));
}

std::vector<int> GraphLayout::GridTilePositions() const {
    std::vector<int> positions;
    const int stride = TileWidth();
    if (stride <= 0 || width_ <= 0) {
        return positions;
    }
    const int step = std::max(1, Scaled(5));
    for (int c = 0; static_cast<std::int64_t>(c) * stride < width_; ++c) {
        const int x = width_ - c * stride - LeftMargin();
        // Rounded down, also below zero, so the phase of the grid stays the same.
        positions.push_back(x >= 0 ? x / step * step : -((-x + step - 1) / step) * step);
    }
    positions.push_back(0);
    return positions;
}

Rect GraphLayout::PositiveLabelBox() const {
    return {0, 0, Scaled(38), Scaled(50)};
}

Rect GraphLayout::ZeroLabelBox() const {
    return {0, Scaled(50), Scaled(38), Scaled(100) - Scaled(50)};
}

Rect GraphLayout::NegativeLabelBox() const {
    return {0, Scaled(100), Scaled(38), Scaled(150) - Scaled(100)};
}

double GraphLayout::BottomStretch() const {
    const int unit = Scaled(35);
    if (height_ <= 0 || unit <= 0) {
        return 0.0;
    }
    return static_cast<double>(height_ - Scaled(15)) / unit;
}

int GraphLayout::MarkBottom() const {
    return Scaled(15) - static_cast<int>(Scaled(-35) * BottomStretch());
}

int GraphLayout::LabelTop(int row) const {
    const int row_step = static_cast<int>(std::trunc(10 * font_scale_)) / 6;
    return Scaled(120) - Scaled(5) + row * row_step;
}

Rect GraphLayout::BandBox(int x, int band_width) const {
    const int band_height = Scaled(29);
    return {x, MarkBottom() - band_height, band_width, band_height};
}

int GraphLayout::CursorX(std::int64_t current_frame, std::int64_t frame_count) const {
    if (frame_count <= 0 || current_frame <= 0) {
        return LeftMargin();
    }
    const float per_frame =
        static_cast<float>(width_ - LeftMargin()) / static_cast<float>(frame_count);
    // A frame past the end (a stale position) keeps the cursor inside the window.
    const float x =
        std::min(static_cast<float>(current_frame) * per_frame, static_cast<float>(width_));
    return std::min(static_cast<int>(x) + LeftMargin(), std::max(LeftMargin(), width_ - 1));
}

}  // namespace ardelle::graph
