// The whole program on its own X server: the pictures in the windows are checked by the
// frame codes the test card's generator drew into every frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/frame_pictures.h"
#include "support/qt_printers.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

namespace fs = std::filesystem;
using ardelle::testing::RunCommand;
using ardelle::testing::ShellQuoted;

// What a shot's sidecar says: picture rectangles and surface areas on the screen.
struct ShotLayout {
    std::map<std::string, QRect> rects;
    std::map<std::string, int> surface_of;
};

ShotLayout ReadSidecar(const fs::path& path) {
    ShotLayout layout;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string label;
        int x = 0, y = 0, w = 0, h = 0, surface = -1;
        fields >> label;
        if (fields >> x >> y >> w >> h) {
            layout.rects[label] = QRect(x, y, w, h);
            if (fields >> surface) {
                layout.surface_of[label] = surface;
            }
        }
    }
    return layout;
}

// Red text pixels (the no-data messages) inside an area of the screen.
int RedPixels(const QImage& screen, const QRect& area) {
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    }
    return red;
}

std::string FindRecording(const std::string& card, const std::string& folder,
                          const std::string& suffix) {
    for (const fs::directory_entry& entry : fs::directory_iterator(card + "/" + folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return entry.path().string();
        }
    }
    return {};
}

class ViewerWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(card_ + "/Normal")) {
            GTEST_SKIP() << "no test card at " << card_;
        }
        if (RunCommand("command -v xvfb-run >/dev/null").exit_code != 0) {
            GTEST_SKIP() << "xvfb-run is not installed";
        }
    }

    // Runs the viewer under a fresh X server of the given size with a tour script; the
    // screenshots stay in the build folder as test output.
    fs::path RunViewer(const std::string& name, const std::string& source, const std::string& args,
                       const std::string& script, const std::string& screen = "1600x1000") {
        const fs::path shots =
            fs::path(ARDELLE_BINARY_DIR) / "test-output" / "viewer-window" / name;
        fs::remove_all(shots);
        const std::string command =
            // The viewer clears the repaired copies of its temporary folder: one of the test's.
            "ARDELLE_APP_FOLDER=" + ShellQuoted(settings_.path()) +
            " TMPDIR=" + ShellQuoted(settings_.path()) + " timeout 120 xvfb-run -a -s " +
            ShellQuoted("-screen 0 " + screen + "x24") + " " + ShellQuoted(ARDELLE_VIEWER) +
            " --source " + ShellQuoted(source) + " " + args + " --tour " +
            ShellQuoted(shots.string()) + " --script " + ShellQuoted(script) + " 2>/dev/null";
        const auto result = RunCommand(command);
        EXPECT_EQ(result.exit_code, 0) << command << "\n" << result.output;
        return shots;
    }

    // The frame codes of the main and movie pictures in a shot.
    std::pair<std::optional<int>, std::optional<int>> Codes(const fs::path& shots,
                                                            const std::string& shot) {
        const QImage screen(QString::fromStdString((shots / (shot + ".png")).string()));
        EXPECT_FALSE(screen.isNull()) << shot;
        const ShotLayout layout = ReadSidecar(shots / (shot + ".txt"));
        auto code = [&](const std::string& label) -> std::optional<int> {
            const auto found = layout.rects.find(label);
            return found == layout.rects.end() ? std::nullopt
                                               : testing::ReadCodeOf(screen, found->second);
        };
        return {code("main"), code("movie")};
    }

    std::string card_ = ARDELLE_TEST_CARD_DIR;
    ardelle::testing::TempFolder settings_;
};

// Pixels of one colour (within a small tolerance for smoothing) inside an area.
int PixelsNear(const QImage& screen, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            count += std::abs(c.red() - colour.red()) < 24 &&
                             std::abs(c.green() - colour.green()) < 24 &&
                             std::abs(c.blue() - colour.blue()) < 24
                         ? 1
                         : 0;
        }
    }
    return count;
}

