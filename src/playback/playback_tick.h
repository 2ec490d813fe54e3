#pragma once

#include <cstdint>
#include <optional>

#include "playback/player_types.h"

namespace ardelle::playback {

// How far ahead of the read position the tick shows: the position read lags the picture
// more the faster the recording plays.
int TickLookAhead(SpeedCode reference_code);

// How close the players must be to a pending seek target before the tick trusts them.
std::int64_t PendingSeekMargin(std::int64_t duration_frames);

// What the main window's 30 ms playback tick knows.
struct TickInput {
    PlayerState addressed_state = PlayerState::kClosed;
    std::int64_t position = 0;  // GetPositionFrames of the addressed player
    std::int64_t duration = 0;  // GetDurationFrames of the addressed player
    SpeedCode reference_code = kSpeedX1;
    std::int64_t pending_seek = -1;  // -1: none
};

// What the tick does: the frame to show (nothing: show nothing this tick) and the
// pending seek target afterwards.
struct TickResult {
    std::optional<std::int64_t> shown;
    std::int64_t pending_seek = -1;
};

// Shows position + 3 x look-ahead once the players have reached a pending seek (strictly
// within the margin), so that a seek is not undone by a position read before the players
// got there. A position of 0 or less (the clock not yet running) shows nothing.
TickResult PlaybackTick(const TickInput& input);

// A seek requested from the slider, the graph or the map.
struct SeekPlan {
    std::int64_t target = 0;  // frame the players seek to
    std::int64_t shown = 0;   // frame the views show
};

// The seek target stays a speed-dependent margin away from the end (40 frames at x2, 80 at
// x4, else 20) but never before slider_min; the shown frame is the request clamped to [slider_min,
// slider_max - 1].
SeekPlan PlanSeek(std::int64_t requested, std::int64_t slider_min, std::int64_t slider_max,
                  SpeedCode reference_code);

}  // namespace ardelle::playback
