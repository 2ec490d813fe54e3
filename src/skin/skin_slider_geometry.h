#pragma once

#include <cstdint>
#include <optional>

namespace ardelle::skin {

// Where the parts of a slider are drawn for a position, in pixels of a client area width
// wide: the played track from 0, the rest of the track after it, and the thumb.
struct SliderGeometry {
    int done_width = 0;
    int rest_x = 0;
    int rest_width = 0;
    int thumb_x = 0;
};

// The number of positions, max - min + 1; 0 when it does not fit an int.
std::int64_t SliderSteps(int min, int max);

// f = pos / n: the played part is trunc(width x f) wide, the rest starts one pixel after it
// and is trunc(width x (1 - f)) + 1 wide; the thumb of thumb_width stands at
// trunc(pos x (width - thumb_width) / n). A range that overflows draws as position 0.
SliderGeometry ComputeSliderGeometry(int pos, int min, int max, int width, int thumb_width);

// The position under x: trunc(x / (width / n)) clamped to [min, max]; nothing when
// width / n is not positive.
std::optional<int> SliderPosFromX(int x, int width, int min, int max);

// A press counts when x lies strictly inside the client area widened by margin each side.
bool SliderPressInRange(int x, int width, int margin);

}  // namespace ardelle::skin