// A shock recording playing: the graph draws its three traces with the cursor and the info
// panel its values, both following playback.
TEST_F(ViewerWindowTest, TheGraphAndTheInfoPanelFollowAShockRecordingWhilePlaying) {
    const std::string shock = FindRecording(card_, "Normal/Front", "000103F.MP4");
    ASSERT_FALSE(shock.empty());
    const fs::path shots =
        RunViewer("panels", shock, "--scale 1", "shot:start;play;wait:2500;shot:playing;quit");
    const QImage start(QString::fromStdString((shots / "start.png").string()));
    const QImage playing(QString::fromStdString((shots / "playing.png").string()));
    ASSERT_FALSE(playing.isNull());
    const ShotLayout layout = ReadSidecar(shots / "playing.txt");
    ASSERT_TRUE(layout.rects.count("graph_area") && layout.rects.count("info_panel_area"));
    const QRect graph = layout.rects.at("graph_area");
    const QRect info = layout.rects.at("info_panel_area");
    // The axis traces: green X, red Y, light blue Z.
    for (const QColor& trace : {QColor(0, 255, 0), QColor(255, 0, 0), QColor(128, 128, 255)}) {
        EXPECT_GT(PixelsNear(playing, graph, trace), 20) << trace.name().toStdString();
    }
    // The panel's time and values change as the recording plays, and so does the cursor.
    EXPECT_NE(start.copy(info), playing.copy(info)) << "the info panel did not follow";
    EXPECT_NE(start.copy(graph), playing.copy(graph)) << "the graph cursor did not move";
}

// Front frame 20 is rear frame 10 (30 and 15 pictures a second).
TEST_F(ViewerWindowTest, FrontInTheMainAreaRearInTheMovieWindowAndTheDisplaySwitchSwapsThem) {
    const fs::path shots = RunViewer("pair", card_, "--frame 20 --scale 1",
                                     "shot:front-main;command:38016;shot:rear-main;quit");
    const auto before = Codes(shots, "front-main");
    EXPECT_EQ(before.first, 20) << "the main area shows the front recording's frame 20";
    EXPECT_EQ(before.second, 10) << "the movie window shows the rear recording's frame 10";
    const auto after = Codes(shots, "rear-main");
    EXPECT_EQ(after.first, 10) << "after the switch the main area shows the rear";
    EXPECT_EQ(after.second, 20) << "and the movie window the front";
    // At scale 1 the main video area has its design size.
    const ShotLayout layout = ReadSidecar(shots / "front-main.txt");
    EXPECT_EQ(layout.rects.at("main_area").size(), QSize(656, 371));
    EXPECT_EQ(layout.rects.at("movie_area").size(), QSize(444, 250));
}

TEST_F(ViewerWindowTest, ALargerScaleOnA4kLikeScreenShowsTheSamePicturesUnclipped) {
    const std::string screen_size = "3840x2160";
    const fs::path shots =
        RunViewer("scale-2", card_, "--frame 0", "shot:front-main;quit", screen_size);
    const auto codes = Codes(shots, "front-main");
    EXPECT_EQ(codes.first, 0);
    EXPECT_EQ(codes.second, 0);
    const ShotLayout layout = ReadSidecar(shots / "front-main.txt");
    const QRect whole(0, 0, 3840, 2160);
    for (const char* area : {"main_area", "movie_area"}) {
        EXPECT_TRUE(whole.contains(layout.rects.at(area))) << area << layout.rects.at(area);
        EXPECT_GT(layout.rects.at(area).width(), 800) << area << " grew with the scale";
    }
}

TEST_F(ViewerWindowTest, ARecordingWithoutItsFrontFileSaysSoInTheMainArea) {
    const std::string rear_only = FindRecording(card_, "Normal/Rear", "000112R.MP4");
    ASSERT_FALSE(rear_only.empty());
    const fs::path shots = RunViewer("rear-only", rear_only, "--scale 1", "shot:rear-only;quit");
    const QImage screen(QString::fromStdString((shots / "rear-only.png").string()));
    const ShotLayout layout = ReadSidecar(shots / "rear-only.txt");
    EXPECT_EQ(layout.rects.count("main"), 0u) << "no picture in the main area";
    EXPECT_GT(RedPixels(screen, layout.rects.at("main_area")), 100) << "the red no-front text";
    EXPECT_EQ(testing::ReadCodeOf(screen, layout.rects.at("movie")), 0);
}

TEST_F(ViewerWindowTest, ClosingWhilePlayingEndsTheProgramCleanly) {
    // RunViewer expects exit code 0: no crash while frames are arriving.
    const fs::path shots =
        RunViewer("close-playing", card_, "--scale 1", "play;wait:700;shot:playing;quit");
    const auto codes = Codes(shots, "playing");
    ASSERT_TRUE(codes.first.has_value());
    EXPECT_GT(*codes.first, 0) << "the front picture moved on while playing";
}

}  // namespace
}  // namespace ardelle::app
