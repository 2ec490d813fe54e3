#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ardelle::graph {

// Full scale of the plot: mode 0..3 show +-0.5, 1, 1.5 and 2 G.
inline constexpr int kScaleModeCount = 4;
inline constexpr int kInitialScaleMode = 1;

// The scale mode that fits a recording's largest acceleration (0 for anything not a number).
int ScaleModeFor(double max_abs_g);

struct AxisLabels {
    std::string_view positive, zero, negative;
};
// The label column's texts; modes outside 0..3 get mode 1's.
AxisLabels AxisLabelsFor(int scale_mode);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Every length of the graph at one layout scale s (and text scale t) for a client area:
// design units times s, truncated toward zero.
class GraphLayout {
  public:
    GraphLayout(int width, int height, double scale, double font_scale);

    int width() const { return width_; }
    int height() const { return height_; }
    double scale() const { return scale_; }

    int LeftMargin() const;  // the label column
    int TileWidth() const;   // the stride of the grid tiles
    int GridTileWidth() const;
    int GridHeight() const;  // the plot's height H
    int ZeroY() const { return GridHeight() / 2; }
    int PlotWidth() const;  // columns right of the label column, less one int(s)
    // Pixels per G at a scale mode (modes outside 0..3 as mode 1).
    int PixelsPerG(int scale_mode) const;
    // How far a trace may go from the zero line.
    int TraceLimit() const;

    // Where the grid tiles go: from the right edge leftwards in steps of the tile width, each
    // rounded down to a multiple of int(5 s), then once more at 0. Empty for a zero tile width.
    std::vector<int> GridTilePositions() const;

    // The label column's three boxes (right-aligned text, top of the box).
    Rect PositiveLabelBox() const;
    Rect ZeroLabelBox() const;
    Rect NegativeLabelBox() const;

    int MarkBottom() const;                // marks run from here up to row 0
    int LabelTop(int row) const;           // the top of a mark label in a label row
    Rect BandBox(int x, int width) const;  // the translucent speeding band

    // The cursor column for the current frame of a graph of frame_count frames.
    int CursorX(std::int64_t current_frame, std::int64_t frame_count) const;

  private:
    int Scaled(double units) const;
    double BottomStretch() const;

    int width_, height_;
    double scale_, font_scale_;
};

}  // namespace ardelle::graph
