#include "app/command_guard.h"

namespace ardelle::app {

std::int64_t EndMarginFrames(playback::SpeedCode code, float frame_interval_ms) {
    const double interval = frame_interval_ms == 0.0f ? 34.36426 : frame_interval_ms;
    const int m = code == playback::kSpeedX2 ? 40 : code == playback::kSpeedX4 ? 80 : 20;
    return static_cast<std::int64_t>(m * 1000.0 / 29.1 / interval);
}

bool NearEnd(std::int64_t position, std::int64_t duration, playback::SpeedCode code,
             float frame_interval_ms) {
    return position + EndMarginFrames(code, frame_interval_ms) >= duration;
}

playback::SpeedCode DefaultSpeed(const std::string& name) {
    const bool time_lapse =
        (!name.empty() && name[0] == 'T') || (name.size() > 2 && name[2] == 'T');
    return time_lapse ? playback::kSpeedHalf : playback::kSpeedX1;
}

}  // namespace ardelle::app
