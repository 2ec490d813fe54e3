// Snapshots of the frame shown, the mirror toggle and the display flags that outlive a file,
// and the picture's placement in the video window.
#include <gtest/gtest.h>

#include <filesystem>

#include "playback/jpeg_reader.h"
#include "playback/jpeg_writer.h"
#include "playback/player_fixture.h"
#include "support/temp_folder.h"

namespace ardelle::playback::testing {
namespace {

// A snapshot reads the presenter's frame in place: rows padded past the picture and the
// mirror flip must come out as the screen shows them. The left third of the picture is
// black, the rest white, so a flip or a misread row shows up at either edge.
TEST(SnapshotEncoding, FramesAreReadInPlaceWithTheirStrideAndMirror) {
    struct Case {
        const char* name;
        int width;
        int height;
        int padding;  // bytes after each row
        bool mirrored;
        bool left_dark;  // what the encoded picture shows at its left edge
    };
    const Case cases[] = {
        {"tight rows", 48, 16, 0, false, true},
        {"padded rows", 48, 16, 64, false, true},
        {"padded rows, mirrored", 48, 16, 64, true, false},
        {"odd size, mirrored", 45, 13, 12, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int stride = c.width * 4 + c.padding;
        // The padding holds mid gray, which must never reach the picture.
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride * c.height), 128);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width * 4; ++x) {
                pixels[static_cast<std::size_t>(y * stride + x)] = x / 4 < c.width / 3 ? 0 : 255;
            }
        }
        VideoFrame frame;
        frame.width = c.width;
        frame.height = c.height;
        frame.stride = stride;
        frame.pixels = pixels.data();
        const std::optional<std::string> encoded = EncodeJpeg(frame, c.mirrored, 95);
        ASSERT_TRUE(encoded);
        DecodedImage image;
        ASSERT_TRUE(detail::Decompress(*encoded, true, image));
        ASSERT_EQ(image.width, c.width);
        ASSERT_EQ(image.height, c.height);
        for (int y = 0; y < c.height; ++y) {
            const std::uint8_t left = image.pixels[static_cast<std::size_t>(y * c.width)];
            const std::uint8_t right =
                image.pixels[static_cast<std::size_t>(y * c.width + c.width - 1)];
            EXPECT_EQ(left < 64, c.left_dark) << "row " << y;
            EXPECT_EQ(right < 64, !c.left_dark) << "row " << y;
        }
    }
}

TEST(SnapshotEncoding, FramesTooNarrowForTheirStrideAreRefused) {
    std::vector<std::uint8_t> pixels(16 * 4 * 4, 0);
    VideoFrame frame;
    frame.width = 16;
    frame.height = 4;
    frame.stride = 16 * 4 - 4;
    frame.pixels = pixels.data();
    EXPECT_FALSE(EncodeJpeg(frame, false, 90));
    frame.stride = 16 * 4;
    frame.pixels = nullptr;
    EXPECT_FALSE(EncodeJpeg(frame, true, 90));
}

TEST_F(PlayerPairTest, SnapshotIsAJpegOfTheCurrentFrame) {
    ardelle::testing::TempFolder folder;
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    for (const std::int64_t frame : {0, 37, 89}) {
        // Saved straight after the seek: the snapshot waits for the frame on its way.
        ASSERT_EQ(pair_.SeekFrame(PlayerTarget::kBoth, frame), 1);
        const std::string front = folder / ("front-" + std::to_string(frame) + ".jpg");
        const std::string rear = folder / ("rear-" + std::to_string(frame) + ".jpg");
        ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kFront, front), 1);
        ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kRear, rear), 1);
        EXPECT_EQ(IndexInJpeg(front), frame);
        EXPECT_EQ(IndexInJpeg(rear), frame / 2);
        const std::optional<DecodedImage> image = ReadJpeg(front, false);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 320);
        EXPECT_EQ(image->height, 180);
    }
    // Only the finished file is ever seen under its name.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().extension(), ".jpg") << entry.path();
    }
    EXPECT_EQ(pair_.SaveSnapshot(PlayerTarget::kFront, folder / "no/such/folder/x.jpg"), 0);
}

// A snapshot straight after a seek past the end: the last frame, not the picture before
// the seek, and saved without waiting out the frame wait.
TEST_F(PlayerPairTest, SnapshotAfterASeekPastTheEndIsTheLastFrame) {
    ardelle::testing::TempFolder folder;
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    SeekAndWait(PlayerTarget::kBoth, 10);
    ASSERT_EQ(pair_.SeekFrame(PlayerTarget::kBoth, 500), 1);
    ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kFront, folder / "front.jpg"), 1);
    ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kRear, folder / "rear.jpg"), 1);
    EXPECT_EQ(IndexInJpeg(folder / "front.jpg"), 89);
    EXPECT_EQ(IndexInJpeg(folder / "rear.jpg"), 44);
}

