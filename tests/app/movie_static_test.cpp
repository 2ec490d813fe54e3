#include "app/movie_static.h"

#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include <QApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/frame_pictures.h"
#include "support/qt_application.h"

namespace ardelle::app {
namespace {

using testing::CodedFrame;
using testing::ReadCodeOf;

class FakeOwner : public SurfaceOwner {
  public:
    SurfacePaint PaintRule(int) const override { return rule; }
    void SurfaceClicked(int index, const QPoint& point) override {
        clicks.emplace_back(index, point);
    }
    void SurfaceDoubleClicked(int index) override { double_clicks.push_back(index); }
    void SurfaceContextMenu(int, const QPoint&) override {}

    SurfacePaint rule = SurfacePaint::kPicture;
    std::vector<std::pair<int, QPoint>> clicks;
    std::vector<int> double_clicks;
};

class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override { messages.push_back(message); }
    std::vector<PostedMessage> messages;
};

class MovieStaticTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ardelle::testing::TestApplication();
        surface_ = std::make_unique<CMovieStatic>(1, &owner_, &queue_, nullptr);
        surface_->Place(QRect(0, 0, 656, 371));
    }
    // Delivers the queued repaint and paints the surface into an image.
    QImage Painted() {
        QApplication::processEvents();
        return surface_->grab().toImage();
    }

    FakeOwner owner_;
    RecordingSink queue_;
    std::unique_ptr<CMovieStatic> surface_;
};

TEST_F(MovieStaticTest, AFramePresentedOnAnotherThreadIsPaintedScaledIntoItsDestination) {
    EXPECT_EQ(surface_->ClientRect(), (playback::VideoRect{0, 0, 656, 371}));
    const playback::VideoRect destination{0, 1, 656, 370};
    std::thread streaming([&] { surface_->PresentFrame(CodedFrame(42), destination, false); });
    streaming.join();
    const QImage image = Painted();
    EXPECT_EQ(ReadCodeOf(image, QRect(0, 1, 656, 369)), 42);
    EXPECT_EQ(image.pixelColor(300, 0), QColor(0, 0, 0)) << "beside the picture is black";
    EXPECT_EQ(surface_->painted_count(), 1u);
}

TEST_F(MovieStaticTest, AMirroredFrameIsDrawnFlippedLeftToRight) {
    const playback::VideoRect destination{100, 0, 420, 180};
    surface_->PresentFrame(CodedFrame(7), destination, true);
    const QImage image = Painted();
    const QRect picture(100, 0, 320, 180);
    EXPECT_EQ(ReadCodeOf(image, picture, true), 7);
    EXPECT_NE(ReadCodeOf(image, picture, false), 7);
}

TEST_F(MovieStaticTest, ABurstPaintsTheFrameItWouldHaveSkippedThenTheNewest) {
    for (int index = 0; index < 5; ++index) {
        surface_->PresentFrame(CodedFrame(index), {0, 0, 320, 180}, false);
    }
    // The painter was late by a burst: the first unpainted frame, then the newest.
    EXPECT_EQ(ReadCodeOf(Painted(), QRect(0, 0, 320, 180)), 0);
    EXPECT_EQ(ReadCodeOf(Painted(), QRect(0, 0, 320, 180)), 4);
    EXPECT_EQ(surface_->presented_count(), 5u);
    EXPECT_EQ(surface_->painted_count(), 2u);
}

// Frames at 60 a second while the UI thread now and then is busy for longer than a frame:
// every one is painted, none is skipped by the hand-over.
TEST_F(MovieStaticTest, EveryFrameIsPaintedWhenTheUiThreadIsLateByAFrame) {
    surface_->show();
    QApplication::processEvents();
    constexpr int kFrames = 90;
    std::vector<playback::SharedFrame> frames;
    for (int index = 0; index < kFrames; ++index) {
        frames.push_back(CodedFrame(index));
    }
    std::atomic<bool> done{false};
    std::thread streaming([&] {
        for (const playback::SharedFrame& frame : frames) {
            surface_->PresentFrame(frame, {0, 0, 320, 180}, false);
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
        done = true;
    });
    int turn = 0;
    while (!done.load()) {
        QApplication::processEvents();
        // Every tenth turn the UI thread is busy for a frame interval and a half.
        std::this_thread::sleep_for(std::chrono::milliseconds(++turn % 10 == 0 ? 25 : 2));
    }
    streaming.join();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    EXPECT_EQ(surface_->presented_count(), static_cast<std::uint64_t>(kFrames));
    EXPECT_EQ(surface_->painted_count(), static_cast<std::uint64_t>(kFrames));
    EXPECT_EQ(surface_->LastPainted().frame, frames.back());
}

TEST_F(MovieStaticTest, WithoutItsPlayersFileTheSurfaceShowsTheRuleText) {
    struct Case {
        SurfacePaint rule;
        bool red_text;
    };
    for (const Case c :
         {Case{SurfacePaint::kNoRearText, true}, Case{SurfacePaint::kBlack, false}}) {
        owner_.rule = c.rule;
        surface_->PresentFrame(CodedFrame(3), {0, 0, 656, 371}, false);
        const QImage image = Painted();
        int red = 0;
        for (int y = 150; y < 220; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                red += colour.red() > 200 && colour.green() < 80 ? 1 : 0;
            }
        }
        EXPECT_EQ(red > 0, c.red_text) << static_cast<int>(c.rule);
        EXPECT_EQ(image.pixelColor(2, 2), QColor(0, 0, 0));
        EXPECT_FALSE(ReadCodeOf(image, QRect(0, 0, 656, 371)).has_value());
    }
}

TEST_F(MovieStaticTest, PlayerNotificationsReachTheOwnerAsSurfaceMessages) {
    surface_->Post({AppMessage::kPlayerReady, 0, 0});
    surface_->Post({AppMessage::kPlayerEnded, 0, 0});
    const std::vector<PostedMessage> expected = {{AppMessage::kSurfacePlayerReady, 0, 1},
                                                 {AppMessage::kSurfacePlayerEnded, 0, 1}};
    EXPECT_EQ(queue_.messages, expected);
}

}  // namespace
}  // namespace ardelle::app
