// Snapshots of the frame shown, the mirror toggle and the display flags that outlive a file,
// and the picture's placement in the video window.
#include <gtest/gtest.h>

#include <filesystem>

#include "playback/jpeg_reader.h"
#include "playback/player_fixture.h"
#include "support/temp_folder.h"

namespace ardelle::playback::testing {
namespace {

std::optional<int> IndexInJpeg(const std::string& path) {
    const std::optional<DecodedImage> image = ReadJpeg(path, true);
    if (!image) {
        return std::nullopt;
    }
    return samplecard::ReadFrameIndex(image->pixels.data(), image->width, image->height,
                                      image->width);
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

}  // namespace
}  // namespace ardelle::playback::testing
