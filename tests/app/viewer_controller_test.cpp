// The viewer's controller headless, with the real players on the test card and a fake
// window that records what it was told.
#include "app/viewer_controller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "app/controller_fakes.h"
#include "base/settings.h"
#include "playback/notification_queue.h"
#include "sample_card/frame_code.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using fakes::CodeTarget;

// Stands in for the main window: surfaces that forward the players' notifications as the
// surface messages, and a log of what the controller asked for.
class FakeView : public ViewerView {
  public:
    // Forwards a player's notifications with its surface index, as CMovieStatic does.
    class Forwarder : public MessageSink {
      public:
        Forwarder(playback::NotificationQueue& queue, int index) : queue_(queue), index_(index) {}
        void Post(const PostedMessage& message) override {
            queue_.Post({message.id == AppMessage::kPlayerReady ? AppMessage::kSurfacePlayerReady
                                                                : AppMessage::kSurfacePlayerEnded,
                         message.wparam, index_});
        }

      private:
        playback::NotificationQueue& queue_;
        int index_;
    };

    playback::VideoWindow SurfaceWindow(int index) override {
        return {&targets[index], &forwarders[index]};
    }
    void PlaceSurfaces(int main_surface, int title) override {
        placed.emplace_back(main_surface, title);
    }
    void SetZoomMode(bool on) override { zoom_mode = on; }
    void SetMirror(int, bool mirror) override { mirrored = mirror; }
    QRect SurfaceClient(int) const override { return {0, 0, 640, 360}; }
    void ShowFullWindow(bool full, int) override { full_window.push_back(full); }
    void SetPlayButton(bool) override {}
    void ShowPosition(int frame, int frames) override { position = {frame, frames}; }
    void RepaintSurfaces() override {}
    void ShowError(int text_id) override { errors.push_back(text_id); }
    void Maximise(bool) override {}
    void Minimise() override {}
    void CloseWindow() override { closed = true; }

    playback::NotificationQueue queue;
    CodeTarget targets[2];
    Forwarder forwarders[2] = {{queue, 0}, {queue, 1}};
    std::vector<std::pair<int, int>> placed;
    std::vector<bool> full_window;
    std::vector<int> errors;
    std::pair<int, int> position{-1, -1};
    bool zoom_mode = false;
    bool mirrored = false;
    bool closed = false;
};

std::string FindRecording(const std::string& folder, const std::string& suffix) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return entry.path().string();
        }
    }
    return {};
}

class ViewerControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(card_ + "/Normal")) {
            GTEST_SKIP() << "no test card at " << card_;
        }
        base::SetAppFolder(settings_.path());
        ASSERT_TRUE(controller_.InitPlayers(true));
    }
    // Delivers the queued surface messages until the recording is loaded.
    bool WaitLoaded() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!controller_.loaded() && std::chrono::steady_clock::now() < deadline) {
            if (view_.queue.WaitFor(AppMessage::kSurfacePlayerReady, 100ms)) {
                controller_.OnMessage({AppMessage::kSurfacePlayerReady, 0, 0});
            }
        }
        return controller_.loaded();
    }
    bool WaitForCodes(int front, int rear) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (view_.targets[0].last() == front && view_.targets[1].last() == rear) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    std::string card_ = ARDELLE_TEST_CARD_DIR;
    ardelle::testing::TempFolder settings_;
    FakeView view_;
    ViewerController controller_{view_, 1.0};
};

TEST_F(ViewerControllerTest, ACardOpensItsFirstPairPausedAtTheStartFrameOnBothSurfaces) {
    ASSERT_TRUE(controller_.OpenSource(card_, 20));
    ASSERT_TRUE(WaitLoaded());
    EXPECT_TRUE(controller_.current().front_name.find("000101F") != std::string::npos)
        << controller_.current().front_name;
    EXPECT_TRUE(WaitForCodes(20, 10)) << view_.targets[0].last() << " " << view_.targets[1].last();
    EXPECT_EQ(view_.position.first, 20);
    EXPECT_NE(controller_.pair().GetState(playback::PlayerTarget::kBoth),
              playback::PlayerState::kPlaying);
    EXPECT_TRUE(view_.errors.empty());
}

