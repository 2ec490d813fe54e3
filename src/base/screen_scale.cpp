#include "base/screen_scale.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace ardelle::base {
namespace {
// A screen that reports no resolution is taken to have the standard one.
int UsableDpi(int dpi) {
    return dpi > 0 ? dpi : 96;
}
}  // namespace

ScreenScale ComputeScreenScale(int work_width, int work_height, int dpi_x, int dpi_y) {
    ScreenScale scale;
    int dpi = 96;
    if (work_width > work_height) {
        scale.layout = work_height / 48.0 / 22.0;
        dpi = UsableDpi(dpi_x);
    } else {
        scale.layout = work_width / 48.0 / 22.0 * 7.0 * 0.125;
        dpi = UsableDpi(dpi_y);
    }
    scale.font = scale.layout * 96.0 / dpi;
    return scale;
}

int ScaledLength(double units, double layout_scale) {
    return static_cast<int>(std::trunc(units * layout_scale));
}

MonitorFit FitToMonitor(const ScreenScale& scale, int work_height) {
    MonitorFit fit{scale.font, false};
    const int design_height = ScaledLength(kDesignHeight, scale.layout);
    if (design_height > 0 && work_height < design_height) {
        fit.font_scale = scale.font * work_height / design_height;
        fit.maximise = true;
    }
    return fit;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // Round half away from zero.
    if (2 * (remainder < 0 ? -remainder : remainder) >= (c < 0 ? -std::int64_t{c} : c)) {
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    }
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(quotient);
}

std::vector<FontSpec> FontSetSpecs(double font_scale, int dpi_y) {
    std::vector<FontSpec> fonts;
    for (const int points : kFontSetPoints) {
        const int scaled_points = static_cast<int>(std::trunc(font_scale * points));
        fonts.push_back({points, -MulDiv(scaled_points, UsableDpi(dpi_y), 72)});
    }
    return fonts;
}

}  // namespace ardelle::base
