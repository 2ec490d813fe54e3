// The list window as a user sees it, drawn under Xvfb by its own program and kept as test
// output (test-output/browser/list-window.png).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>
#include <set>

#include "support/qt_application.h"
#include "support/run_command.h"

namespace ardelle::browser {
namespace {

TEST(ListWindowPicture, TheCardShowsInTheWindowsOwnColours) {
    using testing::RunCommand;
    using testing::ShellQuoted;
    if (RunCommand("command -v xvfb-run >/dev/null").exit_code != 0) {
        GTEST_SKIP() << "xvfb-run is not installed";
    }
    testing::TestApplication();
    const std::filesystem::path out =
        std::filesystem::path(ARDELLE_BINARY_DIR) / "test-output" / "browser" / "list-window.png";
    std::filesystem::create_directories(out.parent_path());
    std::filesystem::remove(out);
    const auto result =
        RunCommand("QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s '-screen 0 1024x768x24' " +
                   ShellQuoted(ARDELLE_LIST_WINDOW_PICTURE) + " " +
                   ShellQuoted(ARDELLE_TEST_CARD_DIR) + " " + ShellQuoted(out.string()) + " 2>&1");
    ASSERT_EQ(result.exit_code, 0) << result.output;
    const QImage picture(QString::fromStdString(out.string()));
    ASSERT_FALSE(picture.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            colours.insert(picture.pixel(x, y) & 0xFFFFFF);
        }
    }
    const struct {
        QColor colour;
        const char* what;
    } expected[] = {
        {QColor(49, 49, 49), "panel background"},
        {QColor(35, 24, 21), "tree and list background"},
        {QColor(0, 204, 255), "the chosen group"},
        {QColor(255, 255, 204), "a shock recording"},
        {QColor(178, 178, 178), "the current row"},
        {QColor(136, 136, 136), "row frames"},
    };
    for (const auto& e : expected) {
        EXPECT_TRUE(colours.count(e.colour.rgb() & 0xFFFFFF)) << e.what;
    }
}

}  // namespace
}  // namespace ardelle::browser