TEST_F(ViewerControllerTest, RecordingsThatCannotPlayShowTheirMessageAndLeaveTheWindowUsable) {
    const std::string broken = settings_ / "A___-240608-093000-000101F.MP4";
    std::ofstream(broken) << "not a movie";
    struct Case {
        std::string path;
        int text;
    };
    const Case cases[] = {
        {FindRecording(card_ + "/Normal/Front", "000114F.MP4"), 97},  // too short
        {broken, 96},                                                 // cannot be opened
        {settings_ / "nothing-here", 99},                             // no recording at all
    };
    for (const Case& c : cases) {
        view_.errors.clear();
        EXPECT_FALSE(controller_.OpenSource(c.path, 0) && WaitLoaded()) << c.path;
        EXPECT_EQ(view_.errors, std::vector<int>{c.text}) << c.path;
        EXPECT_FALSE(controller_.loaded());
    }
    // The window goes on: the next recording opens.
    ASSERT_TRUE(controller_.OpenSource(card_, 0));
    EXPECT_TRUE(WaitLoaded());
}

TEST_F(ViewerControllerTest, DisplaySwitchZoomMirrorAndFullWindowRules) {
    ASSERT_TRUE(controller_.OpenSource(card_, 0));
    ASSERT_TRUE(WaitLoaded());
    view_.placed.clear();
    controller_.OnCommand(command::kDisplaySwitch);
    EXPECT_EQ(controller_.main_surface(), 1);
    EXPECT_EQ(view_.placed.back(), std::make_pair(1, 145));  // the movie window: "フロントカメラ"
    controller_.OnCommand(command::kDisplaySwitch);
    EXPECT_EQ(view_.placed.back(), std::make_pair(0, 146));

    controller_.OnCommand(command::kMirror);
    EXPECT_TRUE(view_.mirrored);

    // A double click on the movie surface does nothing; on the main one it enters the view.
    controller_.OnSurfaceDoubleClicked(1);
    EXPECT_TRUE(view_.full_window.empty());
    controller_.OnCommand(command::kDisplayMode);  // stretch inside the view ...
    EXPECT_FALSE(controller_.keep_aspect());
    controller_.OnSurfaceDoubleClicked(0);
    ASSERT_EQ(view_.full_window, std::vector<bool>{true});
    controller_.OnSurfaceDoubleClicked(0);
    EXPECT_EQ(view_.full_window, (std::vector<bool>{true, false}));
    // ... leaving it always returns to keep-aspect and stores it.
    EXPECT_TRUE(controller_.keep_aspect());
    EXPECT_EQ(base::ReadSetting("DISPLAY", "ASPECT"), "on");

    // Zoom mode: clicks step the zoom, double clicks no longer switch the view.
    controller_.OnCommand(command::kZoomMode);
    EXPECT_TRUE(view_.zoom_mode);
    controller_.OnSurfaceClicked(0, {320, 180});
    EXPECT_EQ(controller_.zoom(0).level, 2.0f);
    controller_.OnSurfaceDoubleClicked(0);
    EXPECT_EQ(view_.full_window.size(), 2u);
    controller_.OnCommand(command::kZoomMode);
    EXPECT_EQ(controller_.zoom(0).level, 1.0f) << "leaving zoom mode resets the zoom";

    // Within the last 10 frames the view is not entered.
    const auto frames = controller_.pair().GetDurationFrames(playback::PlayerTarget::kFront);
    controller_.pair().SeekFrame(playback::PlayerTarget::kBoth, frames - 5);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (view_.targets[0].last() != frames - 5 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_EQ(view_.targets[0].last(), frames - 5);
    EXPECT_GE(controller_.pair().GetPositionFrames(playback::PlayerTarget::kFront) + 10, frames);
    controller_.OnSurfaceDoubleClicked(0);
    EXPECT_EQ(view_.full_window.size(), 2u);
}

TEST_F(ViewerControllerTest, CloseDuringPlaybackShutsThePlayersDown) {
    ASSERT_TRUE(controller_.OpenSource(card_, 0));
    ASSERT_TRUE(WaitLoaded());
    controller_.OnCommand(command::kPlayPause);
    std::this_thread::sleep_for(300ms);  // frames are arriving
    controller_.OnCommand(command::kClose);
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(controller_.pair().player(0).initialised, 0);
    EXPECT_EQ(controller_.pair().player(1).initialised, 0);
}

}  // namespace
}  // namespace ardelle::app
