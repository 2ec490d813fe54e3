#include "skin/skin_slider_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardelle::skin {

std::int64_t SliderSteps(int min, int max) {
    const std::int64_t n = static_cast<std::int64_t>(max) - min + 1;
    if (n > std::numeric_limits<int>::max() || n < std::numeric_limits<int>::min()) {
        return 0;
    }
    return n;
}

SliderGeometry ComputeSliderGeometry(int pos, int min, int max, int width, int thumb_width) {
    SliderGeometry geometry;
    const std::int64_t n = SliderSteps(min, max);
    const double f = n != 0 ? static_cast<double>(pos) / static_cast<double>(n) : 0.0;
    geometry.done_width = static_cast<int>(std::trunc(width * f));
    geometry.rest_x = geometry.done_width + 1;
    geometry.rest_width = static_cast<int>(std::trunc(width * (1.0 - f))) + 1;
    geometry.thumb_x =
        n != 0 ? static_cast<int>(static_cast<std::int64_t>(pos) * (width - thumb_width) / n) : 0;
    return geometry;
}

std::optional<int> SliderPosFromX(int x, int width, int min, int max) {
    const std::int64_t n = SliderSteps(min, max);
    if (n <= 0) {
        return std::nullopt;
    }
    const double step = static_cast<double>(width) / static_cast<double>(n);
    if (!(step > 0.0)) {
        return std::nullopt;
    }
    const double raw = std::trunc(x / step);
    return static_cast<int>(std::clamp(raw, static_cast<double>(min), static_cast<double>(max)));
}

bool SliderPressInRange(int x, int width, int margin) {
    return x > -margin && x < width + margin;
}

}  // namespace ardelle::skin
