// The controller's arithmetic: speed codes and the ladder, the playback tick, seek margins,
// frame/time conversions and the placement of the picture.
#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "playback/decoder_threads.h"
#include "playback/playback_tick.h"
#include "playback/speed_ladder.h"
#include "playback/video_placement.h"

namespace ardelle::playback {
namespace {

TEST(SpeedCodes, ResolveGivesTheRateOfEachCode) {
    struct Case {
        SpeedCode current, requested;
        bool backwards;
        SpeedCode code;
        float rate;
    };
    const Case cases[] = {
        {1, 2, false, 2, 2.0f},
        {1, 4, false, 4, 4.0f},
        {1, -2, false, -2, 0.5f},
        {1, -4, false, -4, 0.25f},
        {2, 1, false, 1, 1.0f},
        {1, 7, false, 7, 1.0f},
        // The toggle code flips between x1 and x0.5 and otherwise stays at rate 1.
        {1, -1, false, -2, 0.5f},
        {-2, -1, false, 1, 1.0f},
        {2, -1, false, -1, 1.0f},
        // A back-end that plays backwards runs the slow codes in reverse.
        {1, -2, true, -2, -2.0f},
        {1, -4, true, -4, -4.0f},
        {1, -1, true, -1, -1.0f},
        {1, 2, true, 2, 2.0f},
    };
    for (const Case& c : cases) {
        const SpeedChoice choice = ResolveSpeed(c.current, c.requested, c.backwards);
        EXPECT_EQ(choice.code, c.code) << c.current << " -> " << c.requested;
        EXPECT_EQ(choice.rate, c.rate) << c.current << " -> " << c.requested;
    }
}

TEST(SpeedCodes, LadderStepsAsTheTableSays) {
    struct Case {
        SpeedCode current;
        bool faster, backwards;
        BackendKind backend;
        SpeedCode next;
    };
    constexpr auto kSession = BackendKind::kMediaSession;
    constexpr auto kGraph = BackendKind::kFilterGraph;
    const Case cases[] = {
        {4, true, false, kSession, 4},    {2, true, false, kSession, 2},
        {2, true, true, kSession, 4},     {1, true, false, kSession, 2},
        {-1, true, false, kSession, 1},   {-2, true, false, kSession, 1},
        {-2, true, true, kSession, -1},   {-4, true, false, kSession, -2},
        {4, false, false, kSession, 2},   {2, false, false, kSession, 1},
        {1, false, false, kSession, -1},  {-1, false, false, kSession, -2},
        {-2, false, false, kSession, -2}, {-2, false, false, kGraph, -4},
        {-4, false, false, kSession, 1},  {-4, false, false, kGraph, -4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextSpeedCode(PlayerState::kPlaying, c.current, c.faster, c.backwards, c.backend),
                  c.next)
            << "from " << c.current << (c.faster ? " faster" : " slower");
    }
    for (const PlayerState state :
         {PlayerState::kClosed, PlayerState::kStopped, PlayerState::kPaused}) {
        EXPECT_EQ(NextSpeedCode(state, 2, true, false, kSession), kSpeedX1);
    }
}

TEST(SpeedCodes, MediaSessionReachesHalfNormalAndDoubleOnly) {
    base::SetUiLanguage(0);
    // Slower from x1 lands on the toggle code, which SetSpeed resolves to x0.5.
    const SpeedCode slower =
        NextSpeedCode(PlayerState::kPlaying, kSpeedX1, false, false, BackendKind::kMediaSession);
    const SpeedChoice resolved = ResolveSpeed(kSpeedX1, slower, false);
    EXPECT_EQ(resolved.code, kSpeedHalf);
    EXPECT_EQ(SpeedLabel(resolved.code), "再生速度x0.5");
    EXPECT_EQ(SpeedLabel(kSpeedX1), "再生速度x1.0");
    EXPECT_EQ(SpeedLabel(kSpeedX2), "再生速度x2.0");
    EXPECT_EQ(SpeedLabel(kSpeedToggle), "");
    EXPECT_FALSE(WantsThinning(1.0f));
    EXPECT_TRUE(WantsThinning(2.0f));
}

TEST(PlaybackTick, ShowsThePositionAheadByTheLookAhead) {
    struct Case {
        SpeedCode code;
        std::int64_t shown;
    };
    for (const Case c :
         {Case{kSpeedX1, 106}, Case{kSpeedX2, 124}, Case{kSpeedHalf, 103}, Case{kSpeedX4, 103}}) {
        const TickResult tick = PlaybackTick({PlayerState::kPlaying, 100, 9000, c.code, -1});
        EXPECT_EQ(tick.shown, c.shown) << "speed code " << c.code;
        EXPECT_EQ(tick.pending_seek, -1);
    }
}

TEST(PlaybackTick, WaitsUntilThePlayersReachAPendingSeek) {
    EXPECT_EQ(PendingSeekMargin(9000), 39);
    struct Case {
        std::int64_t position;
        bool shown;
    };
    for (const Case c : {Case{960, false}, Case{961, false}, Case{962, true}, Case{1000, true},
                         Case{1038, true}, Case{1039, false}, Case{5, false}}) {
        const TickResult tick = PlaybackTick({PlayerState::kPlaying, c.position, 9000, 1, 1000});
        EXPECT_EQ(tick.shown.has_value(), c.shown) << "position " << c.position;
        EXPECT_EQ(tick.pending_seek, c.shown ? -1 : 1000) << "position " << c.position;
    }
}

TEST(PlaybackTick, ShowsNothingWhileStandingOrBeforeTheClockRuns) {
    EXPECT_FALSE(PlaybackTick({PlayerState::kPaused, 100, 9000, 1, -1}).shown);
    EXPECT_FALSE(PlaybackTick({PlayerState::kStopped, 100, 9000, 1, -1}).shown);
    EXPECT_FALSE(PlaybackTick({PlayerState::kPlaying, 0, 9000, 1, -1}).shown);
    EXPECT_FALSE(PlaybackTick({PlayerState::kPlaying, -1, 9000, 1, -1}).shown);
}

TEST(SeekPlan, KeepsASpeedDependentDistanceFromTheEnd) {
    struct Case {
        std::int64_t requested, max;
        SpeedCode code;
        std::int64_t target, shown;
    };
    const Case cases[] = {
        {500, 900, kSpeedX1, 500, 500},
        {890, 900, kSpeedX1, 880, 890},
        {950, 900, kSpeedX1, 880, 899},
        {890, 900, kSpeedX2, 860, 890},
        {890, 900, kSpeedX4, 820, 890},
        {890, 900, kSpeedHalf, 880, 890},
        {-5, 900, kSpeedX1, 0, 0},
        // A recording shorter than the margin seeks to its start, not before it.
        {30, 50, kSpeedX4, 0, 30},
    };
    for (const Case& c : cases) {
        const SeekPlan plan = PlanSeek(c.requested, 0, c.max, c.code);
        EXPECT_EQ(plan.target, c.target) << c.requested << " at code " << c.code;
        EXPECT_EQ(plan.shown, c.shown) << c.requested << " at code " << c.code;
    }
}

TEST(TimeUnits, SeekTimesLandInTheFrameAskedFor) {
    for (const float interval : {1000.0f / 30.0f, 1000.0f / 15.0f, 1000.0f / 29.97f}) {
        for (std::int64_t frame = 0; frame < 20000; ++frame) {
            const MediaTime time = SeekTimeOfFrame(frame, interval);
            ASSERT_EQ(MediaTimeToFrames(time, interval), frame) << interval << " ms, " << frame;
            ASSERT_GT(time, FramesToMediaTime(frame, interval));
        }
    }
    // On a frame boundary single precision may come out one frame lower.
    const float interval = 1000.0f / 30.0f;
    EXPECT_EQ(FramesToMediaTime(1, interval), 333333);
    EXPECT_EQ(MediaTimeToFrames(333333, interval), 0);
    EXPECT_EQ(MediaTimeToFrames(1000, 0.0f), 0);
    EXPECT_EQ(SeekTimeOfFrame(-3, interval), SeekTimeOfFrame(0, interval));
}

TEST(VideoPlacement, ZoomGrowsAroundTheZoomCentre) {
    const VideoRect client{0, 0, 640, 360};
    struct Case {
        ZoomSpec zoom;
        std::optional<VideoRect> expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1.0f}, VideoRect{0, 0, 640, 360}},
        {{123, 45, 0, 0, 1.0f}, VideoRect{0, 0, 640, 360}},
        {{320, 180, 0, 0, 2.0f}, VideoRect{-320, -180, 960, 540}},
        {{0, 0, 0, 0, 1.5f}, VideoRect{0, 0, 960, 540}},
        {{0, 0, 10, -20, 1.5f}, VideoRect{10, -20, 970, 520}},
        {{320, 180, 0, 0, 0.5f}, VideoRect{160, 90, 480, 270}},
        {{160, 90, 5, 5, 1.0f}, VideoRect{5, 5, 645, 365}},
        {{320, 180, 0, 0, 0.0f}, std::nullopt},   // zoom factor 0 is invalid
        {{320, 180, 0, 0, -1.0f}, std::nullopt},  // would turn inside out
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomRectangle(client, c.zoom), c.expected)
            << c.zoom.zoom_x << "," << c.zoom.zoom_y << " x" << c.zoom.zoom_factor;
    }
    EXPECT_EQ(ZoomRectangle({0, 0, 0, 360}, {0, 0, 0, 0, 1.0f}), std::nullopt);
    EXPECT_EQ(ZoomRectangle({0, 0, 640, 0}, {0, 0, 0, 0, 1.0f}), std::nullopt);
}

