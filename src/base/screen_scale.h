#pragma once

#include <array>
#include <string>
#include <vector>

namespace ardelle::base {

// Every layout length is given in units of a 1120 x 697 design.
inline constexpr int kDesignWidth = 1120;
inline constexpr int kDesignHeight = 697;

// The layout and font factors for a monitor's work area.
struct ScreenScale {
    double layout = 1.0;
    double font = 1.0;
};

// Landscape work areas scale by height / 48 / 22 with the horizontal DPI, portrait ones by
// width / 48 / 22 x 0.875 with the vertical DPI; the font factor is layout x 96 / DPI.
ScreenScale ComputeScreenScale(int work_width, int work_height, int dpi_x, int dpi_y);

// A design length placed as whole pixels: trunc(units x layout_scale), toward zero.
int ScaledLength(double units, double layout_scale);

// After the window is shown: when the work area is lower than the scaled design height,
// the font factor shrinks by the height ratio and the window is to be maximised.
struct MonitorFit {
    double font_scale = 1.0;
    bool maximise = false;
};
MonitorFit FitToMonitor(const ScreenScale& scale, int work_height);

// The platform's MulDiv: a x b / c rounded half away from zero; -1 when c is 0 or the
// result does not fit an int.
int MulDiv(int a, int b, int c);

// The seven shared fonts, by position, and how tall each is made.
inline constexpr std::array<int, 7> kFontSetPoints = {9, 10, 13, 17, 22, 12, 15};
inline constexpr int kFontCharSet = 128;    // Shift-JIS
inline constexpr int kFontPitchFamily = 1;  // fixed pitch requested

struct FontSpec {
    int points = 0;
    int height = 0;  // negative: a character height in pixels
};

// -MulDiv(trunc(font_scale x points), dpi_y, 72) for each font of the set.
std::vector<FontSpec> FontSetSpecs(double font_scale, int dpi_y);

}  // namespace ardelle::base
