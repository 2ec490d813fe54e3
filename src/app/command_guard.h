#pragma once

#include <cstdint>
#include <string>

#include "playback/player_types.h"

namespace ardelle::app {

// How many frames before its end a recording is "near its end" at a speed: the last
// 0.69 s at x1 and 29.1 frames per second, twice that at x2, four times at x4. A frame
// interval of 0 counts as 34.36426 ms.
std::int64_t EndMarginFrames(playback::SpeedCode code, float frame_interval_ms);

// True when position + margin reaches the duration: navigation is then refused, since
// the players are about to report the end and the window advances by itself.
bool NearEnd(std::int64_t position, std::int64_t duration, playback::SpeedCode code,
             float frame_interval_ms);

// The speed a recording starts at: half speed for time-lapse names (first or third
// character 'T'), else x1.
playback::SpeedCode DefaultSpeed(const std::string& name);

}  // namespace ardelle::app