TEST(VideoPlacement, AspectFitKeepsTheShapeCentredInTheZoom) {
    struct Case {
        VideoRect client;
        ZoomSpec zoom;
        std::optional<VideoRect> expected;
    };
    const Case cases[] = {
        // A 4:3 window: the full width, bands above and below.
        {{0, 0, 640, 480}, {0, 0, 0, 0, 1.0f}, VideoRect{0, 60, 640, 421}},
        // A wide window: the full height, bands left and right (odd sums halve down).
        {{0, 0, 800, 300}, {0, 0, 0, 0, 1.0f}, VideoRect{133, 0, 666, 301}},
        // The window's own 16:9 compares as wider in single precision: the height is kept.
        {{0, 0, 640, 360}, {320, 180, 0, 0, 2.0f}, VideoRect{-320, -180, 960, 541}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceVideo(c.client, c.zoom, DisplayMode::kKeepAspect, 320, 180), c.expected);
        EXPECT_EQ(PlaceVideo(c.client, c.zoom, DisplayMode::kStretch, 320, 180),
                  ZoomRectangle(c.client, c.zoom));
    }
    EXPECT_EQ(PlaceVideo({0, 0, 640, 480}, {0, 0, 0, 0, 1.0f}, DisplayMode::kKeepAspect, 0, 0),
              std::nullopt);
}

TEST(DecoderThreads, LightlyCodedFramesDecodeAloneAndHeavyOnesThreaded) {
    struct Case {
        double bytes_per_frame;
        int threads;  // 0: one per processor
    };
    const Case cases[] = {
        {4'700, 1},  // the generated 1080p card
        {kThreadedFrameBytes - 1, 1},
        {kThreadedFrameBytes, 0},
        {53'000, 0},  // 12.8 Mbit/s 1080p30, a recorder's usual rate
        {0, 0},       // unknown: playing at speed needs the threads
        {-5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecoderThreadsFor(c.bytes_per_frame), c.threads) << c.bytes_per_frame;
    }
}

}  // namespace
}  // namespace ardelle::playback
