#include "skin/resize_geometry.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "skin/skin_slider_geometry.h"

namespace ardelle::skin {
namespace {

TEST(ResizeGeometryTest, HitAreasOfAWindowAtScaleOne) {
    const QSize window(1120, 697);
    struct Case {
        QPoint point;
        bool locked;
        bool maximised;
        HitArea area;
    };
    const Case cases[] = {
        {{0, 0}, false, false, HitArea::kTopLeft},
        {{1119, 0}, false, false, HitArea::kTopRight},
        {{500, 3}, false, false, HitArea::kTop},
        {{0, 696}, false, false, HitArea::kBottomLeft},
        {{1119, 696}, false, false, HitArea::kBottomRight},
        {{3, 300}, false, false, HitArea::kLeft},
        {{1116, 300}, false, false, HitArea::kRight},
        {{500, 693}, false, false, HitArea::kBottom},
        {{500, 4}, false, false, HitArea::kTitle},
        {{500, 26}, false, false, HitArea::kTitle},
        {{500, 27}, false, false, HitArea::kNowhere},
        {{500, 656}, false, false, HitArea::kNowhere},
        {{500, 657}, false, false, HitArea::kClient},  // the bottom band, 40 high
        {{0, 0}, true, false, HitArea::kClient},       // locked: client everywhere
        {{0, 0}, false, true, HitArea::kTitle},        // maximised: top band is the title
        {{0, 300}, false, true, HitArea::kLeft},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTestResizeArea(window, c.point, 1.0, c.locked, c.maximised), c.area)
            << c.point.x() << "," << c.point.y() << " locked " << c.locked << " maximised "
            << c.maximised;
    }
}

TEST(ResizeGeometryTest, EdgesMapToTheirResizeDirections) {
    struct Case {
        HitArea area;
        int direction;
        Qt::Edges edges;
    };
    const Case cases[] = {
        {HitArea::kLeft, 1, Qt::LeftEdge},
        {HitArea::kTop, 2, Qt::TopEdge},
        {HitArea::kRight, 3, Qt::RightEdge},
        {HitArea::kBottom, 4, Qt::BottomEdge},
        {HitArea::kTopLeft, 5, Qt::TopEdge | Qt::LeftEdge},
        {HitArea::kBottomRight, 6, Qt::BottomEdge | Qt::RightEdge},
        {HitArea::kBottomLeft, 7, Qt::BottomEdge | Qt::LeftEdge},
        {HitArea::kTopRight, 8, Qt::TopEdge | Qt::RightEdge},
        {HitArea::kTitle, 0, {}},
        {HitArea::kClient, 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResizeDirection(c.area), c.direction) << static_cast<int>(c.area);
        EXPECT_EQ(ResizeEdges(c.direction), c.edges) << c.direction;
    }
}

TEST(ResizeGeometryTest, ResizeStopsAtTheBaseAndTheMonitorAndKeepsTheOppositeSide) {
    const QRect start(100, 100, 452, 274);
    const QSize base(452, 274);
    const QSize monitor(1920, 1080);
    struct Case {
        const char* what;
        int direction;
        QPoint cursor;
        QRect rect;
        double scale_x;
        double scale_y;
    };
    const Case cases[] = {
        {"bottom-right larger", 6, {652, 474}, {100, 100, 552, 374}, 552.0 / 452, 374.0 / 274},
        {"bottom-right smaller than the base", 6, {300, 200}, {100, 100, 452, 274}, 1.0, 1.0},
        {"top-left larger keeps the bottom-right",
         5,
         {50, 60},
         {50, 60, 502, 314},
         502.0 / 452,
         314.0 / 274},
        {"top-left smaller keeps the bottom-right", 5, {300, 300}, {100, 100, 452, 274}, 1.0, 1.0},
        {"right past the monitor", 3, {5000, 0}, {100, 100, 1920, 274}, 1920.0 / 452, 1.0},
        {"left edge only", 1, {0, 999}, {0, 100, 552, 274}, 552.0 / 452, 1.0},
    };
    for (const Case& c : cases) {
        const ConstrainedResize got = ConstrainResize(start, c.direction, c.cursor, base, monitor);
        EXPECT_EQ(got.rect, c.rect) << c.what;
        EXPECT_DOUBLE_EQ(got.scale_x, c.scale_x) << c.what;
        EXPECT_DOUBLE_EQ(got.scale_y, c.scale_y) << c.what;
    }
}

TEST(ResizeGeometryTest, MainWindowCaptionBandAndTitleDragThreshold) {
    const QSize window(1120, 697);
    struct Case {
        QPoint point;
        bool full_window;
        bool maximised;
        bool caption;
    };
    const Case cases[] = {
        {{500, 10}, false, false, true},  {{500, 5}, false, false, false},
        {{5, 10}, false, false, false},   {{1114, 10}, false, false, false},
        {{500, 27}, false, false, false}, {{500, 10}, true, false, false},
        {{500, 10}, false, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MainWindowCaptionAt(window, c.point, 1.0, c.full_window, c.maximised), c.caption)
            << c.point.x() << "," << c.point.y();
    }
    EXPECT_FALSE(TitleDragRestores({100, 10}, {103, 10}, 1.0));
    EXPECT_FALSE(TitleDragRestores({100, 10}, {104, 6}, 1.0));
    EXPECT_TRUE(TitleDragRestores({100, 10}, {105, 10}, 1.0));
    EXPECT_TRUE(TitleDragRestores({100, 10}, {100, 15}, 1.0));
}

TEST(SliderGeometryTest, PositionFromXAndDrawingParts) {
    struct Case {
        int x;
        int width;
        int min;
        int max;
        std::optional<int> pos;
    };
    const Case cases[] = {
        {0, 100, 0, 99, 0},           {50, 100, 0, 99, 50},
        {99, 100, 0, 99, 99},         {150, 100, 0, 99, 99},  // clamped
        {-5, 100, 0, 99, 0},          {30, 100, 0, 0, 0},     // one position: every click sets 0
        {30, 0, 0, 99, std::nullopt},                         // no width: no change
        {10, 100, 0, 65535, 6553},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SliderPosFromX(c.x, c.width, c.min, c.max), c.pos)
            << c.x << " of " << c.width << " in " << c.min << ".." << c.max;
    }
    const SliderGeometry half = ComputeSliderGeometry(50, 0, 99, 200, 10);
    EXPECT_EQ(half.done_width, 100);
    EXPECT_EQ(half.rest_x, 101);
    EXPECT_EQ(half.rest_width, 101);
    EXPECT_EQ(half.thumb_x, 95);
    const SliderGeometry single = ComputeSliderGeometry(0, 0, 0, 200, 10);
    EXPECT_EQ(single.thumb_x, 0);
    // A range too wide for an int draws as position 0 instead of overflowing.
    const SliderGeometry huge = ComputeSliderGeometry(5, -2147483647 - 1, 2147483647, 200, 10);
    EXPECT_EQ(huge.thumb_x, 0);
    EXPECT_TRUE(SliderPressInRange(-9, 100, 10));
    EXPECT_FALSE(SliderPressInRange(-10, 100, 10));
    EXPECT_FALSE(SliderPressInRange(110, 100, 10));
}

}  // namespace
}  // namespace ardelle::skin
