// Frame-exact seeks with real players: the picture shown carries the frame code of the
// frame asked for, on the front and (converted) on the rear.
#include <gtest/gtest.h>

#include "playback/player_fixture.h"

namespace ardelle::playback::testing {
namespace {

TEST_F(PlayerPairTest, SeekFrameShowsExactlyTheFrameAskedFor) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    // Key frames sit at 0, 30, 60 (front) and 0, 15, 30 (rear); the frames around them and
    // both ends, forwards and backwards.
    const std::int64_t frames[] = {0, 1, 2, 29, 30, 31, 59, 60, 61, 88, 89, 45, 3, 0, 44, 17};
    for (const std::int64_t frame : frames) {
        const std::uint64_t presented[2] = {PresentedFrames(pair_.player(0)),
                                            PresentedFrames(pair_.player(1))};
        SeekAndWait(PlayerTarget::kBoth, frame);
        EXPECT_EQ(LastIndex(0), frame) << "front after SeekFrame " << frame;
        EXPECT_EQ(LastIndex(1), frame / 2) << "rear after SeekFrame " << frame;
        // Exactly one new picture, and it stays: nothing else comes after it.
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(PresentedFrames(pair_.player(0)), presented[0] + 1) << frame;
        EXPECT_EQ(PresentedFrames(pair_.player(1)), presented[1] + 1) << frame;
        EXPECT_EQ(LastIndex(0), frame);
    }
}

// Frames at or past the end do not exist: the last frame of each file is shown instead, so
// that the seek is done with a picture (front 90 frames, rear 45).
TEST_F(PlayerPairTest, SeekToTheEndOrPastItShowsTheLastFrame) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    for (const std::int64_t frame : {90, 91, 500, 89}) {
        SeekAndWait(PlayerTarget::kBoth, 10);
        SeekAndWait(PlayerTarget::kBoth, frame);
        EXPECT_EQ(LastIndex(0), 89) << "front after SeekFrame " << frame;
        EXPECT_EQ(LastIndex(1), 44) << "rear after SeekFrame " << frame;
        EXPECT_EQ(MediaSessionOps().GetPositionFrames(pair_.player(0)), 89) << frame;
    }
}

TEST_F(PlayerPairTest, QuickSuccessiveSeeksEndOnTheLastFrameAskedFor) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    PlayerContext& front = pair_.player(0);
    for (const std::int64_t frame : {10, 70, 25, 80, 5, 52}) {
        ASSERT_EQ(MediaSessionOps().SeekFrame(front, frame), 1);
    }
    EXPECT_TRUE(targets_[0].WaitFor(0, [](const Presented& p) { return p.index == 52; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(LastIndex(0), 52);
}

TEST_F(PlayerPairTest, RearFramesAreConvertedOnlyWhileBothFilesAreOpen) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    SeekAndWait(PlayerTarget::kRear, 60);
    EXPECT_EQ(LastIndex(1), 30);
    pair_.Close();
    // Rear alone: the front's interval is left from the last recording, yet frames pass as
    // they are.
    ASSERT_EQ(OpenAndWait("", card_.Rear(kRearOnly)), 1);
    SeekAndWait(PlayerTarget::kBoth, 40);
    EXPECT_EQ(LastIndex(1), 40);
}

TEST_F(PlayerPairTest, StopShowsTheFirstFrameAndPositionZero) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    PlayerContext& front = pair_.player(0);
    SeekAndWait(PlayerTarget::kFront, 40);
    ASSERT_EQ(MediaSessionOps().Play(front), 1);
    std::this_thread::sleep_for(300ms);
    const std::size_t before = targets_[0].count();
    ASSERT_EQ(MediaSessionOps().Stop(front), 1);
    EXPECT_EQ(front.state, PlayerState::kStopped);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) { return p.index == 0; }));
    EXPECT_EQ(MediaSessionOps().GetPositionFrames(front), 0);
}

TEST_F(PlayerPairTest, PositionOfAStandingPlayerIsTheFrameShown) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    for (const std::int64_t frame : {12, 47, 88}) {
        SeekAndWait(PlayerTarget::kBoth, frame);
        EXPECT_EQ(MediaSessionOps().GetPositionFrames(pair_.player(0)), frame);
        EXPECT_EQ(MediaSessionOps().GetPositionFrames(pair_.player(1)), frame / 2);
    }
}

TEST_F(PlayerPairTest, SliderSeekKeepsAwayFromTheEndAndResumesPlaying) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(card_.Front(kPair), card_.Rear(kPair)), 1);
    const std::int64_t duration = pair_.GetDurationFrames(PlayerTarget::kBoth);
    // Standing: the seek stops 20 frames short of the end; the views show the request.
    EXPECT_EQ(pair_.SeekTo(PlayerTarget::kBoth, 89, 0, duration), 89);
    EXPECT_TRUE(targets_[0].WaitFor(0, [&](const Presented& p) { return p.index == 70; }));
    // Playing: pause, seek, play on.
    ASSERT_EQ(pair_.Play(PlayerTarget::kBoth), 1);
    std::this_thread::sleep_for(100ms);
    const std::size_t before = targets_[0].count();
    EXPECT_EQ(pair_.SeekTo(PlayerTarget::kBoth, 10, 0, duration), 10);
    EXPECT_EQ(pair_.GetState(PlayerTarget::kBoth), PlayerState::kPlaying);
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) { return p.index == 10; }));
    EXPECT_TRUE(targets_[0].WaitFor(before, [](const Presented& p) { return p.index > 12; }));
}

}  // namespace
}  // namespace ardelle::playback::testing
