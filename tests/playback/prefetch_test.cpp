// The telemetry read-ahead on a worker thread beside playing players, and its cancellation.
#include <gtest/gtest.h>

#include <thread>

#include "playback/player_fixture.h"

namespace ardelle::playback::testing {
namespace {

TEST_F(PlayerPairTest, ReadAheadOnAWorkerIsTakenOverByLoadTelemetry) {
    const std::string front = card_.Front(kPair);
    const std::string rear = card_.Rear(kPair);
    ASSERT_EQ(OpenAndWait(front, rear), 1);
    ASSERT_EQ(pair_.Play(PlayerTarget::kBoth), 1);
    std::thread worker([&] { pair_.PrefetchTelemetry(front, rear); });
    // The UI thread keeps using the players meanwhile.
    for (int i = 0; i < 5; ++i) {
        pair_.GetPositionFrames(PlayerTarget::kBoth);
    }
    worker.join();
    EXPECT_EQ(pair_.player(0).spare_reader->path(), front);
    ASSERT_EQ(pair_.LoadTelemetry(front, rear), 1);
    EXPECT_FALSE(pair_.player(0).telemetry_reader->gps().empty());
    EXPECT_TRUE(pair_.player(0).spare_reader->path().empty()) << "moved, not read again";
}

TEST_F(PlayerPairTest, RearPathIsReadAheadWhenThereIsNoFront) {
    const std::string rear = card_.Rear(kRearOnly);
    std::thread worker([&] { pair_.PrefetchTelemetry("", rear); });
    worker.join();
    EXPECT_EQ(pair_.player(1).spare_reader->path(), rear);
    EXPECT_TRUE(pair_.player(0).spare_reader->path().empty());
}

TEST_F(PlayerPairTest, ReadAheadsOverlappingEachOtherAndUninitEndCleanly) {
    std::vector<std::thread> workers;
    for (const int number : {101, 102, 103, 104}) {
        workers.emplace_back(
            [this, number] { pair_.PrefetchTelemetry(card_.Front(number), card_.Rear(number)); });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    const std::string& kept = pair_.player(0).spare_reader->path();
    EXPECT_FALSE(kept.empty());
    // Whichever ran last is the recording the spare reader holds, complete.
    EXPECT_TRUE(pair_.player(0).spare_reader->loaded());
    std::thread late([&] { pair_.PrefetchTelemetry(card_.Front(105), card_.Rear(105)); });
    late.join();
    pair_.Uninit();
    EXPECT_EQ(pair_.player(0).spare_reader, nullptr);
}

}  // namespace
}  // namespace ardelle::playback::testing
