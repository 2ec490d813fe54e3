// The frame gate on its own: which frames of the sink reach the screen.
#include <gtest/gtest.h>

#include "playback/frame_gate.h"

namespace ardelle::playback {
namespace {

using Arrival = FrameGate::Arrival;

TEST(FrameGate, SingleFrameSeekLetsExactlyTheSeeksFrameThrough) {
    FrameGate gate;
    gate.SetSingleFrame(42);
    // A frame decoded for an earlier seek, still on its way, is not the one asked for.
    EXPECT_FALSE(gate.Admit(Arrival::kPreroll, true, 41));
    EXPECT_TRUE(gate.Admit(Arrival::kPreroll, true, 42));
    EXPECT_TRUE(gate.hold());
    // Nothing else passes until the next start or seek, even with more input.
    EXPECT_FALSE(gate.Admit(Arrival::kPreroll, true, 42));
    EXPECT_FALSE(gate.Admit(Arrival::kPreroll, true, 43));
}

TEST(FrameGate, RunningClockPassesEveryFrameAsItsTimeComes) {
    FrameGate gate;
    gate.SetSingleFrame(7);
    ASSERT_TRUE(gate.Admit(Arrival::kPreroll, true, 7));
    gate.SetRunning();
    gate.ClockStarted();
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_TRUE(gate.Admit(Arrival::kClocked, false, 7)) << frame;
    }
    // After a pause the sink keeps the next frame waiting for the clock: not shown early.
    EXPECT_FALSE(gate.Admit(Arrival::kPreroll, false, 7));
    // A start at another frame restarts the clock and shows that seek's first frame.
    gate.ClockStarted();
    EXPECT_TRUE(gate.Admit(Arrival::kPreroll, true, 8));
}

TEST(FrameGate, StopClearsAHoldSoTheFirstFrameShows) {
    FrameGate gate;
    gate.SetSingleFrame(3);
    ASSERT_TRUE(gate.Admit(Arrival::kPreroll, true, 3));
    gate.ClearSingleFrame();
    EXPECT_FALSE(gate.hold());
    EXPECT_TRUE(gate.Admit(Arrival::kPreroll, true, 4));
}

TEST(FrameGate, ClockRestartAfterAPendingSeekAcceptsTheNewSegment) {
    FrameGate gate;
    gate.SetSingleFrame(10);
    gate.ClockStarted();  // a start from another frame before the seek's frame arrived
    EXPECT_TRUE(gate.Admit(Arrival::kPreroll, true, 11));
}

}  // namespace
}  // namespace ardelle::playback
