#include "app/main_layout.h"

#include <gtest/gtest.h>

#include "app/surface_rules.h"
#include "support/qt_printers.h"

namespace ardelle::app {
namespace {

TEST(MainLayoutTest, DesignSizeAtScaleOnePlacesEveryChildWhereTheDesignSays) {
    const MainLayout layout = ComputeMainLayout({1120, 697}, 1.0);
    ASSERT_TRUE(layout.valid);
    struct Case {
        const char* child;
        QRect got;
        QRect want;
    };
    const Case cases[] = {
        {"video surface", layout.video_surface, {6, 27, 656, 371}},
        {"position slider", layout.position_slider, {8, 399, 654, 10}},
        {"info panel", layout.info_panel, {8, 409, 654, 105}},
        {"graph", layout.graph, {8, 514, 654, 142}},
        {"tab strip", layout.tab_strip, {663, 29, 450, 30}},
        {"list window", layout.list_window, {662, 58, 452, 598}},
        {"volume slider", layout.volume_slider, {1000, 667, 100, 20}},
        {"progress bar", layout.progress_bar, {6, 375, 656, 22}},
        {"tool button 0", layout.tool_buttons[0], {20, 661, 32, 32}},
        {"tool button 11", layout.tool_buttons[11], {493, 661, 32, 32}},
        {"tool button 12 (set apart)", layout.tool_buttons[12], {566, 661, 32, 32}},
        {"tool button 16", layout.tool_buttons[16], {738, 661, 32, 32}},
        {"close", layout.title_buttons[0], {1064, 0, 46, 18}},
        {"maximise", layout.title_buttons[1], {1038, 0, 26, 18}},
        {"minimise", layout.title_buttons[2], {1012, 0, 26, 18}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.want) << c.child << ": " << c.got << " instead of " << c.want;
    }
}

TEST(MainLayoutTest, VideoAreaAndBaseSizesFollowTheScale) {
    struct Case {
        double scale;
        QSize window;
        QSize video_area;
        QSize main;
        QSize movie;
        QSize map;
    };
    const Case cases[] = {
        {1.0, {1120, 697}, {656, 369}, {1120, 697}, {452, 274}, {452, 393}},
        // A 4K-like work area (2160 high): scale 2160 / 48 / 22.
        {2160.0 / 48 / 22, {2290, 1425}, {1342, 757}, {2290, 1425}, {924, 559}, {924, 804}},
        {1.5, {1680, 1045}, {984, 554}, {1680, 1045}, {678, 411}, {678, 591}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VideoAreaSize(c.window, c.scale), c.video_area) << c.scale;
        EXPECT_EQ(MainWindowBaseSize(c.scale), c.main) << c.scale;
        EXPECT_EQ(MovieWindowBaseSize(c.scale), c.movie) << c.scale;
        EXPECT_EQ(MapWindowBaseSize(c.scale), c.map) << c.scale;
    }
}

// Nothing overlaps or leaves the window, at any scale and at a window larger than its
// base size.
TEST(MainLayoutTest, ChildrenStayInsideTheWindowAndApartAtEveryScale) {
    for (const double scale : {1.0, 1.25, 2160.0 / 48 / 22, 3.0}) {
        for (const double grow : {1.0, 1.3}) {
            const QSize base = MainWindowBaseSize(scale);
            const QSize window(static_cast<int>(base.width() * grow),
                               static_cast<int>(base.height() * grow));
            const MainLayout layout = ComputeMainLayout(window, scale);
            ASSERT_TRUE(layout.valid);
            const QRect whole(QPoint(0, 0), window);
            std::vector<std::pair<std::string, QRect>> parts = {
                {"surface", layout.video_surface}, {"slider", layout.position_slider},
                {"info", layout.info_panel},       {"graph", layout.graph},
                {"tabs", layout.tab_strip},        {"list", layout.list_window},
                {"volume", layout.volume_slider}};
            for (int i = 0; i < kToolButtonCount; ++i) {
                parts.emplace_back("tool " + std::to_string(i),
                                   layout.tool_buttons[static_cast<std::size_t>(i)]);
            }
            for (int i = 0; i < kTitleButtonCount; ++i) {
                parts.emplace_back("title " + std::to_string(i),
                                   layout.title_buttons[static_cast<std::size_t>(i)]);
            }
            for (std::size_t a = 0; a < parts.size(); ++a) {
                EXPECT_TRUE(whole.contains(parts[a].second))
                    << parts[a].first << " " << parts[a].second << " at " << scale;
                EXPECT_GT(parts[a].second.height(), 0) << parts[a].first << " at " << scale;
                for (std::size_t b = a + 1; b < parts.size(); ++b) {
                    if (parts[a].first == "tabs" && parts[b].first == "list") {
                        // The strip covers the list window's top row, as designed.
                        EXPECT_EQ(parts[a].second.intersected(parts[b].second).height(), 1);
                        continue;
                    }
                    EXPECT_FALSE(parts[a].second.intersects(parts[b].second))
                        << parts[a].first << " overlaps " << parts[b].first << " at " << scale
                        << " x" << grow;
                }
            }
        }
    }
}

TEST(MainLayoutTest, AZeroWidthWindowStopsBeforeTheSliderAndPanels) {
    const MainLayout layout = ComputeMainLayout({0, 697}, 1.0);
    EXPECT_FALSE(layout.valid);
    EXPECT_TRUE(layout.position_slider.isNull());
    EXPECT_TRUE(layout.list_window.isNull());
}

TEST(MainLayoutTest, FloatingWindowsHaveTheirHomesBesideTheVideoArea) {
    const MainLayout layout = ComputeMainLayout({1120, 697}, 1.0);
    const QPoint origin(100, 50);
    // The movie window's bottom meets the list area's bottom.
    EXPECT_EQ(MovieWindowHome(origin, layout, 1.0), QPoint(762, 432));
    EXPECT_EQ(MovieWindowHome(origin, layout, 1.0).y() + MovieWindowBaseSize(1.0).height(),
              origin.y() + layout.list_area.bottom() + 1);
    EXPECT_EQ(MapWindowHome(origin, layout, 1.0), QPoint(762, 78));
    EXPECT_EQ(FloatingContentRect({452, 274}, 1.0), QRect(4, 20, 444, 250));
}

TEST(SurfaceRulesTest, BackgroundFollowsWhichPlayersHaveAFile) {
    struct Case {
        int surface;
        bool front;
        bool rear;
        SurfacePaint paint;
    };
    const Case cases[] = {
        {0, true, true, SurfacePaint::kPicture},      {1, true, true, SurfacePaint::kPicture},
        {0, false, true, SurfacePaint::kNoFrontText}, {1, false, true, SurfacePaint::kPicture},
        {0, true, false, SurfacePaint::kPicture},     {1, true, false, SurfacePaint::kNoRearText},
        {0, false, false, SurfacePaint::kBlack},      {1, false, false, SurfacePaint::kBlack},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VideoSurfacePaint(c.surface, c.front, c.rear), c.paint)
            << "surface " << c.surface << " front " << c.front << " rear " << c.rear;
    }
    EXPECT_EQ(SurfacePaintText(SurfacePaint::kNoFrontText), 170);
    EXPECT_EQ(SurfacePaintText(SurfacePaint::kNoRearText), 171);
    EXPECT_EQ(SurfacePaintText(SurfacePaint::kBlack), 0);
}

TEST(SurfaceRulesTest, ZoomResetCentresOnTheDesignAreaOfTheSurface) {
    EXPECT_EQ(ZoomResetCentre(0, 1.0), QPoint(328, 185));  // 656 x 370
    EXPECT_EQ(ZoomResetCentre(1, 1.0), QPoint(226, 127));  // 452 wide, x 9 / 32
    EXPECT_EQ(ZoomResetCentre(0, 2.0), QPoint(656, 370));
}

TEST(SurfaceRulesTest, ThreeClicksOnOnePointStepTheLevelAndReturnToTheCentre) {
    SurfaceZoom zoom;
    ResetZoom(zoom, 0, 1.0);
    const QRect client(0, 0, 656, 371);
    const playback::VideoRect picture{0, 10, 656, 360};
    const QPoint click(100, 80);
    struct Step {
        float level;
        int zoom_x;
        int zoom_y;
    };
    // Level 1: zoom point = client right + x - picture right, y - picture top.
    // Level 2: the point of the enlarged picture under the cursor, over g = 2.
    const Step steps[] = {
        {2.0f, 100, 70}, {3.0f, 100 + 656 - (100 + 656) / 2, 80 - (80 + 10) / 2}, {1.0f, 328, 185}};
    for (const Step& step : steps) {
        ASSERT_TRUE(ZoomClick(zoom, true, click, client, picture, 0, 1.0));
        EXPECT_EQ(zoom.level, step.level);
        EXPECT_EQ(zoom.zoom_x, step.zoom_x) << "level " << step.level;
        EXPECT_EQ(zoom.zoom_y, step.zoom_y) << "level " << step.level;
    }
    EXPECT_EQ(zoom.zoom_offset_x, 0);
    EXPECT_EQ(zoom.zoom_offset_y, 0);
}

TEST(SurfaceRulesTest, ZoomClickChangesNothingOutsideZoomModeOrOnAZeroWidthSurface) {
    SurfaceZoom zoom;
    ResetZoom(zoom, 1, 1.0);
    const SurfaceZoom before = zoom;
    EXPECT_FALSE(ZoomClick(zoom, false, {5, 5}, {0, 0, 100, 100}, {0, 0, 100, 100}, 1, 1.0));
    EXPECT_EQ(zoom.level, before.level);
    EXPECT_FALSE(ZoomClick(zoom, true, {7, 8}, {0, 0, 0, 100}, {0, 0, 100, 100}, 1, 1.0));
    EXPECT_EQ(zoom.level, 1.0f);
    EXPECT_EQ(zoom.click, QPoint(7, 8));  // only the click point is kept
    EXPECT_EQ(zoom.zoom_x, before.zoom_x);
}

}  // namespace
}  // namespace ardelle::app