TEST_F(PlayerPairTest, MirrorTwiceRestoresThePicture) {
    ardelle::testing::TempFolder folder;
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    SeekAndWait(PlayerTarget::kBoth, 30);
    ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kRear, folder / "plain.jpg"), 1);
    const std::size_t before = targets_[1].count();
    EXPECT_EQ(pair_.ToggleMirror(PlayerTarget::kRear), 1);
    EXPECT_TRUE(targets_[1].WaitFor(before, [](const Presented& p) { return p.mirrored; }));
    ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kRear, folder / "mirrored.jpg"), 1);
    EXPECT_EQ(pair_.ToggleMirror(PlayerTarget::kRear), 0);
    ASSERT_EQ(pair_.SaveSnapshot(PlayerTarget::kRear, folder / "again.jpg"), 1);

    const auto plain = ReadJpeg(folder / "plain.jpg", true);
    const auto mirrored = ReadJpeg(folder / "mirrored.jpg", true);
    ASSERT_TRUE(plain && mirrored);
    EXPECT_EQ(platform::ReadWholeFile(folder / "plain.jpg"),
              platform::ReadWholeFile(folder / "again.jpg"));
    EXPECT_EQ(IndexInJpeg(folder / "mirrored.jpg"), std::nullopt);
    // The mirrored snapshot is the plain one flipped left to right.
    double difference = 0;
    for (int y = 0; y < plain->height; ++y) {
        for (int x = 0; x < plain->width; ++x) {
            const auto at = [&](const DecodedImage& image, int column) {
                return image.pixels[static_cast<std::size_t>(y * image.width + column)];
            };
            difference += std::abs(at(*plain, x) - at(*mirrored, plain->width - 1 - x));
        }
    }
    EXPECT_LT(difference / (plain->width * plain->height), 3.0);
    // The front player was never mirrored.
    EXPECT_FALSE(targets_[0].presents().back().mirrored);
}

TEST_F(PlayerPairTest, MirrorSurvivesOpeningTheNextRecording) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.ToggleMirror(PlayerTarget::kRear), 1);
    pair_.Close();
    ASSERT_EQ(OpenAndWait(card_.Front(kOtherPair), card_.Rear(kOtherPair)), 1);
    SeekAndWait(PlayerTarget::kBoth, 0);
    EXPECT_TRUE(targets_[1].presents().back().mirrored);
    EXPECT_FALSE(targets_[0].presents().back().mirrored);
    EXPECT_EQ(pair_.ToggleMirror(PlayerTarget::kRear), 0);
    // Without a file there is no presenter to mirror.
    pair_.Close();
    EXPECT_EQ(pair_.ToggleMirror(PlayerTarget::kRear), 0);
}

TEST_F(PlayerPairTest, ZoomAndDisplayModePlaceThePictureInTheWindow) {
    targets_[0].set_client({0, 0, 640, 480});
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    SeekAndWait(PlayerTarget::kFront, 5);
    std::size_t before = targets_[0].count();
    ASSERT_EQ(pair_.SetDisplayMode(PlayerTarget::kFront, 1), 1);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) {
        return p.destination == VideoRect{0, 60, 640, 421};
    }));
    before = targets_[0].count();
    ASSERT_EQ(pair_.SetDisplayMode(PlayerTarget::kFront, 0), 1);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) {
        return p.destination == VideoRect{0, 0, 640, 480};
    }));
    before = targets_[0].count();
    ASSERT_EQ(pair_.SetZoom({ZoomSpec{0, 0, 0, 0, 1.5f}, ZoomSpec{}}, 1), 1);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) {
        return p.destination == VideoRect{0, 0, 960, 720};
    }));
    EXPECT_EQ(pair_.player(0).last_video_rect, (VideoRect{0, 0, 960, 720}));
    EXPECT_EQ(pair_.SetZoom({ZoomSpec{0, 0, 0, 0, 0.0f}, ZoomSpec{}}, 1), 0);
}

// A display mode chosen before the first picture has no size to place by; it is kept, and
// the zoom that follows places the picture by it. Keeping the aspect is the mode that needs
// the size, so the last file is left stretched first.
TEST_F(PlayerPairTest, DisplayModeBeforeTheFirstPictureIsKept) {
    targets_[0].set_client({0, 0, 640, 480});
    PlayerContext& front = pair_.player(0);
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    ASSERT_EQ(pair_.SetDisplayMode(PlayerTarget::kFront, 0), 1);
    pair_.Close();
    ASSERT_EQ(pair_.Open(card_.Front(kOtherPair), ""), 1);
    if (!front.backend->HasDisplayService()) {
        EXPECT_EQ(pair_.SetDisplayMode(PlayerTarget::kFront, 1), 1);
    } else {
        ADD_FAILURE() << "the player was ready before the display mode could be set early";
    }
    ASSERT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerReady, 5000ms));
    EXPECT_EQ(front.display_mode, DisplayMode::kKeepAspect);
    SeekAndWait(PlayerTarget::kFront, 5);
    const std::size_t before = targets_[0].count();
    ASSERT_EQ(pair_.SetZoom({ZoomSpec{0, 0, 0, 0, 1.0f}, ZoomSpec{}}, 1), 1);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) {
        return p.destination == VideoRect{0, 60, 640, 421};
    }));
}

}  // namespace
}  // namespace ardelle::playback::testing
