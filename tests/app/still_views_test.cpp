// How a still picture lies on its surface: the keep-aspect rectangle, the quality its
// height tells and the drawn picture.
#include "app/still_views.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace ardelle::app {
namespace {

TEST(StillDestination, KeepsTheAspectInTheDrawingRectangleOrFillsTheClient) {
    struct Case {
        const char* name;
        QSize picture;
        QSize client;
        QRect drawing;
        bool keep_aspect;
        QRect expected;
    };
    const QSize client(656, 371);
    const Case cases[] = {
        // 656 / 371 is a little narrower than 16 / 9: the width is the drawing's and the
        // picture is centred one line down, its bottom a line further.
        {"main video area", {1920, 1080}, client, {0, 0, 656, 371}, true, QRect(0, 1, 656, 370)},
        // A surface wider than the picture: the height is the drawing's.
        {"wide surface",
         {640, 480},
         {800, 300},
         {0, 0, 800, 300},
         true,
         QRect(QPoint(200, 0), QPoint(599, 300))},
        // A 4:3 picture on a narrow surface: the width is the drawing's.
        {"narrow surface",
         {640, 480},
         {400, 600},
         {0, 0, 400, 600},
         true,
         QRect(QPoint(0, 150), QPoint(399, 450))},
        // A zoomed drawing rectangle (level 2 around the centre) is followed.
        {"zoomed",
         {1920, 1080},
         client,
         {-328, -185, 1312, 742},
         true,
         QRect(QPoint(-328, -183), QPoint(983, 555))},
        {"stretched ignores the zoom",
         {1920, 1080},
         client,
         {-328, -185, 1312, 742},
         false,
         QRect(0, 0, 656, 371)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StillDestination(c.picture, c.client, c.drawing, c.keep_aspect), c.expected)
            << c.name;
    }
}

TEST(StillQualityCode, OnlyTheRecordersTwoHeightsTellAQuality) {
    EXPECT_EQ(StillQualityCode(720), 11);
    EXPECT_EQ(StillQualityCode(1080), 12);
    EXPECT_EQ(StillQualityCode(480), std::nullopt);
}

TEST(RenderStill, DrawsOverDarkRedAndMirrorsTheWholeSurface) {
    QImage picture(160, 90, QImage::Format_RGB32);
    picture.fill(Qt::white);
    // A black left half tells the picture's orientation.
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 80; ++x) {
            picture.setPixelColor(x, y, Qt::black);
        }
    }
    const QSize client(320, 240);
    const QRect drawing(0, 0, 320, 240);
    const QImage plain = RenderStill(picture, client, drawing, true, false);
    EXPECT_EQ(plain.pixelColor(5, 5), QColor(4, 0, 0)) << "above the picture";
    EXPECT_EQ(plain.pixelColor(20, 120), QColor(Qt::black));
    EXPECT_EQ(plain.pixelColor(300, 120), QColor(Qt::white));
    const QImage mirrored = RenderStill(picture, client, drawing, true, true);
    EXPECT_EQ(mirrored.pixelColor(20, 120), QColor(Qt::white));
    EXPECT_EQ(mirrored.pixelColor(300, 120), QColor(Qt::black));
    const QImage stretched = RenderStill(picture, client, drawing, false, false);
    EXPECT_EQ(stretched.pixelColor(5, 5), QColor(Qt::black)) << "stretched over everything";
}

}  // namespace
}  // namespace ardelle::app
