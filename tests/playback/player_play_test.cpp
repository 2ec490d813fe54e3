// Playing with real players: speeds, pacing, the end of the file, speed changes.
#include <gtest/gtest.h>

#include "playback/player_fixture.h"

namespace ardelle::playback::testing {
namespace {

TEST_F(PlayerPairTest, PlayingAdvancesByTheRateOfEachSpeed) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(card_.Front(kPair), card_.Rear(kPair)), 1);
    struct Case {
        SpeedCode code;
        double frames_per_second;  // of the front file
    };
    for (const Case c : {Case{kSpeedX1, 30}, Case{kSpeedX2, 60}, Case{kSpeedHalf, 15}}) {
        pair_.Pause(PlayerTarget::kBoth);
        SeekAndWait(PlayerTarget::kBoth, 0);
        ASSERT_EQ(pair_.SetSpeed(c.code), 1);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(pair_.Play(PlayerTarget::kBoth), 1);
        std::this_thread::sleep_for(1000ms);
        const int front = pair_.GetPositionFrames(PlayerTarget::kFront);
        const int rear = pair_.GetPositionFrames(PlayerTarget::kRear);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double expected = seconds * c.frames_per_second;
        EXPECT_NEAR(front, expected, 0.15 * expected + 4) << "speed code " << c.code;
        EXPECT_NEAR(rear, expected / 2, 0.15 * expected / 2 + 3) << "speed code " << c.code;
    }
}

TEST_F(PlayerPairTest, PlayingPresentsEveryFrameInOrderAndNeverEarly) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    SeekAndWait(PlayerTarget::kFront, 0);
    const std::size_t before = targets_[0].count();
    ASSERT_EQ(pair_.Play(PlayerTarget::kFront), 1);
    ASSERT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerEnded, 6000ms));
    const auto all = targets_[0].presents();
    const std::vector<Presented> played(all.begin() + static_cast<std::ptrdiff_t>(before),
                                        all.end());
    ASSERT_FALSE(played.empty());
    const double frame_ms = 1000.0 / 30.0;
    int expected = played.front().index;
    for (const Presented& p : played) {
        ASSERT_EQ(p.index, expected) << "frames out of order or missing";
        const double since =
            std::chrono::duration<double, std::milli>(p.when - played.front().when).count();
        // A frame is handed over at its time, at most one frame ahead of it.
        EXPECT_GE(since, (p.index - played.front().index - 1) * frame_ms) << p.index;
        ++expected;
    }
    EXPECT_EQ(played.back().index, 89);
    EXPECT_EQ(pair_.player(0).backend->state(), SessionState::kStopped);
}

TEST_F(PlayerPairTest, EndOfBothFilesIsReportedByEachPlayer) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    SeekAndWait(PlayerTarget::kBoth, 75);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(pair_.Play(PlayerTarget::kBoth), 1);
    EXPECT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerEnded, 4000ms));
    EXPECT_TRUE(queues_[1].WaitFor(AppMessage::kPlayerEnded, 4000ms));
    // 15 frames of playing, then the 200 ms the session waits before it reports the end.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
}

// At the end of the file the session stops by itself while the player still says Playing;
// Stop must still stop it, and Play then plays the file again up to a second end notice.
TEST_F(PlayerPairTest, StopAfterTheEndStopsAndPlayPlaysAgain) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    PlayerContext& front = pair_.player(0);
    SeekAndWait(PlayerTarget::kFront, 80);
    ASSERT_EQ(MediaSessionOps().Play(front), 1);
    ASSERT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerEnded, 4000ms));
    const std::size_t ended = targets_[0].count();
    EXPECT_EQ(MediaSessionOps().Stop(front), 1);
    EXPECT_EQ(front.state, PlayerState::kStopped);
    EXPECT_TRUE(targets_[0].WaitFor(ended, [](const Presented& p) { return p.index == 0; }));

    const std::size_t stopped = targets_[0].count();
    ASSERT_EQ(MediaSessionOps().Play(front), 1);
    EXPECT_TRUE(targets_[0].WaitFor(stopped, [](const Presented& p) { return p.index >= 10; }));
    EXPECT_TRUE(queues_[0].WaitFor(AppMessage::kPlayerEnded, 10000ms));
}

TEST_F(PlayerPairTest, SpeedChangeWhilePlayingRestartsBothWhereTheyStand) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), card_.Rear(kPair)), 1);
    ASSERT_EQ(pair_.LoadTelemetry(card_.Front(kPair), card_.Rear(kPair)), 1);
    SeekAndWait(PlayerTarget::kBoth, 0);
    ASSERT_EQ(pair_.Play(PlayerTarget::kBoth), 1);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(pair_.ChangeSpeedWhilePlaying(PlayerTarget::kBoth, true), kSpeedX2);
    EXPECT_EQ(pair_.GetSpeedCode(PlayerTarget::kRear), kSpeedX2);
    const int at_change = pair_.GetPositionFrames(PlayerTarget::kFront);
    EXPECT_GE(at_change, 10);
    EXPECT_LE(at_change, 30);
    std::this_thread::sleep_for(500ms);
    const int later = pair_.GetPositionFrames(PlayerTarget::kFront);
    EXPECT_NEAR(later - at_change, 30, 9) << "x2 for half a second";
    // Faster from x2 stays x2 on a back-end that cannot play backwards.
    EXPECT_EQ(pair_.ChangeSpeedWhilePlaying(PlayerTarget::kBoth, true), kSpeedX2);
    EXPECT_EQ(pair_.ChangeSpeedWhilePlaying(PlayerTarget::kBoth, false), kSpeedX1);
    EXPECT_EQ(pair_.ChangeSpeedWhilePlaying(PlayerTarget::kBoth, false), kSpeedHalf);
    EXPECT_EQ(pair_.GetState(PlayerTarget::kBoth), PlayerState::kPlaying);
}

TEST_F(PlayerPairTest, PauseKeepsThePictureAndPlayGoesOn) {
    ASSERT_EQ(OpenAndWait(card_.Front(kPair), ""), 1);
    SeekAndWait(PlayerTarget::kFront, 0);
    ASSERT_EQ(pair_.Play(PlayerTarget::kFront), 1);
    std::this_thread::sleep_for(400ms);
    ASSERT_EQ(pair_.Pause(PlayerTarget::kFront), 1);
    const int shown = LastIndex(0);
    const std::size_t count = targets_[0].count();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(targets_[0].count(), count) << "a paused player shows no new picture";
    const int position = pair_.GetPositionFrames(PlayerTarget::kFront);
    EXPECT_NEAR(position, shown, 1);
    ASSERT_EQ(pair_.Play(PlayerTarget::kFront), 1);
    EXPECT_TRUE(targets_[0].WaitFor(count, [&](const Presented& p) { return p.index > shown; }));
}

}  // namespace
}  // namespace ardelle::playback::testing
