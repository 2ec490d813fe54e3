#include <gtest/gtest.h>

#include "base/screen_scale.h"

namespace ardelle::base {
namespace {

TEST(ScreenScale, LandscapeUsesHeightPortraitUsesWidth) {
    const struct {
        int width, height, dpi_x, dpi_y;
        double layout, font;
    } cases[] = {
        {1920, 1080, 96, 96, 1080 / 48.0 / 22.0, 1080 / 48.0 / 22.0},
        {1920, 1040, 144, 96, 1040 / 48.0 / 22.0, 1040 / 48.0 / 22.0 * 96 / 144},
        {1080, 1920, 96, 120, 1080 / 48.0 / 22.0 * 0.875, 1080 / 48.0 / 22.0 * 0.875 * 96 / 120},
        {1000, 1000, 96, 96, 1000 / 48.0 / 22.0 * 0.875, 1000 / 48.0 / 22.0 * 0.875},
        {1920, 1080, 0, 0, 1080 / 48.0 / 22.0, 1080 / 48.0 / 22.0},  // no DPI reported
    };
    for (const auto& c : cases) {
        const ScreenScale scale = ComputeScreenScale(c.width, c.height, c.dpi_x, c.dpi_y);
        EXPECT_DOUBLE_EQ(scale.layout, c.layout) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(scale.font, c.font) << c.width << "x" << c.height;
    }
}

TEST(ScreenScale, LengthsTruncateTowardZero) {
    EXPECT_EQ(ScaledLength(697, 1080 / 48.0 / 22.0), 712);
    EXPECT_EQ(ScaledLength(22, 1.5), 33);
    EXPECT_EQ(ScaledLength(-7, 1.5), -10);
    EXPECT_EQ(ScaledLength(1, 0.99), 0);
}

TEST(ScreenScale, FitToMonitorShrinksFontsOnlyOnLowWorkAreas) {
    const ScreenScale scale{1.5, 1.2};
    const MonitorFit tall = FitToMonitor(scale, 1200);
    EXPECT_FALSE(tall.maximise);
    EXPECT_DOUBLE_EQ(tall.font_scale, 1.2);
    const MonitorFit low = FitToMonitor(scale, 800);  // design height is trunc(697 x 1.5) = 1045
    EXPECT_TRUE(low.maximise);
    EXPECT_DOUBLE_EQ(low.font_scale, 1.2 * 800 / 1045);
}

TEST(MulDiv, RoundsHalfAwayFromZero) {
    const struct {
        int a, b, c, result;
    } cases[] = {
        {9, 96, 72, 12}, {10, 96, 72, 13}, {1, 1, 2, 1},  {-1, 1, 2, -1},      {1, -3, 2, -2},
        {5, 1, 3, 2},    {4, 1, 3, 1},     {7, 7, 0, -1}, {1 << 30, 8, 2, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
    }
}

TEST(FontSet, SevenFontsInOrderWithCharacterHeights) {
    const auto fonts = FontSetSpecs(1.0, 96);
    ASSERT_EQ(fonts.size(), 7u);
    const int points[] = {9, 10, 13, 17, 22, 12, 15};
    const int heights[] = {-12, -13, -17, -23, -29, -16, -20};
    for (size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_EQ(fonts[i].points, points[i]);
        EXPECT_EQ(fonts[i].height, heights[i]) << points[i];
    }
    // The scaled size is truncated before the DPI conversion: trunc(1.9 x 9) = 17.
    EXPECT_EQ(FontSetSpecs(1.9, 96)[0].height, -23);
}

}  // namespace
}  // namespace ardelle::base
